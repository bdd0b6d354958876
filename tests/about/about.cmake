# Tests of the about window, update check and usage hit
zentory_add_test(tst_download SOURCES about/tst_download.cpp about/LoopbackServer.h
  LIBS zentory_about)
