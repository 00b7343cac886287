// The view's memory budget through nphost: small files whose headers claim a huge
// image are refused at once, and an image just inside a (small) budget still shows.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "host_fixture.h"

namespace {

using viewertest::Bytes;

#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlowdown = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kSlowdown = 4;
#else
constexpr double kSlowdown = 1;
#endif
#else
constexpr double kSlowdown = 1;
#endif

constexpr long kFarBelowDefaultBudgetKiB = 256 * 1024;  // an eighth of 2 GiB
constexpr int kClaimedSide = 18000;

void Put16(Bytes& bytes, size_t at, unsigned value, bool bigEndian) {
  bytes.at(at + (bigEndian ? 0 : 1)) = static_cast<uint8_t>(value >> 8);
  bytes.at(at + (bigEndian ? 1 : 0)) = static_cast<uint8_t>(value);
}

class ViewBudgetTest : public e2e::HostTest {
 protected:
  e2e::RunCost HostMeasured(const std::string& file, std::vector<std::string> options = {}) {
    e2e::HostRun run;
    run.nphost = ZELVW_NPHOST;
    run.workingDirectory = m_scratch.path();
    run.zirnHome = ZirnHome();
    run.timeoutSeconds = 60;
    run.errorFile = m_scratch / "stderr.txt";
    run.arguments = {"--windir",   WindowsDir(), "--screenshot", Shot(),
                     "--messages", Log(),        "--size",       "100x80"};
    run.arguments.insert(run.arguments.end(), options.begin(), options.end());
    run.arguments.push_back(file);
    return e2e::RunMeasured(run);
  }

  // The quarters as a 64 x 48 JPEG carrying the swapping profile.
  std::string SwappingJpeg() const { return WriteSwappingJpeg("swapped.jpg"); }

  std::string SwappingTiff() const {
    std::string path = m_scratch / "swapped.tif";
    viewertest::WriteRgbTiff(path, e2e::kQuartersWidth, e2e::kQuartersHeight, e2e::Quarters,
                             viewertest::ReadBytes(viewertest::kSwappedProfile));
    return path;
  }

  // A 64 x 64 JPEG whose frame header says kClaimedSide x kClaimedSide.
  std::string OversizeJpeg() const {
    Bytes jpeg = viewertest::EncodeJpeg(64, 64, e2e::Quarters);
    for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
      if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
        Put16(jpeg, i + 5, kClaimedSide, true);
        Put16(jpeg, i + 7, kClaimedSide, true);
        break;
      }
    }
    std::string path = m_scratch / "oversize.jpg";
    viewertest::WriteBytes(path, jpeg);
    return path;
  }

  // A 64 x 64 little-endian RGB TIFF whose width and length tags say kClaimedSide.
  std::string OversizeTiff() const {
    std::string path = m_scratch / "oversize.tif";
    viewertest::WriteRgbTiff(path, 64, 64, e2e::Quarters);
    Bytes tiff = viewertest::ReadBytes(path);
    uint32_t ifd = 0;
    std::memcpy(&ifd, tiff.data() + 4, 4);
    uint16_t entries = 0;
    std::memcpy(&entries, tiff.data() + ifd, 2);
    for (size_t e = ifd + 2; e < ifd + 2 + 12u * entries; e += 12) {
      uint16_t tag = 0;
      std::memcpy(&tag, tiff.data() + e, 2);
      if (tag == 256 || tag == 257)
        Put16(tiff, e + 8, kClaimedSide, false);  // low half, SHORT or LONG
    }
    viewertest::WriteBytes(path, tiff);
    return path;
  }
};

TEST_F(ViewBudgetTest, ASmallFileClaimingAHugeImageIsRefusedAtOnceWithLittleMemory) {
  const struct {
    std::string file;
    const char* message;
  } cases[] = {
      {OversizeJpeg(), "Failed in converting to DIB file"},
      {OversizeTiff(), "Failed in TIFF2DIB conversion"},
  };
  for (const auto& c : cases) {
    e2e::RunCost cost = HostMeasured(c.file);
    EXPECT_EQ(cost.status, 0) << c.file;
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    ASSERT_EQ(messages.size(), 1u) << c.file;
    EXPECT_EQ(messages[0].text, c.message);
    EXPECT_LT(cost.seconds, 1.0 * kSlowdown) << c.file;
    EXPECT_LT(cost.peakKiB, kFarBelowDefaultBudgetKiB) << c.file;
  }
}

TEST_F(ViewBudgetTest, AnImageJustInsideTheBudgetShowsAndOneByteLessRefusesIt) {
  ChooseSrgbMonitor();
  // Rows of 64 pixels: 192 bytes at 24 bits, 64 at 8 bits; 48 rows.
  const struct {
    std::string file;
    const char* depth;
    long budget;  // exactly what the view holds
    const char* refusal;
  } cases[] = {
      // decoder array, pixels and matched pixels
      {SwappingJpeg(), "24", 3 * 192 * 48, "Failed in converting to DIB file"},
      // and the quantizer's two 8-bit blocks
      {SwappingJpeg(), "8", (3 * 192 + 2 * 64) * 48, "Failed in converting to DIB file"},
      // the placeholder of 8 bits, pixels and matched pixels
      {SwappingTiff(), "24", (64 + 2 * 192) * 48, "Failed in TIFF2DIB conversion"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " on a " + c.depth + "-bit screen");
    for (long budget : {c.budget, c.budget - 1}) {
      testsupport::ScopedEnv env("PLATFORM_VIEW_BUDGET", std::to_string(budget));
      ASSERT_EQ(HostMeasured(c.file, {"--depth", c.depth}).status, 0);
      std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
      if (budget == c.budget) {
        EXPECT_TRUE(messages.empty());
        // The matched top-left quarter: red and green swapped.
        if (std::string(c.depth) == "24") {
          EXPECT_TRUE(
              e2e::Near(e2e::ReadPng(Shot()).At(74, 10), e2e::Swapped(e2e::Quarters(10, 10)), 8));
        }
      } else {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, c.refusal);
      }
    }
  }
}

}  // namespace
