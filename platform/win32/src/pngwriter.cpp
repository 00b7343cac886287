// PNG output through libpng. libpng reports errors by longjmp, so setjmp lives in
// WriteRows alone, where no object with a destructor is alive; the buffers and the
// file belong to WritePng.
#include "pngwriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace platform::gdi {
namespace {

bool WriteRows(png_structp png, png_infop info, int width, int height, const PngRowSource& rows,
               std::uint32_t* pixels, png_bytep bytes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Pages are large and mostly flat: fast compression, no filtering.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    rows(y, pixels);
    for (int x = 0; x < width; ++x) {
      bytes[3 * x] = static_cast<png_byte>(pixels[x] >> 16);
      bytes[3 * x + 1] = static_cast<png_byte>(pixels[x] >> 8);
      bytes[3 * x + 2] = static_cast<png_byte>(pixels[x]);
    }
    png_write_row(png, bytes);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const PngRowSource& rows) {
  if (width < 1 || height < 1) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info != nullptr) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width));
    std::vector<png_byte> bytes(static_cast<std::size_t>(width) * 3);
    png_init_io(png, file);
    ok = WriteRows(png, info, width, height, rows, pixels.data(), bytes.data());
  }
  png_destroy_write_struct(&png, &info);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace platform::gdi
