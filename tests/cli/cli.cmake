zentory_add_test(tst_cli SOURCES cli/tst_cli.cpp LIBS zentory_backend_ldif)
target_compile_definitions(tst_cli PRIVATE ZENTORY_CLI="$<TARGET_FILE:zentory-cli>")
add_dependencies(tst_cli zentory-cli)
set_tests_properties(tst_cli PROPERTIES RESOURCE_LOCK testdc LABELS testdc)
