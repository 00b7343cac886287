// Quantizes a consistent packed 24-bit DIB made from the input, optionally with an
// allocation made to fail, and checks what must hold of every result.
//
// Input: byte 0 flags (bit 0 ordered dither, bit 1 top-down, bits 2-3 fault: 1 a
// global allocation, 2 a cell allocation), byte 1 which allocation fails, bytes 2-3
// and 4-5 width and height (little-endian, reduced to 0..kMaxSide), then the pixels,
// repeated as often as the image needs them.
#include "bitmap/QuantContext.h"
#include "bitmap/Quantize.h"

#include <platform/testing.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned kMaxSide = 256;  // 65536 pixels: enough to saturate one cell

constexpr BYTE kCorners[8][3] = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                 {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckResult(const BITMAPINFOHEADER* out, LONG width, LONG height) {
  const uint64_t rowBytes = (uint64_t{8} * width + 31) / 32 * 4;
  const uint64_t rows = height < 0 ? -int64_t{height} : height;
  Check(GlobalSize(GlobalHandle(out)) == 1064 + rowBytes * rows);
  Check(out->biSize == 40 && out->biWidth == width && out->biHeight == height &&
        out->biPlanes == 1);
  Check(out->biBitCount == 8 && out->biSizeImage == rowBytes * rows);
  Check(out->biClrUsed == 256 && out->biClrImportant == 256);
  const auto* table = reinterpret_cast<const RGBQUAD*>(out + 1);
  for (int i = 0; i < 8; ++i) {
    Check(table[i].rgbRed == kCorners[i][0] && table[i].rgbGreen == kCorners[i][1] &&
          table[i].rgbBlue == kCorners[i][2]);
  }
  for (int i = 0; i < 256; ++i) Check(table[i].rgbReserved == 0);
  const BYTE* bits = reinterpret_cast<const BYTE*>(out) + 1064;
  for (uint64_t y = 0; y < rows; ++y) {
    for (uint64_t x = uint64_t(width); x < rowBytes; ++x) Check(bits[y * rowBytes + x] == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const unsigned flags = data[0];
  const LONG width = LONG((data[2] | data[3] << 8) % (kMaxSide + 1));
  const LONG rows = LONG((data[4] | data[5] << 8) % (kMaxSide + 1));
  const LONG height = (flags & 2) ? -rows : rows;
  const uint8_t* pixels = data + 6;
  const size_t pixelBytes = size - 6;

  const size_t rowBytes = (24 * size_t(width) + 31) / 32 * 4;
  std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + rowBytes * size_t(rows), 0);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::memcpy(dib.data(), &header, sizeof header);
  size_t next = 0;
  for (LONG y = 0; y < rows && pixelBytes != 0; ++y) {
    BYTE* row = dib.data() + sizeof header + size_t(y) * rowBytes;
    for (size_t i = 0; i < size_t(width) * 3; ++i) {
      row[i] = pixels[next];
      next = next + 1 == pixelBytes ? 0 : next + 1;
    }
  }

  const unsigned fault = (flags >> 2) & 3;
  if (fault == 1) platform::faults::FailNthGlobalAlloc(1 + data[1] % 2);
  if (fault == 2) platform::faults::FailNthHeapAlloc(1 + data[1]);

  const std::size_t blocksBefore = platform::testing::LiveGlobalBlocks();
  LPBITMAPINFOHEADER out = QuantizeDIB(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()),
                                       QUANT_METHOD_MEDIAN_CUT, flags & 1, nullptr);
  platform::faults::FailNthGlobalAlloc(0);
  platform::faults::FailNthHeapAlloc(0);
  if (out == nullptr) {
    Check(fault == 1 || fault == 2);
    Check(platform::testing::LiveGlobalBlocks() == blocksBefore);
    return 0;
  }
  Check(fault != 1);
  Check(platform::testing::LiveGlobalBlocks() == blocksBefore + 1);
  CheckResult(out, width, height);
  HGLOBAL handle = GlobalHandle(out);
  GlobalUnlock(handle);
  GlobalFree(handle);
  return 0;
}
