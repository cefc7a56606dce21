# The job accounting flow's own work on a result of the fleet's size (writing and reading the
# result answer, building its Report into a report document), beside the general DOM append:
# bench/jobaccounting.sh runs it after the end-to-end figures.
add_executable(bench_jobaccounting ${CMAKE_CURRENT_LIST_DIR}/jobaccounting.cpp)
target_link_libraries(bench_jobaccounting PRIVATE VELMPluginReportGenerator benchmark::benchmark)
