#include "jpeg_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <sys/wait.h>

#include <jpeglib.h>

namespace jpegtest {

Bytes PatternPixels(int width, int height, int components) {
  Bytes pixels;
  pixels.reserve(static_cast<size_t>(width) * height * components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        unsigned grain = (static_cast<unsigned>(x * 7 + y * 13 + c * 29) * 2654435761u) >> 28;
        pixels.push_back(static_cast<uint8_t>(x * 255 / width + y * 3 * (c + 1) + grain * 4));
      }
    }
  }
  return pixels;
}

Bytes EncodeJpeg(const JpegOptions& options, const Bytes& pixels) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(options.width);
  cinfo.image_height = static_cast<JDIMENSION>(options.height);
  cinfo.input_components = options.components;
  cinfo.in_color_space = options.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.fullChroma && options.components == 3) {
    cinfo.comp_info[0].h_samp_factor = 1;
    cinfo.comp_info[0].v_samp_factor = 1;
  }
  if (options.progressive) jpeg_simple_progression(&cinfo);
  cinfo.restart_in_rows = options.restartRows;
  jpeg_start_compress(&cinfo, TRUE);
  size_t stride = static_cast<size_t>(options.width) * options.components;
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = const_cast<JSAMPLE*>(pixels.data() + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes jpeg(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

Bytes EncodeJpeg(const JpegOptions& options) {
  return EncodeJpeg(options, PatternPixels(options.width, options.height, options.components));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

void PatchFrameSize(Bytes& jpeg, uint16_t height, uint16_t width) {
  for (size_t i = 2; i + 9 <= jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      // FF Cn, length (2), precision (1), height (2), width (2)
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return;
    }
  }
  ADD_FAILURE() << "no frame header";
}

void RepeatLastScan(Bytes& jpeg, int scans) {
  // Entropy-coded data stuffs every 0xFF, so FF DA is always a scan header.
  int found = 0;
  size_t last = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      ++found;
      last = i;
    }
  }
  ASSERT_GT(found, 0);
  ASSERT_LE(found, scans);
  ASSERT_TRUE(jpeg.size() >= 2 && jpeg[jpeg.size() - 2] == 0xFF && jpeg.back() == 0xD9);
  Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(last), jpeg.end() - 2);
  Bytes eoi(jpeg.end() - 2, jpeg.end());
  jpeg.resize(jpeg.size() - 2);
  for (; found < scans; ++found) jpeg.insert(jpeg.end(), scan.begin(), scan.end());
  jpeg.insert(jpeg.end(), eoi.begin(), eoi.end());
}

namespace {

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

bool DjpegBitmap(const std::string& jpegPath, const std::string& bmpPath, Bitmap* bitmap) {
  std::string command = std::string("'") + ZELVW_DJPEG + "' -bmp -outfile '" + bmpPath + "' '" +
                        jpegPath + "' 2>/dev/null";
  int status = std::system(command.c_str());
  // djpeg: 0 decoded, 2 decoded with warnings, 1 refused.
  if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2)) return false;
  bool read = ReadBitmap(bmpPath, bitmap);
  std::remove(bmpPath.c_str());
  return read;
}

bool ReadBitmap(const std::string& bmpPath, Bitmap* bitmap) {
  Bytes bmp = ReadFile(bmpPath);
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return false;
  uint32_t offset = Le32(bmp, 10);
  bitmap->width = static_cast<int>(Le32(bmp, 18));
  bitmap->height = static_cast<int>(Le32(bmp, 22));
  bitmap->bitCount = bmp[28] | bmp[29] << 8;
  size_t rowWidth = (static_cast<size_t>(bitmap->width) * bitmap->bitCount / 8 + 3) & ~size_t{3};
  size_t bytes = rowWidth * static_cast<size_t>(bitmap->height);
  if (bitmap->height <= 0 || offset > bmp.size() || bmp.size() - offset < bytes) return false;
  bitmap->pixels.assign(bmp.begin() + offset,
                        bmp.begin() + static_cast<std::ptrdiff_t>(offset + bytes));
  return true;
}

}  // namespace jpegtest
