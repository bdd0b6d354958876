# Tests of the about window, update check and usage hit
zentory_add_test(tst_aboutparts SOURCES about/tst_aboutparts.cpp LIBS zentory_about)
zentory_add_test(tst_download SOURCES about/tst_download.cpp about/LoopbackServer.h
  LIBS zentory_about)
zentory_add_test(tst_about SOURCES about/tst_about.cpp about/LoopbackServer.h LIBS zentory_about)
