# CDIB::Read over arbitrary bytes, then drawing what it accepted.
zelvw_fuzzer(dib_read_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dib_read_fuzzer.cpp LIBS zelvw_bitmap)
