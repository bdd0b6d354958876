# Tests of the samba back-end
