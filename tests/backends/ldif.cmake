# Tests of the ldif back-end
zentory_add_test(tst_ldif_answers SOURCES backends/ldif/tst_ldif_answers.cpp
  LIBS zentory_backend_ldif)
zentory_add_test(tst_ldif_reading SOURCES backends/ldif/tst_ldif_reading.cpp
  LIBS zentory_backend_ldif)
zentory_add_test(tst_ldif_demo SOURCES backends/ldif/tst_ldif_demo.cpp
  LIBS zentory_backend_ldif)
