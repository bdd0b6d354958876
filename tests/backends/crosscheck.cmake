# Cross-check of the ldif back-end against the live controller
