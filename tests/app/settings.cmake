# Tests of the settings record and store
zentory_add_test(tst_settings_regfile SOURCES app/tst_settings_regfile.cpp LIBS zentory_settings)
zentory_add_test(tst_settings_store SOURCES app/tst_settings_store.cpp LIBS zentory_settings)
zentory_add_test(tst_settings_font SOURCES app/tst_settings_font.cpp LIBS zentory_settings_gui)
# Qt Gui defines QT_GUI_LIB, which the shared precompiled header may have
# been built without; this one file compiles without it rather than fail.
set_target_properties(tst_settings_font PROPERTIES DISABLE_PRECOMPILE_HEADERS ON)
