zentory_add_test(tst_mainwindow SOURCES app/tst_mainwindow.cpp LIBS zentory_app)
zentory_add_test(tst_signin SOURCES app/tst_signin.cpp LIBS zentory_app)
set_tests_properties(tst_signin PROPERTIES RESOURCE_LOCK testdc LABELS testdc)
zentory_add_test(tst_accountorder SOURCES app/tst_accountorder.cpp LIBS zentory_account_order)
