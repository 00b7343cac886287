# quantize-tiff, our whole-process counterpart of ImageMagick's -colors 256 and
# libtiff's tiffmedian, timed against both by run_quantize_bench.sh.
find_package(TIFF REQUIRED)
add_executable(quantize-tiff ${CMAKE_CURRENT_LIST_DIR}/quantize_tiff.cpp)
target_link_libraries(quantize-tiff PRIVATE zelvw_bitmap TIFF::TIFF)
