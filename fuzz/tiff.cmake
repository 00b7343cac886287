# The TIFF reader over arbitrary files, and its LZW decoder over arbitrary strips.
foreach(fuzzer tiff_read_fuzzer lzw_fuzzer)
  zelvw_fuzzer(${fuzzer} ${CMAKE_CURRENT_LIST_DIR}/${fuzzer}.cpp LIBS zelvw_tiff)
endforeach()
