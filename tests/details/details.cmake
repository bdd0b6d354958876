# Tests of the user details window and help texts
zentory_add_test(tst_helptexts SOURCES details/tst_helptexts.cpp LIBS zentory_details)
zentory_add_test(tst_userdetails SOURCES details/tst_userdetails.cpp
  LIBS zentory_details zentory_app)
