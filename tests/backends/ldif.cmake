# Tests of the ldif back-end
