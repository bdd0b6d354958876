# Tests of the ldif back-end
zentory_add_test(tst_ldif_answers SOURCES backends/ldif/tst_ldif_answers.cpp
  LIBS zentory_backend_ldif)
