#include "test_images.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>

namespace viewertest {

Rgb WherePixel(int x, int y) {
  return Rgb{static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
             static_cast<uint8_t>(0x40 + (x >> 8))};
}

void WriteRgbTiff(const std::string& path, int nWidth, int nHeight, const PixelFn& pixel,
                  const Bytes& icc) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr) << path;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, nWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, nHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, nHeight);
  if (!icc.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data());
  std::vector<uint8_t> row(static_cast<size_t>(nWidth) * 3);
  for (int y = 0; y < nHeight; ++y) {
    for (int x = 0; x < nWidth; ++x) {
      Rgb c = pixel(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
  }
  TIFFClose(tif);
}

void WritePaletteTiff(const std::string& path, int nWidth, int nHeight,
                      const std::function<uint8_t(int x, int y)>& index,
                      const std::vector<Rgb>& colours) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr) << path;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, nWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, nHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, nHeight);
  std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
  for (size_t i = 0; i < colours.size() && i < 256; ++i) {
    red[i] = static_cast<uint16_t>(colours[i].r * 257);
    green[i] = static_cast<uint16_t>(colours[i].g * 257);
    blue[i] = static_cast<uint16_t>(colours[i].b * 257);
  }
  TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  std::vector<uint8_t> row(static_cast<size_t>(nWidth));
  for (int y = 0; y < nHeight; ++y) {
    for (int x = 0; x < nWidth; ++x) row[x] = index(x, y);
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
  }
  TIFFClose(tif);
}

Bytes EncodeJpeg(int nWidth, int nHeight, const PixelFn& pixel) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* pOut = nullptr;
  unsigned long nOut = 0;
  jpeg_mem_dest(&cinfo, &pOut, &nOut);
  cinfo.image_width = static_cast<JDIMENSION>(nWidth);
  cinfo.image_height = static_cast<JDIMENSION>(nHeight);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  // Full-resolution chroma, so colours stay close to what was written.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(nWidth) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < nWidth; ++x) {
      Rgb c = pixel(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes bytes(pOut, pOut + nOut);
  jpeg_destroy_compress(&cinfo);
  std::free(pOut);
  return bytes;
}

Bytes WithJfxxProfile(const Bytes& jpeg, const Bytes& profile) {
  // Marker, length, "JFXX\0", one byte, twelve bytes, chunk 1 of 1, byte count, data.
  const size_t nLength = 2 + 5 + 1 + 12 + 1 + 1 + 4 + profile.size();
  EXPECT_LE(nLength, 0xFFFFu) << "the profile must fit one segment";
  Bytes segment = {0xFF,
                   0xE2,
                   static_cast<uint8_t>(nLength >> 8),
                   static_cast<uint8_t>(nLength),
                   'J',
                   'F',
                   'X',
                   'X',
                   0,
                   0};
  segment.insert(segment.end(), 12, 0);
  segment.push_back(1);
  segment.push_back(1);
  uint32_t nData = static_cast<uint32_t>(profile.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    segment.push_back(static_cast<uint8_t>(nData >> shift));
  segment.insert(segment.end(), profile.begin(), profile.end());

  Bytes result;
  result.reserve(jpeg.size() + segment.size());
  result.push_back(jpeg.at(0));  // SOI
  result.push_back(jpeg.at(1));
  result.insert(result.end(), segment.begin(), segment.end());
  result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
  return result;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << path;
}

std::string DataFile(const std::string& relative) {
  const char* dir = std::getenv("ZELVW_TEST_DATA");
  EXPECT_NE(dir, nullptr) << "ZELVW_TEST_DATA is not set";
  return std::string(dir != nullptr ? dir : ".") + "/" + relative;
}

}  // namespace viewertest
