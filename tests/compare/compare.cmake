# Tests of the comparison tables, window and exports
zentory_add_test(tst_compare_tables SOURCES compare/tst_compare_tables.cpp
  LIBS zentory_compare_tables zentory_backend_ldif)
zentory_add_test(tst_compare_csv SOURCES compare/tst_compare_csv.cpp
  LIBS zentory_compare_tables)
zentory_add_test(tst_compare_window SOURCES compare/tst_compare_window.cpp
  LIBS zentory_compare zentory_app)
# zentory-cli's comparisons against the window's, on the demo domain.
zentory_add_test(tst_compare_cli SOURCES compare/tst_compare_cli.cpp
  LIBS zentory_compare zentory_app zentory_backend_ldif)
target_compile_definitions(tst_compare_cli PRIVATE ZENTORY_CLI="$<TARGET_FILE:zentory-cli>")
add_dependencies(tst_compare_cli zentory-cli)
# One comparison against the live test domain controller.
zentory_add_test(tst_compare_dc SOURCES compare/tst_compare_dc.cpp
  LIBS zentory_compare_tables zentory_session)
set_tests_properties(tst_compare_dc PROPERTIES RESOURCE_LOCK testdc LABELS testdc)
# Samba's own start-up leak under the sanitizers (see backends/samba/lsan.supp).
set_property(TEST tst_compare_dc APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=fast_unwind_on_malloc=0:suppressions=${CMAKE_CURRENT_SOURCE_DIR}/backends/samba/lsan.supp")
