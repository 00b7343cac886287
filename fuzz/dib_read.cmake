# CDIB::Read over arbitrary bytes, then drawing what it accepted. The palette builder
# reads the TIFF reader's colour map, so the sanitizers want its type information.
zelvw_fuzzer(dib_read_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dib_read_fuzzer.cpp LIBS zelvw_bitmap zelvw_tiff zelvw_viewer)
