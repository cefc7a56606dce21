velm_add_fuzzer(binding_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/binding_reader.cpp DEPS VXNServiceFramework)
