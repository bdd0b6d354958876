# The samba back-end against the live test domain controller. These tests
# share one controller (and one of them stops and restarts it), so they
# never run at the same time as each other.
zentory_add_test(tst_samba SOURCES backends/samba/tst_samba.cpp LIBS zentory_backend_samba)
set_tests_properties(tst_samba PROPERTIES RESOURCE_LOCK testdc LABELS testdc TIMEOUT 300)
