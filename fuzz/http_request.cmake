velm_add_fuzzer(http_request SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_request.cpp DEPS VXNServiceFramework)
