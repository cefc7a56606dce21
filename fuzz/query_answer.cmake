velm_add_fuzzer(query_answer SOURCES ${CMAKE_CURRENT_LIST_DIR}/query_answer.cpp DEPS peers)
