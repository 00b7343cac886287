# JpegToDib over arbitrary bytes.
zelvw_fuzzer(jpeg_to_dib_fuzzer ${CMAKE_CURRENT_LIST_DIR}/jpeg_to_dib_fuzzer.cpp LIBS zelvw_jpeg)
