# Tests of the user details window and help texts
