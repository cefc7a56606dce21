# Closed-loop load client of bench/load.sh.
add_executable(bench_load_client load_client.cpp)
target_link_libraries(bench_load_client PRIVATE pthread)
