# velm_add_library(NAME [DEPS ...]): a library from every source of the calling folder and
# its Commands/ (or other listed) subfolders.
function(velm_add_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(sub IN LISTS ARG_SUBDIRS)
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# velm_add_test(NAME LABEL label [SOURCES ...] [DEPS ...]): one GoogleTest executable,
# by default from every *.cpp of the calling folder, registered with CTest under the label.
function(velm_add_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS;ENV" ${ARGN})
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VELM_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELM_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABEL}" ENVIRONMENT "${ARG_ENV}" TIMEOUT 300)
endfunction()

# velm_add_fuzzer(NAME SOURCES ... DEPS ...): with VELM_BUILD_FUZZ (clang) a libFuzzer binary
# fuzz_NAME; in every other build a CTest that replays the kept inputs of
# fuzz/regressions/NAME/ through the same entry point, so every crash found stays fixed.
function(velm_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(VELM_BUILD_FUZZ)
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
  else()
    add_executable(replay_${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_link_libraries(replay_${name} PRIVATE ${ARG_DEPS})
    file(MAKE_DIRECTORY ${CMAKE_SOURCE_DIR}/fuzz/regressions/${name})
    add_test(NAME fuzz_replay_${name}
             COMMAND replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/regressions/${name})
    set_tests_properties(fuzz_replay_${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  endif()
endfunction()
