zentory_add_test(tst_mainwindow SOURCES app/tst_mainwindow.cpp LIBS zentory_app)
zentory_add_test(tst_signin SOURCES app/tst_signin.cpp LIBS zentory_app)
set_tests_properties(tst_signin PROPERTIES RESOURCE_LOCK testdc LABELS testdc)
