// quantize-tiff IN.tif OUT.tif: reads an 8-bit RGB TIFF (contiguous samples) into a
// packed bottom-up 24-bit DIB, quantizes it with QuantizeDIB as the viewer does
// (median cut, ordered dither) and writes an uncompressed 8-bit palette TIFF, as
// tiffmedian does. The whole-process half of the quantizer benchmark.
#include "bitmap/Quantize.h"

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The packed DIB in a locked global block, as the viewer hands it over; NULL on a
// TIFF this program does not read.
LPBITMAPINFOHEADER ReadTiff(const char* path, HGLOBAL* handle) {
  TIFF* in = TIFFOpen(path, "r");
  if (in == nullptr) return nullptr;
  uint32_t width = 0, height = 0;
  uint16_t bits = 0, samples = 0, planar = PLANARCONFIG_CONTIG;
  TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(in, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(in, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(in, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(in, TIFFTAG_PLANARCONFIG, &planar);
  const uint64_t rowBytes = (uint64_t{24} * width + 31) / 32 * 4;
  if (bits != 8 || samples != 3 || planar != PLANARCONFIG_CONTIG || width > 0x7FFFFFFF ||
      rowBytes * height > 0xFFFFFFFFu) {
    TIFFClose(in);
    return nullptr;
  }
  *handle = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + rowBytes * height);
  auto* dib = static_cast<LPBITMAPINFOHEADER>(*handle != nullptr ? GlobalLock(*handle) : nullptr);
  std::vector<BYTE> rgb(size_t(width) * 3);
  bool ok = dib != nullptr;
  if (ok) {
    *dib = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER),
                            LONG(width),
                            LONG(height),
                            1,
                            24,
                            BI_RGB,
                            DWORD(rowBytes * height),
                            0,
                            0,
                            0,
                            0};
    BYTE* bitsStart = reinterpret_cast<BYTE*>(dib + 1);
    for (uint32_t y = 0; ok && y < height; ++y) {
      ok = TIFFReadScanline(in, rgb.data(), y) == 1;
      if (!ok) break;
      BYTE* row = bitsStart + (height - 1 - y) * rowBytes;  // bottom row first
      for (uint32_t x = 0; x < width; ++x) {
        row[3 * x] = rgb[3 * x + 2];
        row[3 * x + 1] = rgb[3 * x + 1];
        row[3 * x + 2] = rgb[3 * x];
      }
    }
  }
  TIFFClose(in);
  if (!ok && *handle != nullptr) {
    GlobalUnlock(*handle);
    GlobalFree(*handle);
  }
  return ok ? dib : nullptr;
}

bool WriteTiff(const char* path, const BITMAPINFOHEADER* dib) {
  TIFF* out = TIFFOpen(path, "w");
  if (out == nullptr) return false;
  const uint32_t width = uint32_t(dib->biWidth), height = uint32_t(dib->biHeight);
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(out, 0));
  const auto* table = reinterpret_cast<const RGBQUAD*>(dib + 1);
  std::vector<uint16_t> red(256), green(256), blue(256);
  for (int i = 0; i < 256; ++i) {
    red[i] = uint16_t(table[i].rgbRed * 257);
    green[i] = uint16_t(table[i].rgbGreen * 257);
    blue[i] = uint16_t(table[i].rgbBlue * 257);
  }
  TIFFSetField(out, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  const size_t rowBytes = (size_t(width) + 3) & ~size_t{3};
  const BYTE* bits = reinterpret_cast<const BYTE*>(table + 256);
  bool ok = true;
  for (uint32_t y = 0; ok && y < height; ++y) {
    ok = TIFFWriteScanline(out, const_cast<BYTE*>(bits + (height - 1 - y) * rowBytes), y, 0) == 1;
  }
  TIFFClose(out);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quantize-tiff IN.tif OUT.tif\n");
    return 2;
  }
  HGLOBAL hIn = nullptr;
  LPBITMAPINFOHEADER in = ReadTiff(argv[1], &hIn);
  if (in == nullptr) {
    std::fprintf(stderr, "quantize-tiff: cannot read %s as an 8-bit RGB TIFF\n", argv[1]);
    return 1;
  }
  LPBITMAPINFOHEADER out = QuantizeDIB(in, QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr);
  GlobalUnlock(hIn);
  GlobalFree(hIn);
  if (out == nullptr) {
    std::fprintf(stderr, "quantize-tiff: QuantizeDIB failed\n");
    return 1;
  }
  bool written = WriteTiff(argv[2], out);
  HGLOBAL hOut = GlobalHandle(out);
  GlobalUnlock(hOut);
  GlobalFree(hOut);
  if (!written) {
    std::fprintf(stderr, "quantize-tiff: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
