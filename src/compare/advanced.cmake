# The advanced comparison dialog and the names-not-found dialog

# The name list reader, Qt Core only: zentory-cli reads --names files with
# it, so that both programs take the same lines from the same file.
add_library(zentory_namelist STATIC NameList.cpp NameList.h)
target_include_directories(zentory_namelist PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zentory_namelist PUBLIC Qt6::Core)

# The dialog takes the comparison window's three entries as parameters;
# uAdvCompareEntries.cpp hands it the real ones from zentory_compare, which
# is linked whenever that library is part of the build.
add_library(zentory_advcompare STATIC
  uAdvCompare.cpp uAdvCompare.h
  uAdvCompareEntries.cpp
  uNotFound.cpp uNotFound.h
)
zentory_gui_target(zentory_advcompare)
target_include_directories(zentory_advcompare PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zentory_advcompare PUBLIC zentory_namelist zentory_app
  $<TARGET_NAME_IF_EXISTS:zentory_compare>)
