// Matching with the real colour engine (ZIRN.DLL over LittleCMS, found beside the test
// program): the results are LittleCMS's own for the same pixels and profiles.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "color/ColorEngine.h"
#include "tiff_test_support.h"
#include "viewer/ModuleState.h"

namespace {

using tifftest::Bytes;
using tifftest::TiffBuilder;
namespace fs = std::filesystem;

const char* kSwapped = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";
const char* kCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const char* kAdobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tiffzirn-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    fs::create_directories(m_dir + "/home");
    fs::create_directories(m_dir + "/windows");
    setenv("ZIRN_HOME", (m_dir + "/home").c_str(), 1);
    setenv("WINDIR", (m_dir + "/windows").c_str(), 1);
    g_pColorEngine = new CColorEngine;
    ASSERT_EQ(g_pColorEngine->Load(), 1) << "ZIRN.DLL and TALVERIN.DLL beside the test program";
    g_bEngineReady = 1;
    g_bEmbeddedProfile = 0;
    g_nProfilePaths = 0;
    g_strWindowsDir = (m_dir + "/windows\\").c_str();
    ChooseSrgbMonitor();
  }

  void TearDown() override {
    delete g_pColorEngine;
    g_pColorEngine = nullptr;
    g_bEngineReady = 0;
    g_bEmbeddedProfile = 0;
    unsetenv("ZIRN_HOME");
    unsetenv("WINDIR");
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }

  // The first display profile of the store whose name starts with sRGB.
  void ChooseSrgbMonitor() {
    int32_t nCursor1 = 0, nCursor2 = 0;
    char szName[256], szPath[256];
    while (g_pColorEngine->m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName,
                                                             szPath, 256) > 0) {
      if (std::string(szName).rfind("sRGB", 0) == 0) {
        m_monitorPath = szPath;
        g_pColorEngine->m_pfnSetMonitorProfile(szName);
        return;
      }
    }
    FAIL() << "no sRGB display profile in the store";
  }

  // LittleCMS from the source profile to the monitor profile, 16 bits in and out, as
  // the engine is asked to match.
  std::vector<uint16_t> Lcms(const char* pszSource, cmsUInt32Number nInput,
                             const std::vector<uint16_t>& in, size_t nPixels) {
    cmsHPROFILE hSource = cmsOpenProfileFromFile(pszSource, "r");
    cmsHPROFILE hMonitor = cmsOpenProfileFromFile(m_monitorPath.c_str(), "r");
    cmsHTRANSFORM hTransform = cmsCreateTransform(hSource, nInput, hMonitor, TYPE_RGB_16,
                                                  INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    EXPECT_NE(hTransform, nullptr);
    std::vector<uint16_t> out(nPixels * 3);
    cmsDoTransform(hTransform, in.data(), out.data(), static_cast<cmsUInt32Number>(nPixels));
    cmsDeleteTransform(hTransform);
    cmsCloseProfile(hSource);
    cmsCloseProfile(hMonitor);
    return out;
  }

  tifftest::Decoded DecodeWithProfile(uint16_t wSamples, uint16_t wPhotometric, const Bytes& pixels,
                                      uint32_t nWidth, const char* pszProfile,
                                      const std::vector<uint16_t>& colorMap = {}) {
    TiffBuilder b;
    b.StripImage(nWidth, 1, wSamples, 8, wPhotometric, 1, {pixels});
    if (!colorMap.empty()) b.Shorts(320, colorMap);
    Bytes profile = tifftest::ReadWholeFile(pszProfile);
    b.Raw(34675, 7, static_cast<uint32_t>(profile.size()), profile);
    return tifftest::DecodeBytes(b.Build());
  }

  std::string m_dir;
  std::string m_monitorPath;
  tifftest::MessageRecorder m_messages;
};

void ExpectWithin(int nGot, int nWant, int nTolerance, const std::string& what) {
  EXPECT_LE(std::abs(nGot - nWant), nTolerance) << what << ": got " << nGot << ", want " << nWant;
}

TEST_F(EngineTest, SwappedRedAndGreenProfileSwapsTheChannels) {
  Bytes pixels = {200, 50, 10, 10, 200, 50, 255, 0, 0, 30, 60, 240};
  tifftest::Decoded d = DecodeWithProfile(3, 2, pixels, 4, kSwapped);
  ASSERT_TRUE(d.Ok());
  ASSERT_TRUE(m_messages.messages.empty()) << m_messages.messages[0].text;
  std::vector<Bytes> matched = tifftest::DibRows(d.pDIB.get(), true);
  ASSERT_EQ(matched.size(), 1u);
  std::vector<uint16_t> in;
  for (BYTE v : pixels) in.push_back(static_cast<uint16_t>(v * 257));
  std::vector<uint16_t> lcms = Lcms(kSwapped, TYPE_RGB_16, in, 4);
  for (size_t x = 0; x < 4; ++x) {
    const BYTE* bgr = &matched[0][3 * x];
    // Red and green trade places (to within the two profiles' small differences) ...
    ExpectWithin(bgr[2], pixels[3 * x + 1], 3, "red from green");
    ExpectWithin(bgr[1], pixels[3 * x], 3, "green from red");
    ExpectWithin(bgr[0], pixels[3 * x + 2], 3, "blue");
    // ... and the values are LittleCMS's.
    for (int c = 0; c < 3; ++c) ExpectWithin(bgr[2 - c], lcms[3 * x + c] >> 8, 1, "LittleCMS");
  }
  // The primary block keeps the decoded pixels.
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get())[0],
            (Bytes{10, 50, 200, 50, 200, 10, 0, 0, 255, 240, 60, 30}));
  // The profile was saved under the engine's name for it.
  std::string saved = static_cast<LPCTSTR>(d.pTIFF->m_strSourceProfile);
  EXPECT_TRUE(fs::exists(m_dir + "/windows/" + saved.substr(saved.find('\\') + 1))) << saved;
}

TEST_F(EngineTest, CmykPixelsGiveLittleCmsColours) {
  Bytes pixels = {0, 0, 0, 0, 255, 0, 0, 0, 0, 128, 255, 20, 60, 60, 60, 200, 10, 200, 30, 0};
  tifftest::Decoded d = DecodeWithProfile(4, 5, pixels, 5, kCmyk);
  ASSERT_TRUE(d.Ok());
  ASSERT_TRUE(m_messages.messages.empty()) << m_messages.messages[0].text;
  std::vector<uint16_t> in;
  for (BYTE v : pixels) in.push_back(static_cast<uint16_t>(v * 256));
  std::vector<uint16_t> lcms = Lcms(kCmyk, TYPE_CMYK_16, in, 5);
  Bytes matched = tifftest::DibRows(d.pDIB.get(), true)[0];
  for (size_t x = 0; x < 5; ++x) {
    for (int c = 0; c < 3; ++c)
      ExpectWithin(matched[3 * x + 2 - c], lcms[3 * x + c] >> 8, 1, "pixel " + std::to_string(x));
  }
}

TEST_F(EngineTest, ColorMapGetsLittleCmsColours) {
  std::vector<uint16_t> map(768);
  for (int i = 0; i < 256; ++i) {
    map[i] = static_cast<uint16_t>(i * 257);
    map[256 + i] = static_cast<uint16_t>((255 - i) * 257);
    map[512 + i] = static_cast<uint16_t>((i * 7 % 256) * 257);
  }
  tifftest::Decoded d = DecodeWithProfile(1, 3, {0, 17, 255}, 3, kAdobe, map);
  ASSERT_TRUE(d.Ok());
  ASSERT_TRUE(m_messages.messages.empty()) << m_messages.messages[0].text;
  std::vector<uint16_t> in;
  for (int i = 0; i < 256; ++i) in.insert(in.end(), {map[i], map[256 + i], map[512 + i]});
  std::vector<uint16_t> lcms = Lcms(kAdobe, TYPE_RGB_16, in, 256);
  ASSERT_EQ(d.pTIFF->m_nColorMapEntries, 256);
  for (int i = 0; i < 256; ++i) {
    const ColorMapEntry& e = d.pTIFF->m_pColorMap[i];
    ExpectWithin(e.red >> 8, lcms[3 * i] >> 8, 1, "red " + std::to_string(i));
    ExpectWithin(e.green >> 8, lcms[3 * i + 1] >> 8, 1, "green " + std::to_string(i));
    ExpectWithin(e.blue >> 8, lcms[3 * i + 2] >> 8, 1, "blue " + std::to_string(i));
  }
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get(), true)[0], (Bytes{0, 17, 255}));
}

TEST_F(EngineTest, UnchosenMonitorProfileLeavesTheImageUnmatched) {
  fs::remove_all(m_dir + "/home");
  fs::create_directories(m_dir + "/home");
  tifftest::Decoded d = DecodeWithProfile(3, 2, {1, 2, 3}, 1, kSwapped);
  ASSERT_TRUE(d.Ok());
  ASSERT_EQ(m_messages.messages.size(), 1u);
  EXPECT_EQ(m_messages.messages[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
}

}  // namespace
