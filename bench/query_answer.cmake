# Reading a large DBSProcessQuery answer in order and shared among threads: bench/query_answer.sh.
add_executable(bench_query_answer ${CMAKE_CURRENT_LIST_DIR}/query_answer.cpp)
target_link_libraries(bench_query_answer PRIVATE peers benchmark::benchmark)
