// Image files for the viewer's tests: TIFFs written with libtiff, JPEGs written with
// libjpeg, profiles embedded the way the JPEG reader looks for them, and the peer
// files kept under the test data folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace viewertest {

using Bytes = std::vector<uint8_t>;

struct Rgb {
  uint8_t r, g, b;
};

// The colour of pixel (x, y), top row first.
using PixelFn = std::function<Rgb(int x, int y)>;

// A pixel that tells where it is: red = column, green = row (both modulo 256),
// blue = 0x40 plus the column's multiple of 256.
Rgb WherePixel(int x, int y);

// An uncompressed 8-bit RGB TIFF, one strip, with the profile as tag 34675 when
// given.
void WriteRgbTiff(const std::string& path, int nWidth, int nHeight, const PixelFn& pixel,
                  const Bytes& icc = {});

// An uncompressed 8-bit palette TIFF: index(x, y) into a colour map of 256 entries,
// the colours given first (by default black, red and blue), then black.
void WritePaletteTiff(const std::string& path, int nWidth, int nHeight,
                      const std::function<uint8_t(int x, int y)>& index,
                      const std::vector<Rgb>& colours = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}});

// A baseline RGB JPEG at quality 100.
Bytes EncodeJpeg(int nWidth, int nHeight, const PixelFn& pixel);

// The JPEG with the profile carried in one "JFXX" APP2 segment right after SOI.
Bytes WithJfxxProfile(const Bytes& jpeg, const Bytes& profile);

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

// A file of the test data folder ($ZELVW_TEST_DATA).
std::string DataFile(const std::string& relative);

// A profile of the system's colour store that swaps red and green.
constexpr const char* kSwappedProfile = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";

}  // namespace viewertest
