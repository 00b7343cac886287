// What the TIFF end-to-end tests compare the screen with: TIFFs of any layout written
// with libtiff, the colours LittleCMS gives for them as the engine asks it, and the
// output of the installed tificc read back with libtiff.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/viewer/test_images.h"

namespace e2e {

// An 8-bit image for libtiff's writer: samples of each pixel in file order, rows top
// first, in one uncompressed strip.
struct TiffImage {
  int width = 0;
  int height = 0;
  int samples = 3;
  uint16_t photometric = 2;          // PHOTOMETRIC_RGB
  std::vector<viewertest::Rgb> map;  // colour map entries (palette images), 8-bit each
  viewertest::Bytes icc;             // tag 34675 when not empty
  viewertest::Bytes pixels;
};

void WriteTiff(const std::string& path, const TiffImage& image);

// The 8-bit RGB pixels (0x00RRGGBB, rows top first) of a contiguous 8-bit RGB TIFF;
// empty when it cannot be read or has another layout.
std::vector<uint32_t> ReadRgbTiff(const std::string& path);

// Runs tificc from the file's embedded profile to the output profile; whether it
// succeeded.
bool RunTificc(const std::string& input, const std::string& output,
               const std::string& outputProfile);

// The path of the display profile ChooseSrgbMonitor makes the monitor profile of the
// engine home: the first of the engine's store whose name starts with "sRGB".
std::string EngineSrgbProfile(const std::string& zirnHome);

// 16-bit colour records as the engine is handed them (RGB or CMYK), converted as the
// engine converts them: source profile to monitor profile, perceptual, 16 bits in and
// out. The results are 16-bit red, green, blue.
using Record = std::array<uint16_t, 4>;
std::vector<Record> MatchLikeTheEngine(const viewertest::Bytes& source,
                                       const std::string& monitorProfile, bool bCmyk,
                                       const std::vector<Record>& records);

}  // namespace e2e
