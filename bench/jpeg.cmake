# JpegToDib against a plain libjpeg decode in process (jpeg_to_dib_bench), and
# jpegtodib-bmp, timed as a whole process against djpeg -bmp by run_jpeg_bench.sh.
add_executable(jpeg_to_dib_bench ${CMAKE_CURRENT_LIST_DIR}/jpeg_to_dib_bench.cpp)
target_link_libraries(jpeg_to_dib_bench PRIVATE zelvw_jpeg benchmark::benchmark)
target_compile_definitions(jpeg_to_dib_bench PRIVATE BENCH_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data")

add_executable(jpegtodib-bmp ${CMAKE_CURRENT_LIST_DIR}/jpegtodib_bmp.cpp)
target_link_libraries(jpegtodib-bmp PRIVATE zelvw_jpeg)
