# Tests of the configuration dialog
