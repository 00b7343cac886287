// jpegtodib-bmp IN OUT.bmp: decodes IN with JpegToDib and writes the block as a
// BMP file, as djpeg -bmp does: 24-bit for colour, 8-bit with a grey colour
// table for grey. The whole-process half of the JpegToDib benchmark.
#include "jpeg/JpegToDib.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: jpegtodib-bmp IN.jpg OUT.bmp\n");
    return 2;
  }
  int height = 0;
  int width = 0;
  int components = 0;
  HGLOBAL hDib = JpegToDib(argv[1], &height, &width, &components);
  if (hDib == nullptr) return 1;

  // From the decoder, not the block size: a one-pixel-wide row is 4 bytes either way.
  size_t bytes = GlobalSize(hDib);
  WORD bitCount = components == 1 ? 8 : 24;
  DWORD colours = bitCount == 8 ? 256 : 0;

  // Filled apart and copied in: the info header is at byte 14 of the file, which is no
  // place for its DWORDs in memory.
  std::vector<BYTE> header(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) +
                           colours * sizeof(RGBQUAD));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfSize = static_cast<DWORD>(header.size() + bytes);
  file.bfOffBits = static_cast<DWORD>(header.size());
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(BITMAPINFOHEADER);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = bitCount;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(bytes);
  info.biClrUsed = colours;
  BYTE* at = header.data();
  std::memcpy(at, &file, sizeof file);
  std::memcpy(at += sizeof file, &info, sizeof info);
  at += sizeof info;
  for (DWORD i = 0; i < colours; ++i, at += sizeof(RGBQUAD)) {
    RGBQUAD grey{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    std::memcpy(at, &grey, sizeof grey);
  }

  std::FILE* out = std::fopen(argv[2], "wb");
  const void* pixels = GlobalLock(hDib);
  bool written = out != nullptr &&
                 std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
                 std::fwrite(pixels, 1, bytes, out) == bytes;
  GlobalUnlock(hDib);
  GlobalFree(hDib);
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "jpegtodib-bmp: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
