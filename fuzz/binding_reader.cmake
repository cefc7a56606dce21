velm_add_fuzzer(binding_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/binding_reader.cpp DEPS VXNServiceFramework)
# Coverage feedback must reach into the runtime, not only the harness.
if(VELM_BUILD_FUZZ)
  target_compile_options(xmlbinding PRIVATE -fsanitize=fuzzer-no-link)
endif()
