# Reports end to end over the protocol next to the sqlite3 tool, document memory per row, and the
# latency of report creation while the collector runs: bench/reports.sh.
add_executable(bench_reports ${CMAKE_CURRENT_LIST_DIR}/reports.cpp)
target_link_libraries(bench_reports PRIVATE VELMPluginReportGenerator velm_suite test_support benchmark::benchmark)
target_compile_definitions(bench_reports PRIVATE VELM_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_reports velm-peers velm-report)
