# The samba back-end against the live test domain controller. These tests
# share one controller (and one of them stops and restarts it), so they
# never run at the same time as each other.
zentory_add_test(tst_samba SOURCES backends/samba/tst_samba.cpp LIBS zentory_backend_samba)
set_tests_properties(tst_samba PROPERTIES RESOURCE_LOCK testdc LABELS testdc TIMEOUT 300)
# Samba's own start-up leak, under the sanitizers, named by its function:
# the exact unwinder sees through libtalloc, which the fast one cannot.
set_property(TEST tst_samba APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=fast_unwind_on_malloc=0:suppressions=${CMAKE_CURRENT_SOURCE_DIR}/backends/samba/lsan.supp")
