#include "bench/rgb_jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace bench {
namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf exit;
};

void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->exit, 1);
}

}  // namespace

// The only function with setjmp: nothing with a destructor is created between setjmp and
// the library calls.
bool DecodeRgbJpeg(std::FILE* file,
                   const std::function<std::uint8_t*(unsigned nWidth, unsigned nHeight)>& start,
                   const std::function<void(unsigned nRow, std::uint8_t* pRow)>& row) {
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.exit)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const std::size_t nRowBytes = std::size_t{info.output_width} * 3;
  std::uint8_t* pImage = start(info.output_width, info.output_height);
  while (info.output_scanline < info.output_height) {
    unsigned nRow = info.output_scanline;
    JSAMPROW pRow = pImage + nRowBytes * nRow;
    jpeg_read_scanlines(&info, &pRow, 1);
    if (row) row(nRow, pRow);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace bench
