velm_add_fuzzer(packet_dom SOURCES ${CMAKE_CURRENT_LIST_DIR}/packet_dom.cpp DEPS VXNServiceFramework)
