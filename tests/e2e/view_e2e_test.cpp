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
    viewertest::WriteBytes(path, viewertest::WithJfxxProfile(
                                     viewertest::EncodeJpeg(nWidth, 64, pixel),
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
      {720, "hscroll thumbposition 400\n",
       {{20, ToPixel(kRight)}, {300, ToPixel(kLast)}, {340, Swapped(kLeft)},
        {500, Swapped(kLeft)}, {760, Swapped(kRight)}}},
      // A wide picture scrolled to the end: the matched image's last column at the edge.
      {3000, "hscroll thumbposition 65535\n",
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
          ADD_FAILURE() << "half " << nHalf << " patch " << col << "," << row << std::hex
                        << ": " << got << " for " << want;
        }
      }
  EXPECT_EQ(nFar, 0);
}

}  // namespace
