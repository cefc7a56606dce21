# The binding reader against pugixml and Xerces-C DOM on the same inputs.
find_package(pugixml REQUIRED)
add_executable(bench_binding_reader ${CMAKE_CURRENT_LIST_DIR}/binding_reader.cpp)
target_link_libraries(bench_binding_reader PRIVATE VXNServiceFramework pugixml::pugixml
                      XercesC::XercesC benchmark::benchmark)
