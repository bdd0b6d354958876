# Tests of the comparison tables, window and exports
zentory_add_test(tst_compare_tables SOURCES compare/tst_compare_tables.cpp
  LIBS zentory_compare_tables zentory_backend_ldif)
zentory_add_test(tst_compare_csv SOURCES compare/tst_compare_csv.cpp
  LIBS zentory_compare_tables)
zentory_add_test(tst_compare_window SOURCES compare/tst_compare_window.cpp
  LIBS zentory_compare zentory_app)
