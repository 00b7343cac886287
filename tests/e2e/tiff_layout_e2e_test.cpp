// TIFFs as libtiff's own tools write them: every layout the viewer cannot show is
// refused with the conversion message, and `tiffcp -c lzw` turns the compressed ones
// into files it shows, profile and all. A CMYK TIFF whose profile the engine cannot
// open is still shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "tiff_reference.h"

namespace {

using e2e::kWhite;
using e2e::ToPixel;
using viewertest::Rgb;

constexpr int kSide = 32;

Rgb Colour(int x, int y) {
  return Rgb{static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8),
             static_cast<uint8_t>(200 - x * 4)};
}

class TiffLayoutTest : public e2e::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ChooseSrgbMonitor();
    e2e::TiffImage image{kSide, kSide, 3, 2, {}, viewertest::ReadBytes(viewertest::kSwappedProfile),
                         {}};
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        Rgb c = Colour(x, y);
        image.pixels.insert(image.pixels.end(), {c.r, c.g, c.b});
      }
    }
    e2e::WriteTiff(m_scratch / "source.tif", image);
  }

  // Runs a shell command of libtiff's tools in the scratch directory.
  void Tool(const std::string& command) {
    std::string line =
        "cd " + e2e::ShellQuoted(m_scratch.path()) + " && " + command + " 2>/dev/null";
    ASSERT_EQ(std::system(line.c_str()), 0) << command;
  }

  // nphost on the file, full page; the screenshot and the message texts.
  e2e::Screenshot Show(const std::string& name, std::vector<std::string>* pTexts) {
    std::string path = m_scratch / name;
    EXPECT_EQ(HostChecked(path, {"--size", "100x50"}, name), 0);
    for (const e2e::LoggedMessage& m : e2e::ReadMessageBoxes(Log())) pTexts->push_back(m.text);
    return e2e::ReadPng(Shot());
  }
};

TEST_F(TiffLayoutTest, LayoutsItCannotShowAreRefusedAndLzwCopiesAreShownMatched) {
  struct Case {
    const char* what;
    const char* command;
    const char* lzwCopy;  // empty when tiffcp cannot make the layout one the viewer shows
  };
  const Case cases[] = {
      {"Deflate", "tiffcp -c zip source.tif out.tif", "tiffcp -c lzw out.tif copy.tif"},
      {"old Deflate code", "tiffcp -c zip source.tif out.tif && tiffset -s 259 32946 out.tif",
       "tiffcp -c lzw out.tif copy.tif"},
      {"PackBits", "tiffcp -c packbits source.tif out.tif", "tiffcp -c lzw out.tif copy.tif"},
      {"JPEG of YCbCr", "tiffcp -c jpeg -r 16 source.tif out.tif",
       "tiffcp -c lzw out.tif copy.tif"},
      {"JPEG of RGB", "tiffcp -c jpeg:r -r 16 source.tif out.tif",
       "tiffcp -c lzw out.tif copy.tif"},
      {"tiles", "tiffcp -t -w 16 -l 16 source.tif out.tif",
       "tiffcp -c lzw -s -p contig out.tif copy.tif"},
      {"planar", "tiffcp -p separate source.tif out.tif",
       "tiffcp -c lzw -s -p contig out.tif copy.tif"},
      {"YCbCr samples", "tiffcp source.tif out.tif && tiffset -s 262 6 out.tif", ""},
      {"CIELab samples", "tiffcp source.tif out.tif && tiffset -s 262 8 out.tif", ""},
  };
  std::vector<std::string> texts;
  e2e::Screenshot original = Show("source.tif", &texts);
  ASSERT_TRUE(texts.empty());
  ASSERT_NE(original.At(kSide + 5, 20), ToPixel(Colour(5, 20))) << "the matched half is drawn";

  for (const Case& c : cases) {
    Tool(c.command);
    texts.clear();
    e2e::Screenshot shot = Show("out.tif", &texts);
    EXPECT_EQ(texts, std::vector<std::string>{"Failed in TIFF2DIB conversion"}) << c.what;
    EXPECT_TRUE(std::all_of(shot.pixels.begin(), shot.pixels.end(), [](uint32_t p) {
      return p == kWhite;
    })) << c.what;
    if (*c.lzwCopy == '\0') continue;

    Tool(c.lzwCopy);
    texts.clear();
    shot = Show("copy.tif", &texts);
    EXPECT_TRUE(texts.empty()) << c.what;
    // The copy keeps the profile: its matched half is the original's. JPEG is lossy.
    int nTolerance = std::string(c.what).find("JPEG") == 0 ? 12 : 0;
    for (int x : {1, 17, 30}) {
      for (int y : {2, 20, 31}) {
        EXPECT_TRUE(e2e::Near(shot.At(x, y), original.At(x, y), nTolerance))
            << c.what << " " << x << "," << y;
        EXPECT_TRUE(e2e::Near(shot.At(kSide + x, y), original.At(kSide + x, y), nTolerance))
            << c.what << " matched " << x << "," << y;
      }
    }
  }
}

TEST_F(TiffLayoutTest, GreyWithoutPhotometricHasBlackAtZero) {
  e2e::TiffImage grey{kSide, 1, 1, 1, {}, {}, {}};
  for (int x = 0; x < kSide; ++x) grey.pixels.push_back(static_cast<uint8_t>(x * 8));
  e2e::WriteTiff(m_scratch / "grey.tif", grey);
  Tool("tiffset -u 262 grey.tif && ! tiffdump grey.tif | grep -q '^Photometric'");
  std::vector<std::string> texts;
  e2e::Screenshot shot = Show("grey.tif", &texts);
  EXPECT_TRUE(texts.empty());
  for (int x : {0, 3, 31})
    EXPECT_EQ(shot.At(x, 0), ToPixel(Rgb{uint8_t(x * 8), uint8_t(x * 8), uint8_t(x * 8)})) << x;
}

TEST_F(TiffLayoutTest, CmykWhoseSessionCannotStartIsShownUnmatched) {
  // The printer profile cut inside its first table: the engine names it but cannot
  // begin a session with it.
  viewertest::Bytes icc =
      viewertest::ReadBytes("/usr/share/color/icc/ghostscript/default_cmyk.icc");
  ASSERT_GT(icc.size(), 1400u);
  icc.resize(1400);
  e2e::TiffImage image{kSide, kSide, 4, 5, {}, icc, {}};
  const uint8_t kRedInk[] = {0, 255, 255, 0}, kOtherInk[] = {200, 0, 50, 30};
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const uint8_t* pInk = x < kSide / 2 ? kRedInk : kOtherInk;
      image.pixels.insert(image.pixels.end(), pInk, pInk + 4);
    }
  }
  e2e::WriteTiff(m_scratch / "cmyk.tif", image);
  std::vector<std::string> texts;
  e2e::Screenshot shot = Show("cmyk.tif", &texts);
  EXPECT_EQ(texts, std::vector<std::string>{"Failed in BeginMatchingSession (error=>6)"});
  EXPECT_EQ(shot.At(3, 3), ToPixel(Rgb{255, 0, 0}));
  EXPECT_EQ(shot.At(kSide - 3, 3), ToPixel(Rgb{25, 225, 175}));
  EXPECT_EQ(shot.At(kSide + 3, 3), kWhite) << "no matched copy";
}

}  // namespace
