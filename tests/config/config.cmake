# Tests of the configuration dialog
zentory_add_test(tst_config SOURCES config/tst_config.cpp LIBS zentory_config zentory_app)
