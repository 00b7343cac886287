# The whole matched JPEG path through a viewer document against libjpeg with one
# LittleCMS call a row, with Debian's jpgicc timed beside (jpeg_match_bench).
add_executable(jpeg_match_bench ${CMAKE_CURRENT_LIST_DIR}/jpeg_match_bench.cpp)
target_include_directories(jpeg_match_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(jpeg_match_bench PRIVATE zelvw_viewer jfxx_segments npapi mfc win32
  PkgConfig::LCMS2 bench_support benchmark::benchmark)
target_compile_definitions(jpeg_match_bench PRIVATE BENCH_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data")
add_dependencies(jpeg_match_bench zirn talverin zirndlg)
