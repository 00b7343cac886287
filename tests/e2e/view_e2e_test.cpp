// What a person sees of the full-page picture when scrolling and on a 256-colour
// screen, and of several browser windows open in one load of the module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

using e2e::kWhite;
using e2e::Near;
using e2e::Swapped;
using e2e::ToPixel;
using viewertest::Rgb;

constexpr Rgb kLeft{200, 60, 40};
constexpr Rgb kRight{40, 180, 90};
constexpr Rgb kLast{30, 70, 210};

class ViewTest : public e2e::HostTest {
 protected:
  // A picture nWidth x 64 of two halves and, in its last 64 columns, a third colour;
  // as a JPEG carrying the red-green swapping profile.
  std::string WriteStripes(const std::string& name, int nWidth) const {
    std::string path = m_scratch / name;
    auto pixel = [nWidth](int x, int) {
      return x >= nWidth - 64 ? kLast : x < nWidth / 2 ? kLeft : kRight;
    };
    viewertest::WriteBytes(
        path, viewertest::WithJfxxProfile(viewertest::EncodeJpeg(nWidth, 64, pixel),
                                          viewertest::ReadBytes(viewertest::kSwappedProfile)));
    return path;
  }
};

// The double-width picture (decoded, then matched) scrolls as one: at offset x the
// window shows its columns x .. x + client width.
TEST_F(ViewTest, FullPageScrollsDecodedAndMatchedAsOnePicture) {
  ChooseSrgbMonitor();
  struct Case {
    int nWidth;
    const char* pszScroll;
    std::vector<std::pair<int, uint32_t>> expected;  // window column, colour
  };
  const Case cases[] = {
      // 720 wide scrolled by 400: decoded 400..719, then matched from column 0 at 320.
      {720,
       "hscroll thumbposition 400\n",
       {{20, ToPixel(kRight)},
        {300, ToPixel(kLast)},
        {340, Swapped(kLeft)},
        {500, Swapped(kLeft)},
        {760, Swapped(kRight)}}},
      // A wide picture scrolled to the end: the matched image's last column at the edge.
      {3000,
       "hscroll thumbposition 65535\n",
       {{20, Swapped(kRight)}, {740, Swapped(kLast)}, {799, Swapped(kLast)}}},
  };
  for (const Case& c : cases) {
    std::string path = WriteStripes("wide.jpg", c.nWidth);
    std::string script = WriteText("scroll.txt", c.pszScroll);
    ASSERT_EQ(Host(path, {"--size", "800x600", "--script", script}), 0);
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    ASSERT_EQ(shot.width, 800);
    for (auto [x, colour] : c.expected) {
      EXPECT_TRUE(Near(shot.At(x, 30), colour, 10))
          << c.nWidth << " at " << x << std::hex << ": " << shot.At(x, 30);
    }
    EXPECT_EQ(shot.At(400, 200), kWhite);  // below the picture
  }
}

// The mean colour of the 16 x 16 square centred on (x, y): the reduction to 256
// colours dithers.
uint32_t Mean(const e2e::Screenshot& shot, int x, int y) {
  int aSum[3] = {};
  for (int v = y - 8; v < y + 8; ++v)
    for (int u = x - 8; u < x + 8; ++u)
      for (int c = 0; c < 3; ++c) aSum[c] += (shot.At(u, v) >> (16 - 8 * c)) & 0xFF;
  return (uint32_t(aSum[0] / 256) << 16) | (uint32_t(aSum[1] / 256) << 8) | uint32_t(aSum[2] / 256);
}

// On a 256-colour screen the JPEG's own palette is realised: every patch of the
// chart, decoded and matched, keeps close to its true-colour rendering.
TEST_F(ViewTest, ChartOnAPaletteScreenKeepsItsColoursInBothHalves) {
  ChooseSrgbMonitor();
  std::string chart = std::string(ZELVW_SAMPLES) + "/chart-swapped.jpg";
  ASSERT_EQ(Host(chart, {"--size", "800x320"}), 0);
  e2e::Screenshot truth = e2e::ReadPng(Shot());
  ASSERT_EQ(Host(chart, {"--size", "800x320", "--depth", "8"}), 0);
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 800);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  // The chart is 384 x 288 in patches of 48.
  int nFar = 0;
  for (int nHalf = 0; nHalf < 2; ++nHalf)
    for (int row = 0; row < 6; ++row)
      for (int col = 0; col < 8; ++col) {
        int x = nHalf * 384 + col * 48 + 24, y = row * 48 + 24;
        uint32_t want = Mean(truth, x, y), got = Mean(shot, x, y);
        if (!Near(got, want, 20)) {
          ++nFar;
          ADD_FAILURE() << "half " << nHalf << " patch " << col << "," << row << std::hex << ": "
                        << got << " for " << want;
        }
      }
  EXPECT_EQ(nFar, 0);
}

// An embedded and a full-page instance in one load of the module: each keeps its own
// way of drawing, whichever was loaded last.
TEST_F(ViewTest, EmbeddedAndFullPageWindowsEachDrawInTheirOwnMode) {
  ChooseSrgbMonitor();
  std::string image = WriteSwappingJpeg("swapped.jpg");
  std::string page =
      WriteText("page.html", "<embed src=\"swapped.jpg\" width=\"120\" height=\"60\">");
  std::string script = WriteText("script.txt", "instance 1\npaint\n");
  ASSERT_EQ(Host(image, {"--size", "200x100", "--script", script, page}), 0);
  e2e::Screenshot embedded = e2e::ReadPng(Shot());
  e2e::Screenshot full = e2e::ReadPng(m_scratch / "screen-2.png");
  ASSERT_EQ(embedded.width, 8 + 120 + 8);
  ASSERT_EQ(full.width, 200);
  for (auto [x, y] : {std::pair{10, 10}, std::pair{50, 40}}) {
    EXPECT_TRUE(Near(embedded.At(8 + x, 8 + y), Swapped(e2e::Quarters(x, y)), 8)) << x << "," << y;
    EXPECT_TRUE(Near(full.At(x, y), ToPixel(e2e::Quarters(x, y)), 6)) << x << "," << y;
    EXPECT_TRUE(Near(full.At(64 + x, y), Swapped(e2e::Quarters(x, y)), 8)) << x << "," << y;
  }
  EXPECT_EQ(embedded.At(8 + 100, 8 + 30), kWhite);  // the matched image alone, no scroll bar
}

// On a 256-colour screen the window that hears of a palette change repaints itself,
// even when another instance was loaded after it: the second image, drawn while the
// first held every free colour, gets its own colours once the first is gone.
TEST_F(ViewTest, EachWindowRepaintsItselfWhenThePaletteChanges) {
  auto rgb = [](int r, int g, int b) { return Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}; };
  auto reds = [&](int x, int y) { return rgb(2 * x, 4 * y, 0); };
  auto blues = [&](int x, int y) { return rgb(60 + x / 2, 60 + 2 * y, 140 + x / 2); };
  viewertest::WriteRgbTiff(m_scratch / "reds.tif", 128, 64, reds);
  viewertest::WriteRgbTiff(m_scratch / "blues.tif", 128, 64, blues);
  std::string page = WriteText("page.html",
                               "<embed src=reds.tif width=128 height=64>"
                               "<embed src=blues.tif width=128 height=64>");
  std::string script =
      WriteText("script.txt", "instance 1\ndestroy\ninstance 2\npalette-changed other\n");
  ASSERT_EQ(Host(WriteSwappingJpeg("swapped.jpg"), {"--depth", "8", "--script", script, page}), 0);
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 8 + 128 + 8);
  const int yBlues = 8 + 64 + 8;
  for (auto [x, y] : {std::pair{16, 16}, std::pair{64, 32}, std::pair{110, 46}}) {
    int aSum[3] = {};
    for (int v = y - 8; v < y + 8; ++v)
      for (int u = x - 8; u < x + 8; ++u) {
        Rgb c = blues(u, v);
        aSum[0] += c.r, aSum[1] += c.g, aSum[2] += c.b;
      }
    uint32_t want = ToPixel(rgb(aSum[0] / 256, aSum[1] / 256, aSum[2] / 256));
    uint32_t got = Mean(shot, 8 + x, yBlues + y);
    EXPECT_TRUE(Near(got, want, 12)) << x << "," << y << std::hex << ": " << got << " for " << want;
  }
}

}  // namespace
