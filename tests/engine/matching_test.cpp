#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "engine_test_support.h"

namespace enginetest {
namespace {

MatchColor Rgb8(int r, int g, int b, std::uint16_t fourth = 0) {
  return MatchColor{{static_cast<std::uint16_t>(r * 257), static_cast<std::uint16_t>(g * 257),
                     static_cast<std::uint16_t>(b * 257), fourth}};
}

int High(std::uint16_t component) { return component >> 8; }

class MatchingTest : public EngineTest {
 protected:
  MatchColor MatchOne(MatchColor color) {
    EXPECT_EQ(ZIRN_Match(1, &color), ZIRN_OK);
    return color;
  }
  // The file behind the monitor name the sessions use.
  const char* Monitor() {
    m_monitor = StorePath(kSrgbName);
    EXPECT_FALSE(m_monitor.empty());
    return m_monitor.c_str();
  }

 private:
  std::string m_monitor;
};

TEST_F(MatchingTest, SwappedRedAndGreenSwapsRedAndGreen) {
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSwapped, kSrgbName), ZIRN_OK);
  const int colours[][3] = {{255, 0, 0}, {0, 255, 0}, {200, 50, 100}, {10, 240, 30}, {90, 90, 200}};
  for (const auto& c : colours) {
    MatchColor out = MatchOne(Rgb8(c[0], c[1], c[2]));
    EXPECT_NEAR(High(out.c[0]), c[1], 1) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_NEAR(High(out.c[1]), c[0], 1) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_NEAR(High(out.c[2]), c[2], 1) << c[0] << "," << c[1] << "," << c[2];
  }
}

TEST_F(MatchingTest, SrgbToSrgbKeepsEveryColourWithinOneStep) {
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, kSrgbName), ZIRN_OK);
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) {
        MatchColor out = MatchOne(
            MatchColor{{static_cast<std::uint16_t>(r << 8), static_cast<std::uint16_t>(g << 8),
                        static_cast<std::uint16_t>(b << 8), 0}});
        ASSERT_NEAR(High(out.c[0]), r, 1);
        ASSERT_NEAR(High(out.c[1]), g, 1);
        ASSERT_NEAR(High(out.c[2]), b, 1);
      }
    }
  }
}

// Inputs that exercise the cache every way: noise (misses, and the cache stepping
// aside), a small palette in runs and scattered (hits), the two mixed, and palette
// colours with one bit changed (keys that differ in a single bit).
std::vector<MatchColor> CacheWorkout(std::size_t count) {
  std::mt19937 random(12345);
  auto noise = [&] {
    return MatchColor{{static_cast<std::uint16_t>(random()), static_cast<std::uint16_t>(random()),
                       static_cast<std::uint16_t>(random()), static_cast<std::uint16_t>(random())}};
  };
  std::vector<MatchColor> palette(300);
  for (MatchColor& colour : palette) {
    colour = noise();
    for (std::uint16_t& c : colour.c) c &= 0xFF00;
  }
  std::vector<MatchColor> records;
  records.reserve(count);
  while (records.size() < count) {
    MatchColor colour{};
    switch ((records.size() / 40000) % 4) {
      case 0:
        colour = noise();
        break;
      case 1:
        colour = palette[(records.size() / 7) % palette.size()];
        break;
      case 2:
        colour = random() % 2 ? palette[random() % palette.size()] : noise();
        break;
      default:
        colour = palette[random() % palette.size()];
        colour.c[random() % 4] ^= static_cast<std::uint16_t>(1u << (random() % 16));
        break;
    }
    records.push_back(colour);
  }
  return records;
}

// Component 3 counting up: RGB and grey sources must neither read it nor change it.
std::vector<MatchColor> WithCountingFourth(std::vector<MatchColor> records) {
  for (std::size_t i = 0; i < records.size(); ++i) records[i].c[3] = static_cast<std::uint16_t>(i);
  return records;
}

std::vector<std::uint16_t> Components(const std::vector<MatchColor>& records, int channels) {
  std::vector<std::uint16_t> packed;
  for (const MatchColor& record : records)
    packed.insert(packed.end(), record.c, record.c + channels);
  return packed;
}

TEST_F(MatchingTest, OneRecordCallsEqualLittleCmsBitForBit) {
  std::vector<MatchColor> records = WithCountingFourth(CacheWorkout(400000));
  std::vector<std::uint16_t> expected =
      ReferenceTransform(kAdobe, Monitor(), TYPE_RGB_16, Components(records, 3), records.size());
  ASSERT_EQ(ZIRN_BeginMatchingSession(kAdobe, kSrgbName), ZIRN_OK);
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    MatchColor out = MatchOne(records[i]);
    bool same = out.c[0] == expected[3 * i] && out.c[1] == expected[3 * i + 1] &&
                out.c[2] == expected[3 * i + 2] && out.c[3] == records[i].c[3];
    if (!same && wrong++ < 5) ADD_FAILURE() << "record " << i;
  }
  EXPECT_EQ(wrong, 0u);
}

TEST_F(MatchingTest, ManyRecordCallsEqualLittleCmsAndKeepComponentThree) {
  std::vector<MatchColor> records = WithCountingFourth(CacheWorkout(256));
  std::vector<std::uint16_t> expected =
      ReferenceTransform(kAdobe, Monitor(), TYPE_RGB_16, Components(records, 3), records.size());
  std::vector<MatchColor> matched = records;
  ASSERT_EQ(ZIRN_BeginMatchingSession(kAdobe, kSrgbName), ZIRN_OK);
  ASSERT_EQ(ZIRN_Match(256, matched.data()), ZIRN_OK);
  for (std::size_t i = 0; i < matched.size(); ++i) {
    ASSERT_EQ(std::vector<std::uint16_t>(matched[i].c, matched[i].c + 3),
              std::vector<std::uint16_t>(&expected[3 * i], &expected[3 * i] + 3))
        << i;
    ASSERT_EQ(matched[i].c[3], records[i].c[3]) << i;
  }
}

TEST_F(MatchingTest, CmykSourceEqualsLittleCms) {
  std::vector<MatchColor> records = CacheWorkout(200000);
  for (std::size_t i = 0; i < records.size(); i += 3) records[i].c[3] = 0;  // some without black
  std::vector<std::uint16_t> expected =
      ReferenceTransform(kCmyk, Monitor(), TYPE_CMYK_16, Components(records, 4), records.size());
  ASSERT_EQ(ZIRN_BeginMatchingSession(kCmyk, kSrgbName), ZIRN_OK);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MatchColor out = MatchOne(records[i]);
    ASSERT_EQ(out.c[0], expected[3 * i]) << i;
    ASSERT_EQ(out.c[1], expected[3 * i + 1]) << i;
    ASSERT_EQ(out.c[2], expected[3 * i + 2]) << i;
    ASSERT_EQ(out.c[3], records[i].c[3]) << i;  // K in, left as it was
  }
}

TEST_F(MatchingTest, GreySourceReadsComponentZeroOnly) {
  std::vector<MatchColor> records = WithCountingFourth(CacheWorkout(200000));
  std::vector<std::uint16_t> expected =
      ReferenceTransform(kGray, Monitor(), TYPE_GRAY_16, Components(records, 1), records.size());
  ASSERT_EQ(ZIRN_BeginMatchingSession(kGray, kSrgbName), ZIRN_OK);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MatchColor out = MatchOne(records[i]);
    ASSERT_EQ(out.c[0], expected[3 * i]) << i;
    ASSERT_EQ(out.c[1], expected[3 * i + 1]) << i;
    ASSERT_EQ(out.c[2], expected[3 * i + 2]) << i;
    ASSERT_EQ(out.c[3], records[i].c[3]) << i;
  }
}

TEST_F(MatchingTest, MonitorIsFoundExactlyFirstThenIgnoringCase) {
  MakeDirs(profilesDir());
  WriteProfileNamed(kSrgb, profilesDir() + "/1.icc", "Panel");
  WriteProfileNamed(kSwapped, profilesDir() + "/2.icc", "PANEL");
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, "PANEL"), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(250, 0, 0)).c[1]), 250, 1);  // the swapping one
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, "Panel"), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(250, 0, 0)).c[0]), 250, 1);
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, "panel"), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(250, 0, 0)).c[0]), 250, 1);  // first in store order
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSrgb, "SRGB"), ZIRN_OK);
}

TEST_F(MatchingTest, BeginWhileOpenReplacesTheSession) {
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSwapped, kSrgbName), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(240, 20, 20)).c[1]), 240, 1);
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, kSrgbName), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(240, 20, 20)).c[0]), 240, 1);
  // A failed begin still ends what was open: no colours from the old profiles.
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSwapped, "No Such Monitor"), ZIRN_ERR_MONITOR_UNKNOWN);
  MatchColor colour = Rgb8(1, 2, 3);
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_ERR_NO_SESSION);
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSwapped, kSrgbName), ZIRN_OK);
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_OK);
}

TEST_F(MatchingTest, MisuseIsReportedAndChangesNothing) {
  MatchColor colour = Rgb8(10, 20, 30, 40);
  const MatchColor before = colour;
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_ERR_NO_SESSION);
  EXPECT_EQ(ZIRN_EndMatching(), ZIRN_ERR_NO_SESSION);
  ASSERT_EQ(ZIRN_BeginMatchingSession(kSrgb, kSrgbName), ZIRN_OK);
  EXPECT_EQ(ZIRN_Match(0, &colour), ZIRN_ERR_BAD_COUNT);
  EXPECT_EQ(ZIRN_Match(-1, &colour), ZIRN_ERR_BAD_COUNT);
  EXPECT_EQ(ZIRN_Match(1, nullptr), ZIRN_ERR_NULL_ARGUMENT);
  EXPECT_EQ(std::memcmp(&colour, &before, sizeof colour), 0);
  EXPECT_EQ(ZIRN_EndMatching(), ZIRN_OK);
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_ERR_NO_SESSION);
  EXPECT_EQ(ZIRN_EndMatching(), ZIRN_ERR_NO_SESSION);
}

TEST_F(MatchingTest, BeginRefusesWhatItCannotUse) {
  WriteFile(home() + "/text.icm", std::string("plain text, no profile"));
  ASSERT_EQ(::mkfifo((home() + "/fifo.icm").c_str(), 0600), 0);
  EXPECT_EQ(ZIRN_BeginMatchingSession((home() + "/missing.icm").c_str(), kSrgbName),
            ZIRN_ERR_PROFILE_UNREADABLE);
  EXPECT_EQ(ZIRN_BeginMatchingSession((home() + "/text.icm").c_str(), kSrgbName),
            ZIRN_ERR_PROFILE_UNREADABLE);
  EXPECT_EQ(ZIRN_BeginMatchingSession((home() + "/fifo.icm").c_str(), kSrgbName),
            ZIRN_ERR_PROFILE_UNREADABLE);
  EXPECT_EQ(ZIRN_BeginMatchingSession(home().c_str(), kSrgbName), ZIRN_ERR_PROFILE_UNREADABLE);
  EXPECT_EQ(ZIRN_BeginMatchingSession(kLab, kSrgbName), ZIRN_ERR_UNSUPPORTED_SOURCE);
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSrgb, "No Such Monitor"), ZIRN_ERR_MONITOR_UNKNOWN);
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSrgb, kCmykName), ZIRN_ERR_MONITOR_UNKNOWN);
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSrgb, ""), ZIRN_ERR_MONITOR_UNKNOWN);
  EXPECT_EQ(ZIRN_BeginMatchingSession(nullptr, kSrgbName), ZIRN_ERR_NULL_ARGUMENT);
  EXPECT_EQ(ZIRN_BeginMatchingSession(kSrgb, nullptr), ZIRN_ERR_NULL_ARGUMENT);
}

// A colour space no signature names: refused, as any other source it cannot take.
TEST_F(MatchingTest, BeginRefusesAnUnknownColourSpaceInTheHeader) {
  std::vector<std::uint8_t> bytes = ReadFile(kSrgb);
  ASSERT_GT(bytes.size(), 20u);
  const std::uint8_t unknown[] = {0xA9, 0x47, 0x00, 0x00};
  std::memcpy(&bytes[16], unknown, sizeof unknown);
  std::string path = home() + "/unknown-space.icm";
  WriteFile(path, bytes);
  EXPECT_EQ(ZIRN_BeginMatchingSession(path.c_str(), kSrgbName), ZIRN_ERR_UNSUPPORTED_SOURCE);
  MatchColor colour = Rgb8(1, 2, 3);
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_ERR_NO_SESSION);
}

// The curve tag's type signature of sRGB.icc overwritten: the header and tag table
// still read, the transform cannot be built.
std::vector<std::uint8_t> WithBrokenCurves(std::vector<std::uint8_t> bytes) {
  auto be32 = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  std::uint32_t tags = be32(128);
  for (std::uint32_t i = 0; i < tags; ++i) {
    std::size_t entry = 132 + 12 * std::size_t{i};
    std::size_t offset = be32(entry + 4);
    if (be32(entry) == cmsSigRedTRCTag && offset + 4 <= bytes.size()) {
      std::memcpy(&bytes[offset], "zzzz", 4);
    }
  }
  return bytes;
}

TEST_F(MatchingTest, LittleCmsErrorsBecomeTheStatusAndPrintNothing) {
  std::string broken = home() + "/broken.icm";
  WriteFile(broken, WithBrokenCurves(ReadFile(kSrgb)));
  ::testing::internal::CaptureStderr();
  short status = ZIRN_BeginMatchingSession(broken.c_str(), kSrgbName);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(status, ZIRN_ERR_TRANSFORM_FAILED);
  MatchColor colour = Rgb8(1, 2, 3);
  EXPECT_EQ(ZIRN_Match(1, &colour), ZIRN_ERR_NO_SESSION);
}

TEST_F(MatchingTest, AcceptsBackslashPaths) {
  std::string path = kSwapped;
  std::replace(path.begin(), path.end(), '/', '\\');
  ASSERT_EQ(ZIRN_BeginMatchingSession(path.c_str(), kSrgbName), ZIRN_OK);
  EXPECT_NEAR(High(MatchOne(Rgb8(0, 250, 0)).c[0]), 250, 1);
}

}  // namespace
}  // namespace enginetest
