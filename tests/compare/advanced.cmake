# Tests of the advanced comparison dialog
zentory_add_test(tst_advcompare SOURCES compare/tst_advcompare.cpp LIBS zentory_advcompare zentory_app)
zentory_add_test(tst_advcompare_namelist SOURCES compare/tst_advcompare_namelist.cpp
  LIBS zentory_namelist)
