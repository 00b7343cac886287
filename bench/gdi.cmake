# StretchDIBits drawing a 12-megapixel bitmap into a window, against the same work on
# a window-sized bitmap and against cairo (bench_stretchdibits).
add_executable(bench_stretchdibits ${CMAKE_CURRENT_LIST_DIR}/bench_stretchdibits.cpp)
target_link_libraries(bench_stretchdibits PRIVATE win32 PkgConfig::CAIRO benchmark::benchmark)
