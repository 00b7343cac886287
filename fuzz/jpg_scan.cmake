# The marker scan of the JPEG reader over arbitrary bytes. The system's static
# libraries refer to each other in a circle: the linker rescans them.
zelvw_fuzzer(jpg_scan_fuzzer ${CMAKE_CURRENT_LIST_DIR}/jpg_scan_fuzzer.cpp
  LIBS zelvw_jpeg)
