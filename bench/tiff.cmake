# The TIFF reader against libtiff's strip decoding, plain and matched (tiff_bench).
pkg_check_modules(LIBTIFF_BENCH REQUIRED IMPORTED_TARGET libtiff-4)
add_executable(tiff_bench ${CMAKE_CURRENT_LIST_DIR}/tiff_bench.cpp)
target_include_directories(tiff_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tiff_bench PRIVATE zelvw_tiff
  PkgConfig::LIBTIFF_BENCH PkgConfig::LCMS2 bench_support benchmark::benchmark)
target_compile_definitions(tiff_bench PRIVATE BENCH_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data")
add_dependencies(tiff_bench zirn talverin)
