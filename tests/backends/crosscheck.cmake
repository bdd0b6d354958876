# Cross-check of the ldif back-end against the live controller: an export of
# the test domain controller, opened with the ldif back-end, must answer as
# the samba back-end does from the controller itself. It exports the
# controller twice (ldapsearch inside the test) and reads every seeded
# account, so it shares the controller's lock with the samba tests.
zentory_add_test(tst_crosscheck SOURCES backends/crosscheck/tst_crosscheck.cpp
  LIBS zentory_backend_samba zentory_backend_ldif)
set_tests_properties(tst_crosscheck PROPERTIES RESOURCE_LOCK testdc LABELS testdc TIMEOUT 300)
