# Export of a 50,000-row report: the transformation in memory and RGPExportReport over the
# protocol, each run paired with xsltproc on the same stylesheet and document: bench/export.sh.
add_executable(bench_export ${CMAKE_CURRENT_LIST_DIR}/export.cpp)
target_link_libraries(bench_export PRIVATE VELMPluginReportGenerator velm_suite test_support benchmark::benchmark)
target_compile_definitions(bench_export PRIVATE VELM_BINARY_DIR="${CMAKE_BINARY_DIR}"
                                                VELM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(bench_export velm-peers velm-report)
