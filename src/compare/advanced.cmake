# The advanced comparison dialog and the names-not-found dialog
