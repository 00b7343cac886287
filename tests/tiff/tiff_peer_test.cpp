// The peer suites' TIFFs: every file the reader converts gives libtiff's pixels, and
// every other file (out of scope or malformed) ends in a failure or an image without
// a crash, a hang or a leak.
#include <gtest/gtest.h>

#include <platform/testing.h>

#include <filesystem>
#include <string>

#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;
using tifftest::Decoded;

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name =
      std::filesystem::path(info.param).lexically_relative(tifftest::DataDir()).string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class InScopeFile : public ::testing::TestWithParam<std::string> {
 protected:
  // Bytes the reader never wrote would show as 0xCD.
  void SetUp() override { platform::testing::SetGlobalAllocFill(0xCD); }
  void TearDown() override { platform::testing::SetGlobalAllocFill(-1); }
};

TEST_P(InScopeFile, GivesLibtiffsPixels) {
  tifftest::MessageRecorder messages;
  Decoded d = tifftest::DecodeFile(GetParam());
  ASSERT_EQ(d.nRead, 0);
  ASSERT_EQ(d.nConvert, 0);
  tifftest::LibtiffRaster raster;
  ASSERT_TRUE(tifftest::DecodeWithLibtiff(GetParam(), &raster));
  EXPECT_EQ(d.pDIB->Width(), static_cast<int>(raster.nWidth));
  EXPECT_EQ(d.pDIB->Height(), static_cast<int>(raster.nHeight));
  EXPECT_EQ(d.pDIB->BitCount(), raster.wSamples == 1 ? 8 : 24);
  std::vector<Bytes> rows = tifftest::DibRows(d.pDIB.get());
  std::vector<Bytes> expected = tifftest::ExpectedRows(raster);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t y = 0; y < rows.size(); ++y) ASSERT_EQ(rows[y], expected[y]) << "row " << y;

  ASSERT_EQ(d.pTIFF->m_nColorMapEntries, static_cast<int>(raster.reds.size()));
  for (size_t i = 0; i < raster.reds.size(); ++i) {
    EXPECT_EQ(d.pTIFF->m_pColorMap[i].red, raster.reds[i]);
    EXPECT_EQ(d.pTIFF->m_pColorMap[i].green, raster.greens[i]);
    EXPECT_EQ(d.pTIFF->m_pColorMap[i].blue, raster.blues[i]);
  }
  EXPECT_TRUE(messages.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Peer, InScopeFile,
                         ::testing::ValuesIn(tifftest::FilesUnder(tifftest::DataDir() +
                                                                  "/in-scope")),
                         TestName);

class HostileFile : public ::testing::TestWithParam<std::string> {
 protected:
  // A hostile file may ask for any size: keep the ceiling low enough for the
  // sanitizers' machine.
  void SetUp() override { platform::faults::SetGlobalAllocLimit(std::size_t{256} << 20); }
  void TearDown() override { platform::faults::SetGlobalAllocLimit(0); }
};

TEST_P(HostileFile, EndsInAFailureOrAnImageAndLeaksNothing) {
  tifftest::MessageRecorder messages;
  Decoded d = tifftest::DecodeFile(GetParam());
  if (d.Ok()) {
    // An image: its blocks hold the whole pixel array the header describes.
    LPBITMAPINFOHEADER pInfo = d.pDIB->m_pInfo;
    ULONGLONG nBytes =
        DIBRowBytes(pInfo->biBitCount, pInfo->biWidth) * static_cast<ULONGLONG>(d.pDIB->Height());
    EXPECT_GE(GlobalSize(d.pDIB->m_hBits), nBytes);
  }
  EXPECT_TRUE(messages.messages.empty());
}

std::vector<std::string> HostileFiles() {
  std::vector<std::string> files = tifftest::FilesUnder(tifftest::DataDir() + "/out-of-scope");
  std::vector<std::string> malformed = tifftest::FilesUnder(tifftest::DataDir() + "/malformed");
  files.insert(files.end(), malformed.begin(), malformed.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Peer, HostileFile, ::testing::ValuesIn(HostileFiles()), TestName);

// Out-of-scope files the reader must refuse rather than show as noise.
TEST(PeerRefusals, LayoutsAndCompressionsItDoesNotConvert) {
  const char* refused[] = {
      "out-of-scope/libtiff/32bpp-None-jpeg.tiff",  // PackBits
      "out-of-scope/libtiffpic/jello.tif",          // PackBits
      "out-of-scope/pillow/compression.tif",        // CCITT 1D
      "out-of-scope/libtiff/rgb-3c-16b.tiff",       // 16-bit samples
      "out-of-scope/libtiff/32bpp-None.tiff",       // RGB with an extra sample
      "out-of-scope/libtiffpic/cramps-tile.tif",    // tiles under StripOffsets
      "out-of-scope/libtiffpic/depth/flower-rgb-planar-08.tif",
      "out-of-scope/libtiffpic/g3test.tif",  // FillOrder 2
      "out-of-scope/image-tiff/int8.tif",    // signed samples
      "out-of-scope/libtiffpic/depth/flower-minisblack-06.tif",
  };
  for (const char* name : refused) {
    Decoded d = tifftest::DecodeFile(tifftest::DataDir() + "/" + name);
    EXPECT_EQ(d.nRead, 0) << name;
    EXPECT_EQ(d.nConvert, -1) << name;
  }
  // Version 43 (BigTIFF) is not a classic TIFF.
  EXPECT_EQ(
      tifftest::DecodeFile(tifftest::DataDir() + "/malformed/pillow-tiff/seek_too_large.tif").nRead,
      20);
}

// Packed images the reader unpacks, against libtiff.
TEST(PeerPacked, OneTwoAndFourBitImagesGiveLibtiffsLevels) {
  const char* files[] = {
      "out-of-scope/libtiff/miniswhite-1c-1b.tiff",
      "out-of-scope/libtiff/palette-1c-1b.tiff",
      "out-of-scope/libtiff/palette-1c-4b.tiff",
      "out-of-scope/libtiffpic/depth/flower-minisblack-02.tif",
      "out-of-scope/libtiffpic/depth/flower-palette-04.tif",
      "out-of-scope/pillow/hopper_gray_4bpp.tif",
  };
  for (const char* name : files) {
    std::string path = tifftest::DataDir() + "/" + name;
    Decoded d = tifftest::DecodeFile(path);
    ASSERT_TRUE(d.Ok()) << name;
    tifftest::LibtiffRaster raster;
    ASSERT_TRUE(tifftest::DecodeWithLibtiff(path, &raster)) << name;
    EXPECT_EQ(tifftest::DibRows(d.pDIB.get()), tifftest::ExpectedRows(raster)) << name;
  }
}

}  // namespace
