# Report chart drawing against libgd drawing the same primitives at fixed places.
add_executable(bench_charts ${CMAKE_CURRENT_LIST_DIR}/charts.cpp)
target_link_libraries(bench_charts PRIVATE VELMPluginReportGenerator benchmark::benchmark)
