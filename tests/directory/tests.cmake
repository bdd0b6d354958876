zentory_add_test(tst_decoding SOURCES directory/tst_decoding.cpp)
zentory_add_test(tst_queries SOURCES directory/tst_queries.cpp)
zentory_add_test(tst_ordering SOURCES directory/tst_ordering.cpp)

# The directory library stays free of Qt, Samba and platform headers, so it
# builds for Windows and under any front end.
add_test(NAME directory_includes_standard_only
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/directory/check-includes.sh ${PROJECT_SOURCE_DIR}/src/directory)
