# Scheduler store and worker pass over 100,000 in-memory items.
add_executable(bench_scheduler ${CMAKE_CURRENT_LIST_DIR}/scheduler.cpp)
target_link_libraries(bench_scheduler PRIVATE scheduler benchmark::benchmark)
