// CJPG with the real engine ZIRN.DLL: profiles named by the engine, matched pixels
// that show the component order, the monitor setting, and grey files.
#include "jpeg/Jpg.h"

#include "bitmap/Dib.h"
#include "jfxx_segments.h"
#include "jpg_support_test.h"
#include "viewer/ModuleState.h"

namespace {

using jpgtest::BoxRecorder;
using jpgtest::Bytes;
using jpgtest::RealEngine;

Bytes BlockBytes(HGLOBAL hBlock) {
  const auto* p = static_cast<const uint8_t*>(GlobalLock(hBlock));
  Bytes bytes(p, p + GlobalSize(hBlock));
  GlobalUnlock(hBlock);
  return bytes;
}

class JpgEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine.Ready()) << "ZIRN.DLL or TALVERIN.DLL not beside the test";
  }

  // Saturated patches, 4:4:4 at full quality, so the decoded colours stay apart.
  static Bytes Patches(int components) {
    Bytes pixels;
    const uint8_t colours[4][3] = {{220, 40, 30}, {30, 200, 60}, {40, 50, 210}, {180, 170, 20}};
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const uint8_t* c = colours[(y / 8) * 2 + x / 8];
        for (int k = 0; k < components; ++k)
          pixels.push_back(components == 1 ? static_cast<uint8_t>(x * 16) : c[k]);
      }
    }
    return pixels;
  }
  std::string ImageWithProfile(const char* profile, int components = 3) {
    Bytes jpeg = jpegtest::EncodeJpeg(
        {.components = components, .quality = 100, .fullChroma = true}, Patches(components));
    std::vector<Bytes> segments =
        jfxx::MakeSegments(jpegtest::ReadFile(profile), jfxx::Layout::kApp1, 4000);
    std::string path = files / "image.jpg";
    jpegtest::WriteFile(path, jpgtest::JpegWith(segments, jpeg));
    return path;
  }

  RealEngine engine;
  BoxRecorder boxes;
  testsupport::ScratchDir files;
  CDIB dib;
  CJPG jpg;
};

TEST_F(JpgEngineTest, ProfileIsSavedUnderTheEnginesNameForIt) {
  jpg.FindSourceProfile(ImageWithProfile(jpgtest::kSwappedProfile).c_str());
  EXPECT_EQ(g_bEmbeddedProfile, 1);
  std::string installed = engine.File("Swapped Red and Green.icm");
  EXPECT_EQ(std::string(g_strProfilePaths[0]),
            std::string(g_strWindowsDir) + "Swapped Red and Green.icm");
  EXPECT_EQ(jpegtest::ReadFile(installed), jpegtest::ReadFile(jpgtest::kSwappedProfile));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgEngineTest, SwappedRedAndGreenProfileSwapsTheMatchedChannels) {
  engine.SetMonitor("sRGB");
  ASSERT_TRUE(jpg.ConvertToDIB(ImageWithProfile(jpgtest::kSwappedProfile).c_str(), &dib));
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_NE(dib.m_hMatchedBits, nullptr);
  Bytes decoded = BlockBytes(dib.m_hBits);
  Bytes matched = BlockBytes(dib.m_hMatchedBits);
  ASSERT_EQ(matched.size(), decoded.size());
  for (size_t i = 0; i < decoded.size(); i += 3) {
    // Blue, green, red in both blocks; red and green trade places.
    EXPECT_NEAR(matched[i], decoded[i], 8) << i;
    EXPECT_NEAR(matched[i + 1], decoded[i + 2], 8) << i;
    EXPECT_NEAR(matched[i + 2], decoded[i + 1], 8) << i;
  }
}

TEST_F(JpgEngineTest, TheProfileLockIsHeldFromTheScanToTheEndOfTheConversion) {
  std::string path = ImageWithProfile(jpgtest::kSrgbProfile);
  jpg.FindSourceProfile(path.c_str());
  CProfileLock other;
  EXPECT_FALSE(other.Acquire(0));
  jpg.m_lockProfile.Release();
  for (const char* monitor : {"", "sRGB"}) {  // the advice shown, then matched
    if (*monitor != '\0') engine.SetMonitor(monitor);
    CJPG reader;
    CDIB next;
    ASSERT_TRUE(reader.ConvertToDIB(path.c_str(), &next));
    EXPECT_TRUE(other.Acquire(0)) << monitor;
    other.Release();
  }
}

TEST_F(JpgEngineTest, UnchosenMonitorGivesTheAdvice) {
  ASSERT_TRUE(jpg.ConvertToDIB(ImageWithProfile(jpgtest::kSrgbProfile).c_str(), &dib));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
}

TEST_F(JpgEngineTest, FailedSessionIsEndedAndTheNextOneWorks) {
  engine.SetMonitor("default display");  // differs from the placeholder: matching is tried
  std::string path = ImageWithProfile(jpgtest::kSrgbProfile);
  ASSERT_TRUE(jpg.ConvertToDIB(path.c_str(), &dib));
  EXPECT_EQ(boxes.Texts(),
            (std::vector<std::string>{"BeginMatchingerror=>5", "Failed in Matching"}));
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);

  boxes.boxes.clear();
  engine.SetMonitor("sRGB");
  CDIB next;
  CJPG reader;
  ASSERT_TRUE(reader.ConvertToDIB(path.c_str(), &next));
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_NE(next.m_hMatchedBits, nullptr);
  // sRGB to sRGB changes next to nothing.
  Bytes decoded = BlockBytes(next.m_hBits);
  Bytes matched = BlockBytes(next.m_hMatchedBits);
  for (size_t i = 0; i < decoded.size(); ++i) EXPECT_NEAR(matched[i], decoded[i], 3) << i;
}

TEST_F(JpgEngineTest, GreyJpegIsShownAndMatchedAsGrey) {
  engine.SetMonitor("sRGB");
  ASSERT_TRUE(jpg.ConvertToDIB(ImageWithProfile(jpgtest::kSrgbProfile, 1).c_str(), &dib));
  EXPECT_EQ(dib.BitCount(), 24);
  ASSERT_NE(dib.m_hMatchedBits, nullptr);
  Bytes decoded = BlockBytes(dib.m_hBits);
  Bytes matched = BlockBytes(dib.m_hMatchedBits);
  ASSERT_EQ(decoded.size(), 48u * 16);
  for (size_t i = 0; i < decoded.size(); i += 3) {
    EXPECT_EQ(decoded[i], decoded[i + 1]);
    EXPECT_EQ(decoded[i], decoded[i + 2]);
    EXPECT_NEAR(matched[i], matched[i + 1], 2) << i;
    EXPECT_NEAR(matched[i], matched[i + 2], 2) << i;
    EXPECT_NEAR(matched[i], decoded[i], 3) << i;
  }
}

}  // namespace
