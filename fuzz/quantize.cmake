zelvw_fuzzer(quantize_fuzzer ${CMAKE_CURRENT_LIST_DIR}/quantize_fuzzer.cpp LIBS zelvw_bitmap)
