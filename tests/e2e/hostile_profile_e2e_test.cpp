// Broken embedded profiles end to end: a JPEG carrying one in a JFXX segment and a TIFF
// carrying one in its profile tag, shown through nphost with sRGB as the monitor
// profile. Each ends in the engine's failure messages with the image shown unmatched.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "tiff_reference.h"

namespace {

using e2e::kWhite;
using e2e::Near;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

constexpr int kSide = 32;

Rgb Halves(int x, int) { return x < kSide / 2 ? Rgb{200, 60, 40} : Rgb{40, 90, 210}; }

uint32_t Be32(const Bytes& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

void PutBe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// What is shown beside the decoded image: nothing, the decoded pixels again (the
// session could not start, and the TIFF path copies each pixel the engine leaves as it
// was), or the image matched.
enum class Beside { kNothing, kCopy, kMatched };

struct Outcome {
  std::vector<std::string> texts;
  Beside beside;
};

// The swapping profile, broken in one of the ways a profile off the web can be.
struct Broken {
  const char* name;
  Bytes (*make)(Bytes);
  Outcome jpeg;
  Outcome tiff;
};

const char* const kNoName = "Fail in GetProfileName";
const char* const kJpegNoSession = "BeginMatchingerror=>6";
const char* const kJpegNotMatched = "Failed in Matching";

const Broken kBroken[] = {
    // A TIFF tag of no bytes is passed over like an absent one.
    {"empty", [](Bytes) { return Bytes{}; }, {{kNoName}, Beside::kNothing}, {{}, Beside::kNothing}},
    // The header and part of the tag data: the tags' offsets point past the end.
    {"truncated",
     [](Bytes b) { return Bytes(b.begin(), b.begin() + b.size() / 3); },
     {{kJpegNoSession, kJpegNotMatched}, Beside::kNothing},
     {{"Failed in BeginMatchingSession (error=>6)"}, Beside::kCopy}},
    // Every tag entry after the count: offsets and sizes of no sense.
    {"garbage tag table",
     [](Bytes b) {
       uint32_t nTags = Be32(b, 128);
       for (uint32_t i = 0; i < nTags && 132 + 12 * (i + 1) <= b.size(); ++i) {
         size_t entry = 132 + 12 * size_t{i};
         PutBe32(b, entry + 4, 0xFFFFFF00u - i);
         PutBe32(b, entry + 8, 0x7FFFFFFFu);
       }
       return b;
     },
     {{kJpegNoSession, kJpegNotMatched}, Beside::kNothing},
     {{"Failed in Reading ICC profile"}, Beside::kNothing}},
    // The header declares a size of nearly 4 GB: LittleCMS reads what is there, and
    // all of the profile is.
    {"huge declared size",
     [](Bytes b) {
       PutBe32(b, 0, 0xFFFFFFF0u);
       return b;
     },
     {{}, Beside::kMatched},
     {{}, Beside::kMatched}},
};

// Sets the byte count of the profile tag of a little-endian TIFF, as written by
// e2e::WriteTiff, in place.
void SetTiffProfileCount(const std::string& path, uint32_t nCount) {
  Bytes tiff = viewertest::ReadBytes(path);
  ASSERT_GE(tiff.size(), 10u);
  ASSERT_EQ(tiff[0], 'I');
  auto le = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | tiff.at(at + i);
    return v;
  };
  uint32_t ifd = le(4, 4);
  uint32_t nEntries = le(ifd, 2);
  for (uint32_t i = 0; i < nEntries; ++i) {
    size_t entry = ifd + 2 + 12 * size_t{i};
    if (le(entry, 2) != 34675) continue;
    for (int k = 0; k < 4; ++k) tiff.at(entry + 4 + k) = static_cast<uint8_t>(nCount >> (8 * k));
    viewertest::WriteBytes(path, tiff);
    return;
  }
  FAIL() << "no profile tag in " << path;
}

class HostileProfileEndToEndTest : public e2e::HostTest {
 protected:
  void SetUp() override {
    e2e::HostTest::SetUp();
    ChooseSrgbMonitor();
    m_icc = viewertest::ReadBytes(viewertest::kSwappedProfile);
  }

  // Runs the image and checks that it ends as expected: the decoded image on the left,
  // what is beside it, and the messages.
  void ExpectOutcome(const std::string& path, const Outcome& outcome, const std::string& what) {
    ASSERT_EQ(HostChecked(path, {"--size", "100x50"}, what), 0) << what;
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    ASSERT_EQ(shot.width, 100) << what;
    for (int x : {4, kSide - 4}) {
      Rgb c = Halves(x, 10);
      EXPECT_TRUE(Near(shot.At(x, 10), ToPixel(c), 6)) << what << " " << x;
      uint32_t beside = shot.At(kSide + x, 10);
      switch (outcome.beside) {
        case Beside::kNothing:
          EXPECT_EQ(beside, kWhite) << what << " " << x;
          break;
        case Beside::kCopy:
          EXPECT_EQ(beside, shot.At(x, 10)) << what << " " << x;
          break;
        case Beside::kMatched:
          EXPECT_TRUE(Near(beside, ToPixel(Rgb{c.g, c.r, c.b}), 8))
              << what << " " << x << std::hex << " " << beside;
          break;
      }
    }
    std::vector<std::string> texts;
    for (const auto& m : e2e::ReadMessageBoxes(Log())) texts.push_back(m.text);
    EXPECT_EQ(texts, outcome.texts) << what;
  }

  Bytes m_icc;
};

TEST_F(HostileProfileEndToEndTest, JfxxJpegWithABrokenProfile) {
  Bytes jpeg = viewertest::EncodeJpeg(kSide, kSide, Halves);
  for (const Broken& broken : kBroken) {
    std::string path = m_scratch / "broken.jpg";
    viewertest::WriteBytes(path, viewertest::WithJfxxProfile(jpeg, broken.make(m_icc)));
    ExpectOutcome(path, broken.jpeg, broken.name);
  }
}

TEST_F(HostileProfileEndToEndTest, TiffWithABrokenProfile) {
  for (const Broken& broken : kBroken) {
    Bytes icc = broken.make(m_icc);
    // libtiff writes no empty tag: four bytes, then the count made 0.
    e2e::TiffImage image{kSide, kSide, 3, 2, {}, icc.empty() ? Bytes(4, 0) : icc, {}};
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        Rgb c = Halves(x, y);
        image.pixels.insert(image.pixels.end(), {c.r, c.g, c.b});
      }
    }
    std::string path = m_scratch / "broken.tif";
    e2e::WriteTiff(path, image);
    if (icc.empty()) SetTiffProfileCount(path, 0);
    ExpectOutcome(path, broken.tiff, broken.name);
  }
}

}  // namespace
