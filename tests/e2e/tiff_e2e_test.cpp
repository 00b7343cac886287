// TIFF images end to end through nphost.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::Near;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

// Bands of 16 rows, each its own colour.
Rgb Bands(int, int y) {
  static const Rgb colours[] = {{220, 40, 40},  {40, 200, 60},  {50, 60, 220},   {230, 220, 40},
                                {40, 210, 220}, {200, 50, 200}, {250, 250, 250}, {20, 20, 20}};
  return colours[(y / 16) % 8];
}

class TiffEndToEndTest : public e2e::HostTest {};

TEST_F(TiffEndToEndTest, TallTiffAndTheSameJpegScrolledDownShowTheSameRows) {
  std::string tiff = m_scratch / "tall.tif";
  std::string jpeg = m_scratch / "tall.jpg";
  viewertest::WriteRgbTiff(tiff, 40, 400, Bands);
  viewertest::WriteBytes(jpeg, viewertest::EncodeJpeg(40, 400, Bands));
  std::string script = m_scratch / "scroll.txt";
  std::string text = "vscroll pagedown\nvscroll pagedown\nvscroll linedown\nvscroll linedown\n";
  viewertest::WriteBytes(script, Bytes(text.begin(), text.end()));

  ASSERT_EQ(Host(tiff, {"--mode", "embed", "--size", "80x120", "--script", script}), 0);
  e2e::Screenshot fromTiff = e2e::ReadPng(Shot());
  ASSERT_EQ(Host(jpeg, {"--mode", "embed", "--size", "80x120", "--script", script}), 0);
  e2e::Screenshot fromJpeg = e2e::ReadPng(Shot());
  ASSERT_EQ(fromTiff.width, fromJpeg.width);
  ASSERT_EQ(fromTiff.height, fromJpeg.height);

  // Scrolled by 110 rows: the top of the window shows row 110 of the picture.
  EXPECT_EQ(fromTiff.At(20, 0), ToPixel(Bands(20, 110)));
  EXPECT_EQ(fromTiff.At(20, 100), ToPixel(Bands(20, 210)));
  int nCompared = 0;
  for (int y = 0; y < 100; ++y) {
    // Rows next to a band edge carry the JPEG's ringing; compare the rest.
    int nRow = y + 110;
    if (nRow % 16 < 2 || nRow % 16 > 13) continue;
    for (int x = 2; x < 38; ++x) {
      EXPECT_TRUE(Near(fromTiff.At(x, y), fromJpeg.At(x, y), 12)) << x << "," << y;
      ++nCompared;
    }
  }
  EXPECT_GT(nCompared, 2000);
}

}  // namespace
