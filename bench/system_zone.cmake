# Local time set up as in velm-report's main; link it into benchmarks that convert local time.
add_library(bench_system_zone OBJECT ${CMAKE_CURRENT_LIST_DIR}/system_zone.cpp)
target_link_libraries(bench_system_zone PUBLIC VXNServiceFramework)
