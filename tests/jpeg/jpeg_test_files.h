// Files for the JPEG tests: JPEGs written here with libjpeg from known pixels,
// byte surgery on them, and the reference decode of Debian's djpeg -bmp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

struct JpegOptions {
  int width = 16;
  int height = 16;
  int components = 3;  // 3: RGB in, YCbCr in the file; 1: grey
  int quality = 90;
  bool fullChroma = false;  // 4:4:4 instead of the library's 4:2:0
  bool progressive = false;
  int restartRows = 0;  // restart interval in MCU rows; 0: none
};

// A deterministic textured picture of the given size: samples interleaved,
// top row first.
Bytes PatternPixels(int width, int height, int components);

// Encodes pixels (top row first, components interleaved) as a JPEG file.
Bytes EncodeJpeg(const JpegOptions& options, const Bytes& pixels);
Bytes EncodeJpeg(const JpegOptions& options);  // PatternPixels

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);

// Overwrites the frame header's height and width (the first SOFn).
void PatchFrameSize(Bytes& jpeg, uint16_t height, uint16_t width);

// Repeats the file's last scan until the file has `scans` scans.
void RepeatLastScan(Bytes& jpeg, int scans);

struct Bitmap {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  Bytes pixels;  // the BMP's pixel array: bottom-up rows padded to 4 bytes
};

// Decodes with djpeg -bmp into bmpPath; false when djpeg refuses the file.
bool DjpegBitmap(const std::string& jpegPath, const std::string& bmpPath, Bitmap* bitmap);
// The pixel array of a BMP file with a 40-byte info header; false when it is none.
bool ReadBitmap(const std::string& bmpPath, Bitmap* bitmap);

}  // namespace jpegtest
