# The TIFF reader over arbitrary files, and its LZW decoder over arbitrary strips.
# The module state, error helpers and profile names come from the viewer folder.
set(TIFF_FUZZ_SYSTEM_SOURCES
  ${CMAKE_SOURCE_DIR}/viewer/ImgVuError.cpp
  ${CMAKE_SOURCE_DIR}/viewer/ModuleState.cpp
  ${CMAKE_SOURCE_DIR}/viewer/ProfileName.cpp
  ${CMAKE_SOURCE_DIR}/color/ColorEngine.cpp)
foreach(fuzzer tiff_read_fuzzer lzw_fuzzer)
  zelvw_fuzzer(${fuzzer} ${CMAKE_CURRENT_LIST_DIR}/${fuzzer}.cpp
    LIBS zelvw_tiff zelvw_bitmap mfc win32 zirndlg)
  target_sources(${fuzzer} PRIVATE ${TIFF_FUZZ_SYSTEM_SOURCES})
endforeach()
