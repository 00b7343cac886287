#include "tiff_reference.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <tiffio.h>

#include <cstdlib>
#include <memory>

#include "color/ColorEngine.h"
#include "host_run.h"
#include "tests/support/scratchdir.h"

namespace e2e {

namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

}  // namespace

void WriteTiff(const std::string& path, const TiffImage& image) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr) << path;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, image.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, image.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, image.height);
  if (image.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (!image.map.empty()) {
    std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
    for (size_t i = 0; i < image.map.size() && i < 256; ++i) {
      red[i] = static_cast<uint16_t>(image.map[i].r * 257);
      green[i] = static_cast<uint16_t>(image.map[i].g * 257);
      blue[i] = static_cast<uint16_t>(image.map[i].b * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  if (!image.icc.empty()) {
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(image.icc.size()),
                 image.icc.data());
  }
  size_t nRow = static_cast<size_t>(image.width) * image.samples;
  ASSERT_EQ(image.pixels.size(), nRow * image.height);
  std::vector<uint8_t> row(nRow);
  for (int y = 0; y < image.height; ++y) {
    std::copy_n(image.pixels.begin() + static_cast<ptrdiff_t>(y * nRow), nRow, row.begin());
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0), 1);
  }
  TIFFClose(tif);
}

std::vector<uint32_t> ReadRgbTiff(const std::string& path) {
  std::vector<uint32_t> pixels;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return pixels;
  uint32_t nWidth = 0, nHeight = 0;
  uint16_t nBits = 0, nSamples = 0, nPlanar = PLANARCONFIG_CONTIG;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &nWidth);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &nHeight);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &nBits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &nSamples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &nPlanar);
  if (nBits == 8 && nSamples == 3 && nPlanar == PLANARCONFIG_CONTIG &&
      TIFFScanlineSize(tif) == static_cast<tmsize_t>(nWidth) * 3) {
    std::vector<uint8_t> row(static_cast<size_t>(nWidth) * 3);
    for (uint32_t y = 0; y < nHeight; ++y) {
      if (TIFFReadScanline(tif, row.data(), y, 0) != 1) {
        pixels.clear();
        break;
      }
      for (uint32_t x = 0; x < nWidth; ++x) {
        pixels.push_back((uint32_t{row[3 * x]} << 16) | (uint32_t{row[3 * x + 1]} << 8) |
                         row[3 * x + 2]);
      }
    }
  }
  TIFFClose(tif);
  return pixels;
}

bool RunTificc(const std::string& input, const std::string& output,
               const std::string& outputProfile) {
  std::string command = "tificc " + ShellQuoted("-o" + outputProfile) + " " + ShellQuoted(input) +
                        " " + ShellQuoted(output) + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

std::string EngineSrgbProfile(const std::string& zirnHome) {
  testsupport::ScopedEnv home("ZIRN_HOME", zirnHome);
  CColorEngine engine;
  if (engine.Load() != 1) return std::string();
  int32_t nCursor1 = 0, nCursor2 = 0;
  char szName[256], szPath[256];
  while (engine.m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath, 256) >
         0) {
    if (std::string(szName).rfind("sRGB", 0) == 0) return szPath;
  }
  return std::string();
}

std::vector<Record> MatchLikeTheEngine(const viewertest::Bytes& source,
                                       const std::string& monitorProfile, bool bCmyk,
                                       const std::vector<Record>& records) {
  std::vector<Record> matched;
  Profile input(cmsOpenProfileFromMem(source.data(), static_cast<cmsUInt32Number>(source.size())));
  Profile output(cmsOpenProfileFromFile(monitorProfile.c_str(), "r"));
  if (input == nullptr || output == nullptr) return matched;
  cmsHTRANSFORM transform =
      cmsCreateTransform(input.get(), bCmyk ? TYPE_CMYK_16 : TYPE_RGB_16, output.get(), TYPE_RGB_16,
                         INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
  if (transform == nullptr) return matched;
  for (const Record& record : records) {
    Record result{};
    cmsDoTransform(transform, record.data(), result.data(), 1);
    matched.push_back(result);
  }
  cmsDeleteTransform(transform);
  return matched;
}

}  // namespace e2e
