# Fleet generation and the DBSProcessQuery round trip against the sqlite3 tool: bench/peers.sh.
add_executable(bench_peers peers_bench.cpp)
target_link_libraries(bench_peers PRIVATE velm_suite benchmark::benchmark)
target_compile_definitions(bench_peers PRIVATE VELM_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_peers velm-peers)
