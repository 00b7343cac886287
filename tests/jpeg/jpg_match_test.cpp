// CJPG::MatchToMonitor and CJPG::ConvertToDIB with an engine of test functions: the
// component order, the monitor checks, failing sessions, pixels and allocations, and
// what the DIB holds afterwards.
#include "jpeg/Jpg.h"

#include "../support/fake_engine.h"
#include "bitmap/Dib.h"
#include "jpeg/JpegToDib.h"
#include "jpg_support_test.h"
#include "viewer/ModuleState.h"

#include <platform/testing.h>

#include <cstring>

namespace {

using jpgtest::BoxRecorder;
using jpgtest::Bytes;

// The engine answers every pixel with one colour; CJPG hands it one record a call.
class JpegEngine : public testsupport::FakeEngine {
 public:
  JpegEngine() { fixedResult = MatchColor{{0x1100, 0x2200, 0x3300, 0}}; }
  ~JpegEngine() {
    for (int32_t n : matchCounts) EXPECT_EQ(n, 1) << "Match with " << n << " records";
  }
};

constexpr char kAdvice[] =
    "Please exit the application and run SCRNPICK program\n to set the monitor profile.";

Bytes BlockBytes(HGLOBAL hBlock) {
  const auto* p = static_cast<const uint8_t*>(GlobalLock(hBlock));
  Bytes bytes(p, p + GlobalSize(hBlock));
  GlobalUnlock(hBlock);
  return bytes;
}

HGLOBAL BlockOf(const Bytes& bytes) {
  HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(hBlock), bytes.data(), bytes.size());
  GlobalUnlock(hBlock);
  return hBlock;
}

class JpgMatchTest : public ::testing::Test {
 protected:
  // A decoded w x h image as ConvertToDIB leaves it: pixel (x, y) of block row y is
  // blue 10x + y, green 100 + x, red 200 + y; pad bytes 0xEE.
  void Decoded(int width, int height) {
    stride = ((24 * width + 31) / 32) * 4;
    Bytes pixels(static_cast<size_t>(stride) * height, 0xEE);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &pixels[static_cast<size_t>(y) * stride + 3 * x];
        p[0] = static_cast<uint8_t>(10 * x + y);
        p[1] = static_cast<uint8_t>(100 + x);
        p[2] = static_cast<uint8_t>(200 + y);
      }
    }
    decoded = pixels;
    dib.Create(width, height);
    dib.SetBitCount(24);
    GlobalFree(dib.m_hBits);
    dib.m_hBits = BlockOf(pixels);
    jpg.m_nWidth = width;
    jpg.m_nHeight = height;
    jpg.m_nBitCount = 24;
    g_strProfilePaths[0] = (engine.WindowsDir() + "Test Profile.icm").c_str();
    g_nProfilePaths = 1;
    g_bEmbeddedProfile = 1;
  }
  std::string BeginCall() const {
    return "Begin " + engine.WindowsDir() + "Test Profile.icm " + engine.monitorName;
  }
  // No matched block, the decoded pixels as they were, and the session ended.
  void ExpectUnmatched() {
    EXPECT_EQ(dib.m_hMatchedBits, nullptr);
    EXPECT_EQ(BlockBytes(dib.m_hBits), decoded);
  }

  JpegEngine engine;
  BoxRecorder boxes;
  CDIB dib;
  CJPG jpg;
  int stride = 0;
  Bytes decoded;
};

TEST_F(JpgMatchTest, EngineGetsRedGreenBlueAndResultsGoBackAsBlueGreenRed) {
  Decoded(5, 2);
  platform::testing::SetGlobalAllocFill(0xA5);
  jpg.MatchToMonitor(&dib);
  platform::testing::SetGlobalAllocFill(-1);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"GetMonitorProfile", BeginCall(), "End"}));

  ASSERT_EQ(engine.matchInputs.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    int x = i % 5, y = i / 5;
    const MatchColor& in = engine.matchInputs[static_cast<size_t>(i)];
    EXPECT_EQ(in.c[0], (200 + y) << 8) << i;
    EXPECT_EQ(in.c[1], (100 + x) << 8) << i;
    EXPECT_EQ(in.c[2], (10 * x + y) << 8) << i;
    EXPECT_EQ(in.c[3], 0) << i;
  }
  ASSERT_NE(dib.m_hMatchedBits, nullptr);
  Bytes matched = BlockBytes(dib.m_hMatchedBits);
  ASSERT_EQ(stride, 16);
  ASSERT_EQ(matched.size(), 32u);
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 5; ++x) {
      const uint8_t* p = &matched[static_cast<size_t>(row) * 16 + 3 * x];
      EXPECT_EQ(Bytes(p, p + 3), (Bytes{0x33, 0x22, 0x11}));
    }
    EXPECT_EQ(matched[static_cast<size_t>(row) * 16 + 15], 0xA5) << "pad byte written";
  }
  EXPECT_EQ(BlockBytes(dib.m_hBits), decoded);
}

TEST_F(JpgMatchTest, OnePixelImageMakesOneCall) {
  Decoded(1, 1);
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(engine.matchInputs.size(), 1u);
  ASSERT_NE(dib.m_hMatchedBits, nullptr);
  EXPECT_EQ(GlobalSize(dib.m_hMatchedBits), 4u);
}

TEST_F(JpgMatchTest, DefaultDisplayInExactCaseGivesTheAdviceAndNoSession) {
  Decoded(3, 3);
  engine.monitorName = "Default Display";
  jpg.MatchToMonitor(&dib);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kAdvice);
  EXPECT_EQ(boxes.boxes[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_EQ(engine.calls, std::vector<std::string>{"GetMonitorProfile"});
  ExpectUnmatched();

  boxes.boxes.clear();
  engine.calls.clear();
  engine.monitorName = "default display";
  jpg.MatchToMonitor(&dib);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"GetMonitorProfile", BeginCall(), "End"}));
  EXPECT_NE(dib.m_hMatchedBits, nullptr);
}

TEST_F(JpgMatchTest, NoMonitorProfileOrAnExistingMatchedBlockRefusesToMatch) {
  Decoded(2, 2);
  engine.nMonitorResult = 11;
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::string>{"Please select the source monitor profile first"});
  EXPECT_EQ(boxes.boxes[0].style, 0u);
  ExpectUnmatched();

  boxes.boxes.clear();
  engine.calls.clear();
  engine.nMonitorResult = 0;
  HGLOBAL hOld = BlockOf(Bytes(16, 7));
  dib.m_hMatchedBits = hOld;
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::string>{"Please select the source monitor profile first"});
  EXPECT_EQ(dib.m_hMatchedBits, hOld);
  EXPECT_TRUE(engine.matchInputs.empty());
}

TEST_F(JpgMatchTest, FailedSessionIsShownAndThePixelsAreStillMatched) {
  Decoded(5, 2);
  engine.nBeginResult = 5;
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"BeginMatchingerror=>5"});
  EXPECT_EQ(engine.matchInputs.size(), 10u);
  EXPECT_NE(dib.m_hMatchedBits, nullptr);

  GlobalFree(dib.m_hMatchedBits);
  dib.m_hMatchedBits = nullptr;
  boxes.boxes.clear();
  engine.nBeginResult = -3;
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"BeginMatchingerror=>-3"});
}

TEST_F(JpgMatchTest, PixelTheEngineRefusesAbandonsTheMatchingAndEndsTheSession) {
  Decoded(4, 4);
  size_t blocks = platform::testing::LiveGlobalBlocks();
  engine.nFailMatchAt = 10;
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in Matching"});
  EXPECT_EQ(engine.matchInputs.size(), 10u);
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"GetMonitorProfile", BeginCall(), "End"}));
  ExpectUnmatched();
  EXPECT_EQ(platform::testing::LiveGlobalBlocks(), blocks);
}

TEST_F(JpgMatchTest, EveryAllocationIsCheckedAndNothingLeaks) {
  Decoded(6, 3);
  size_t blocks = platform::testing::LiveGlobalBlocks();
  for (unsigned long n = 1; n <= 4; ++n) {
    boxes.boxes.clear();
    engine.calls.clear();
    engine.matchInputs.clear();
    platform::faults::FailNthGlobalAlloc(n);
    jpg.MatchToMonitor(&dib);
    platform::faults::FailNthGlobalAlloc(0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in Matching"}) << n;
    EXPECT_TRUE(engine.matchInputs.empty()) << n;
    EXPECT_EQ(engine.calls.back(), "End") << n;
    ExpectUnmatched();
    EXPECT_EQ(platform::testing::LiveGlobalBlocks(), blocks) << n;
  }
}

TEST_F(JpgMatchTest, RecordRowAboveTheCeilingIsRefused) {
  // 64 x 2: 384 bytes of pixels, a row of records of 512 bytes.
  Decoded(64, 2);
  platform::faults::SetGlobalAllocLimit(400);
  jpg.MatchToMonitor(&dib);
  platform::faults::SetGlobalAllocLimit(0);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in Matching"});
  EXPECT_TRUE(engine.matchInputs.empty());
  ExpectUnmatched();
}

TEST_F(JpgMatchTest, RecordsTakeOneRowNotOneForEveryPixel) {
  // 64 x 64: 12 KiB of pixels; records for every pixel would take 32 KiB.
  Decoded(64, 64);
  platform::faults::SetGlobalAllocLimit(20000);
  jpg.MatchToMonitor(&dib);
  platform::faults::SetGlobalAllocLimit(0);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(engine.matchInputs.size(), 64u * 64u);
  EXPECT_NE(dib.m_hMatchedBits, nullptr);
}

TEST_F(JpgMatchTest, PixelBlockShortOfTheImageIsNotRead) {
  Decoded(4, 4);
  jpg.m_nHeight = 5;  // one row more than the block holds
  jpg.MatchToMonitor(&dib);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in Matching"});
  EXPECT_TRUE(engine.matchInputs.empty());
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
}

TEST_F(JpgMatchTest, SourcePathThatDoesNotFitIsNotMatched) {
  Decoded(2, 2);
  g_strProfilePaths[0] = std::string(256, 'p').c_str();
  jpg.MatchToMonitor(&dib);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
}

class JpgConvertTest : public ::testing::Test {
 protected:
  std::string Write(const Bytes& bytes) {
    std::string path = engine.File("image.jpg");
    jpegtest::WriteFile(path, bytes);
    return path;
  }
  // JpegToDib's own block for the file.
  Bytes Reference(const std::string& path, int* width, int* height) {
    HGLOBAL hBlock = JpegToDib(path.c_str(), height, width);
    Bytes bytes = BlockBytes(hBlock);
    GlobalFree(hBlock);
    return bytes;
  }
  void ExpectPlaceholder() {
    EXPECT_EQ(dib.Width(), 16);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.m_hMatchedBits, nullptr);
  }

  JpegEngine engine;
  BoxRecorder boxes;
  CDIB dib;
  CJPG jpg;
};

TEST_F(JpgConvertTest, ColourJpegWithProfileIsDecodedInstalledAndMatched) {
  std::string path =
      Write(jpgtest::JpegWith({jpgtest::App2Segment(1, 1, jpgtest::ProfileBytes(100))},
                              jpegtest::EncodeJpeg({.width = 7, .height = 3})));
  int width = 0, height = 0;
  Bytes reference = Reference(path, &width, &height);
  ASSERT_TRUE(jpg.ConvertToDIB(path.c_str(), &dib));
  EXPECT_EQ(jpg.m_nBitCount, 24);
  EXPECT_EQ(dib.Width(), 7);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.m_hBits, jpg.m_hImage);
  EXPECT_EQ(BlockBytes(dib.m_hBits), reference);
  EXPECT_EQ(g_bEmbeddedProfile, 1);
  ASSERT_NE(dib.m_hMatchedBits, nullptr);
  Bytes matched = BlockBytes(dib.m_hMatchedBits);
  ASSERT_EQ(matched.size(), 3u * 24);
  for (size_t row = 0; row < 3; ++row) {
    for (size_t x = 0; x < 7; ++x)
      EXPECT_EQ(Bytes(&matched[row * 24 + 3 * x], &matched[row * 24 + 3 * x + 3]),
                (Bytes{0x33, 0x22, 0x11}));
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgConvertTest, WithoutTheEngineTheFileIsNotScanned) {
  g_bEngineReady = 0;
  std::string path =
      Write(jpgtest::JpegWith({jpgtest::App2Segment(1, 1, jpgtest::ProfileBytes(100))}));
  ASSERT_TRUE(jpg.ConvertToDIB(path.c_str(), &dib));
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_EQ(g_bEmbeddedProfile, 0);
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
  EXPECT_EQ(dib.BitCount(), 24);
}

TEST_F(JpgConvertTest, FileWithoutProfileIsShownUnmatched) {
  std::string path = Write(jpegtest::EncodeJpeg({}));
  ASSERT_TRUE(jpg.ConvertToDIB(path.c_str(), &dib));
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(JpgConvertTest, GreyJpegBecomesGreyBlueGreenRedPixels) {
  std::string path = Write(jpegtest::EncodeJpeg({.width = 5, .height = 4, .components = 1}));
  int width = 0, height = 0;
  Bytes grey = Reference(path, &width, &height);
  ASSERT_EQ(grey.size(), 8u * 4);
  g_bEngineReady = 0;
  ASSERT_TRUE(jpg.ConvertToDIB(path.c_str(), &dib));
  EXPECT_EQ(dib.BitCount(), 24);
  Bytes pixels = BlockBytes(dib.m_hBits);
  ASSERT_EQ(pixels.size(), 16u * 4);
  for (size_t row = 0; row < 4; ++row) {
    for (size_t x = 0; x < 5; ++x) {
      uint8_t g = grey[row * 8 + x];
      EXPECT_EQ(Bytes(&pixels[row * 16 + 3 * x], &pixels[row * 16 + 3 * x + 3]), (Bytes{g, g, g}));
    }
    EXPECT_EQ(pixels[row * 16 + 15], 0);
  }
}

TEST_F(JpgConvertTest, FailuresLeaveTheDibAsItWasAndLeakNothing) {
  std::string grey = engine.File("grey.jpg");
  jpegtest::WriteFile(grey, jpegtest::EncodeJpeg({.width = 5, .height = 4, .components = 1}));
  std::string colour = Write(jpegtest::EncodeJpeg({}));
  size_t blocks = platform::testing::LiveGlobalBlocks();
  // The decoded block, the block of Create, the widened grey block.
  struct Case {
    std::string path;
    unsigned long failing;
  } cases[] = {{colour, 1}, {colour, 2}, {grey, 2}, {grey, 3}};
  for (const Case& c : cases) {
    platform::faults::FailNthGlobalAlloc(c.failing);
    EXPECT_FALSE(jpg.ConvertToDIB(c.path.c_str(), &dib)) << c.path << " " << c.failing;
    platform::faults::FailNthGlobalAlloc(0);
    ExpectPlaceholder();
    EXPECT_EQ(platform::testing::LiveGlobalBlocks(), blocks);
  }
  std::string text = Write({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
  EXPECT_FALSE(jpg.ConvertToDIB(text.c_str(), &dib));
  ExpectPlaceholder();
}

}  // namespace
