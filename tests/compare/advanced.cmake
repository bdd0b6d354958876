# Tests of the advanced comparison dialog
