# Tests of the settings record and store
zentory_add_test(tst_settings_regfile SOURCES app/tst_settings_regfile.cpp LIBS zentory_settings)
zentory_add_test(tst_settings_store SOURCES app/tst_settings_store.cpp LIBS zentory_settings)
