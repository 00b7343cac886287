// TIFF images end to end through nphost: scrolling, matching against LittleCMS and
// tificc, and every broken or unsupported TIFF of the test data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "tests/support/scratchdir.h"
#include "tiff_reference.h"

namespace {

namespace fs = std::filesystem;
using e2e::kWhite;
using e2e::Near;
using e2e::Record;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

constexpr const char* kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
constexpr const char* kWideGamutProfile = "/usr/share/color/icc/colord/WideGamutRGB.icc";
constexpr const char* kAppleProfile = "/usr/share/color/icc/colord/AppleRGB.icc";

// Bands of 16 rows, each its own colour.
Rgb Bands(int, int y) {
  static const Rgb colours[] = {{220, 40, 40},  {40, 200, 60},  {50, 60, 220},   {230, 220, 40},
                                {40, 210, 220}, {200, 50, 200}, {250, 250, 250}, {20, 20, 20}};
  return colours[(y / 16) % 8];
}

// The test images: 8 x 8 patches of 8 x 8 pixels, levels spread over the whole range.
constexpr int kPatches = 8;
constexpr int kSide = 64;

uint8_t Level(int n) { return static_cast<uint8_t>(n % kPatches * 255 / (kPatches - 1)); }
int Patch(int x, int y) { return y / 8 * kPatches + x / 8; }
Rgb PatchColour(int nPatch) {
  int i = nPatch % kPatches, j = nPatch / kPatches;
  return Rgb{Level(i), Level(j), Level(3 * i + 5 * j)};
}
std::array<uint8_t, 4> PatchInk(int nPatch) {
  int i = nPatch % kPatches, j = nPatch / kPatches;
  return {Level(i), Level(j), Level(3 * i + 5 * j), static_cast<uint8_t>((i + 2 * j) % 4 * 64)};
}

e2e::TiffImage RgbPatches(const Bytes& icc) {
  e2e::TiffImage image{kSide, kSide, 3, 2, {}, icc, {}};
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      Rgb c = PatchColour(Patch(x, y));
      image.pixels.insert(image.pixels.end(), {c.r, c.g, c.b});
    }
  }
  return image;
}

// The 16-bit red, green, blue of a record as 8-bit: the high bytes, as matched pixels
// take them.
uint32_t HighBytes(const Record& c) {
  return (uint32_t{c[0]} >> 8 << 16) | (uint32_t{c[1]} >> 8 << 8) | (uint32_t{c[2]} >> 8);
}
// Likewise on the scale the palette takes a matched colour map with.
uint32_t PaletteBytes(const Record& c) {
  auto level = [](uint16_t v) { return uint32_t{v} * 255u / 65535u; };
  return (level(c[0]) << 16) | (level(c[1]) << 8) | level(c[2]);
}

// Counts the pixels of the screenshot's kSide x kSide square at (x0, y0) farther than
// nTolerance from the expected pixels (rows top first), and names the first of them.
void ExpectImage(const e2e::Screenshot& shot, int x0, int y0, const std::vector<uint32_t>& expected,
                 int nTolerance, const char* what) {
  ASSERT_EQ(expected.size(), static_cast<size_t>(kSide * kSide)) << what;
  ASSERT_GE(shot.width, x0 + kSide) << what;
  ASSERT_GE(shot.height, y0 + kSide) << what;
  int nFar = 0;
  std::ostringstream first;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      uint32_t want = expected[static_cast<size_t>(y) * kSide + x];
      uint32_t got = shot.At(x0 + x, y0 + y);
      if (Near(got, want, nTolerance)) continue;
      if (nFar++ == 0)
        first << " first at " << x << "," << y << ": " << std::hex << got << " for " << want;
    }
  }
  EXPECT_EQ(nFar, 0) << what << ": pixels farther than " << nTolerance << first.str();
}

class TiffEndToEndTest : public e2e::HostTest {
 protected:
  // Makes sRGB the monitor profile; the path of its profile file.
  std::string SrgbMonitor() {
    ChooseSrgbMonitor();
    std::string path = e2e::EngineSrgbProfile(ZirnHome());
    EXPECT_FALSE(path.empty());
    return path;
  }

  // What tificc makes of the TIFF for the monitor profile, read back.
  std::vector<uint32_t> Tificc(const std::string& tiff, const std::string& monitor) {
    std::string out = m_scratch / "tificc-out.tif";
    EXPECT_TRUE(e2e::RunTificc(tiff, out, monitor)) << tiff;
    return e2e::ReadRgbTiff(out);
  }
};

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

TEST_F(TiffEndToEndTest, RgbWithSwappingProfileShowsDecodedAndMatchedAsLittleCmsAndTificc) {
  std::string monitor = SrgbMonitor();
  Bytes icc = viewertest::ReadBytes(viewertest::kSwappedProfile);
  e2e::TiffImage image = RgbPatches(icc);
  std::string path = m_scratch / "swapped.tif";
  e2e::WriteTiff(path, image);

  ASSERT_EQ(HostChecked(path, {"--size", "200x100"}, path), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());

  std::vector<uint32_t> decoded;
  std::vector<Record> records;
  for (size_t i = 0; i < image.pixels.size(); i += 3) {
    const uint8_t* p = &image.pixels[i];
    decoded.push_back(ToPixel(Rgb{p[0], p[1], p[2]}));
    records.push_back({uint16_t(p[0] * 257), uint16_t(p[1] * 257), uint16_t(p[2] * 257), 0});
  }
  std::vector<uint32_t> lcms;
  for (const Record& c : e2e::MatchLikeTheEngine(icc, monitor, false, records))
    lcms.push_back(HighBytes(c));
  ExpectImage(shot, 0, 0, decoded, 0, "decoded");
  ExpectImage(shot, kSide, 0, lcms, 1, "matched against LittleCMS");
  ExpectImage(shot, kSide, 0, Tificc(path, monitor), 2, "matched against tificc");
  EXPECT_EQ(shot.At(150, 50), kWhite);
}

TEST_F(TiffEndToEndTest, CmykWithPrinterProfileIsMatchedAsLittleCmsAndTificcMatchIt) {
  std::string monitor = SrgbMonitor();
  Bytes icc = viewertest::ReadBytes(kCmykProfile);
  e2e::TiffImage image{kSide, kSide, 4, 5, {}, icc, {}};
  std::vector<Record> records;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      std::array<uint8_t, 4> ink = PatchInk(Patch(x, y));
      image.pixels.insert(image.pixels.end(), ink.begin(), ink.end());
      // The engine is handed each ink times 256.
      records.push_back({uint16_t(ink[0] * 256), uint16_t(ink[1] * 256), uint16_t(ink[2] * 256),
                         uint16_t(ink[3] * 256)});
    }
  }
  std::string path = m_scratch / "cmyk.tif";
  e2e::WriteTiff(path, image);

  ASSERT_EQ(HostChecked(path, {"--size", "200x100"}, path), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  std::vector<uint32_t> lcms;
  for (const Record& c : e2e::MatchLikeTheEngine(icc, monitor, true, records))
    lcms.push_back(HighBytes(c));
  ExpectImage(shot, kSide, 0, lcms, 1, "matched against LittleCMS");
  ExpectImage(shot, kSide, 0, Tificc(path, monitor), 2, "matched against tificc");
}

class TiffPaletteTest : public TiffEndToEndTest {
 protected:
  // A palette TIFF of the patches with the profile, in a page; the colours LittleCMS
  // gives its colour map.
  std::string WritePage(const char* profile, std::vector<uint32_t>* pMatched) {
    std::string monitor = SrgbMonitor();
    Bytes icc = viewertest::ReadBytes(profile);
    e2e::TiffImage image{kSide, kSide, 1, 3, {}, icc, {}};
    std::vector<Record> records;
    for (int n = 0; n < kPatches * kPatches; ++n) {
      Rgb c = PatchColour(n);
      image.map.push_back(c);
      records.push_back({uint16_t(c.r * 257), uint16_t(c.g * 257), uint16_t(c.b * 257), 0});
    }
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) image.pixels.push_back(static_cast<uint8_t>(Patch(x, y)));
    e2e::WriteTiff(m_scratch / "palette.tif", image);

    std::vector<Record> map = e2e::MatchLikeTheEngine(icc, monitor, false, records);
    EXPECT_EQ(map.size(), records.size());
    for (int y = 0; y < kSide && map.size() == records.size(); ++y)
      for (int x = 0; x < kSide; ++x) pMatched->push_back(PaletteBytes(map[Patch(x, y)]));

    m_icc = icc;
    m_monitor = monitor;
    return WriteText("page.html",
                     "<html><body><embed src=\"palette.tif\" width=\"100\" "
                     "height=\"80\"></body></html>\n");
  }

  Bytes m_icc;
  std::string m_monitor;
};

// Against tificc with a profile of a gamut near the monitor's: for colours far outside
// it, LittleCMS's 16-bit transform (the engine's) and its 8-bit one (tificc's) clip
// apart by more than 2.
TEST_F(TiffPaletteTest, EmbeddedPaletteWithProfileShowsItsMatchedColourMap) {
  std::vector<uint32_t> matched;
  std::string page = WritePage(kAppleProfile, &matched);
  ASSERT_EQ(HostChecked(page, {}, page), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  // The plug-in's window is 8 pixels from the page's edges.
  ExpectImage(shot, 8, 8, matched, 1, "matched against LittleCMS");
  // tificc takes no palette images: the same colours as RGB pixels.
  e2e::WriteTiff(m_scratch / "rgb.tif", RgbPatches(m_icc));
  ExpectImage(shot, 8, 8, Tificc(m_scratch / "rgb.tif", m_monitor), 2, "matched against tificc");
  EXPECT_EQ(shot.At(8 + kSide + 10, 8 + 10), kWhite);
}

TEST_F(TiffPaletteTest, OnA256ColourScreenThePaletteImageShowsWithItsOwnPalette) {
  std::vector<uint32_t> matched;
  std::string page = WritePage(kWideGamutProfile, &matched);
  ASSERT_EQ(HostChecked(page, {"--depth", "8"}, page), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ExpectImage(shot, 8, 8, matched, 1, "matched colour map on the 256-colour screen");
}

// Every file of one folder of broken or unsupported TIFFs, opened full-page: a
// failure message and nothing drawn, or an image (whole or in part), and always a
// normal end of nphost.
class BrokenTiffTest : public TiffEndToEndTest,
                       public ::testing::WithParamInterface<const char*> {};

// Files whose first directory gives the image no rows or no columns (a size of 0,
// absent, or beyond the end of the file): an empty image, shown as nothing and
// without a word.
bool IsEmptyImage(const std::string& name) {
  // (divide_by_zero-000005.tif is empty too, but its one sample of ink is refused.)
  static const char* const empty[] = {"divide_by_zero-000015.tif", "divide_by_zero-000020.tif",
                                      "oom_crash-000037.tif", "oom_crash-000048.tif"};
  return std::find(std::begin(empty), std::end(empty), name) != std::end(empty);
}

TEST_P(BrokenTiffTest, EachEndsInAMessageOrAnImage) {
  // With a monitor profile chosen, embedded profiles are saved and matched too.
  ChooseSrgbMonitor();
  std::vector<fs::path> files;
  std::string folder = std::string(ZELVW_TEST_DATA) + "/" + GetParam();
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    std::string name = file.filename().string();
    // The plug-in takes the type from the extension, and only .tif for TIFF.
    std::string path = m_scratch / "broken.tif";
    fs::copy_file(file, path, fs::copy_options::overwrite_existing);
    ASSERT_EQ(HostChecked(path, {"--size", "300x200"}, name), 0) << name;
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    ASSERT_EQ(shot.width, 300) << name;
    bool bFailed = std::any_of(messages.begin(), messages.end(), [](const auto& m) {
      return m.text == "Failed in reading TIFF file" || m.text == "Failed in TIFF2DIB conversion";
    });
    bool bDrawn = std::any_of(shot.pixels.begin(), shot.pixels.end(),
                              [](uint32_t pixel) { return pixel != kWhite; });
    if (IsEmptyImage(name)) {
      EXPECT_TRUE(messages.empty() && !bDrawn) << name;
    } else {
      EXPECT_TRUE(bFailed != bDrawn) << name << ": failed " << bFailed << ", drawn " << bDrawn
                                     << ", messages " << messages.size();
    }
    fs::remove(path);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tiff, BrokenTiffTest,
    ::testing::Values("tiff/malformed/image-tiff-fuzz", "tiff/malformed/pillow-tiff",
                      "tiff/out-of-scope/image-tiff", "tiff/out-of-scope/libtiff",
                      "tiff/out-of-scope/libtiffpic", "tiff/out-of-scope/pillow",
                      "tiff/out-of-scope/twelvemonkeys"),
    [](const ::testing::TestParamInfo<const char*>& info) {
      std::string name = fs::path(info.param).lexically_relative("tiff");
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
