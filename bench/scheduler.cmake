# Scheduler store and worker pass over 100,000 in-memory items: bench/scheduler.sh.
add_executable(bench_scheduler ${CMAKE_CURRENT_LIST_DIR}/scheduler.cpp)
target_link_libraries(bench_scheduler PRIVATE scheduler bench_system_zone benchmark::benchmark)
