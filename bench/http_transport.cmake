# HTTP transport against a bare thread-per-connection server and nginx: bench/http_transport.sh.
add_executable(bench_http_server http_server.cpp)
target_link_libraries(bench_http_server PRIVATE VXNServiceFramework)

add_executable(bench_http_bare_server http_bare_server.cpp)
target_link_libraries(bench_http_bare_server PRIVATE pthread)
