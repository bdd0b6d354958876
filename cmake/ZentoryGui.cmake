# Every library and program of the windows is built the same way: moc, the
# same Qt modules (so that one precompiled header serves them all), and the
# generated build header.
find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets Network DBus)

configure_file(${PROJECT_SOURCE_DIR}/cmake/ZentoryBuild.h.in
               ${PROJECT_BINARY_DIR}/generated/ZentoryBuild.h @ONLY)

add_library(zentory_gui_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(zentory_gui_pch PUBLIC Qt6::Widgets Qt6::Network Qt6::DBus)
target_precompile_headers(zentory_gui_pch PRIVATE <QtWidgets> <QtNetwork>)

function(zentory_gui_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_link_libraries(${target} PUBLIC Qt6::Widgets Qt6::Network Qt6::DBus)
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/generated)
  target_precompile_headers(${target} REUSE_FROM zentory_gui_pch)
endfunction()
