// Matching during ConvertToDIB, against an engine that records what it is given: the
// set-up and its messages, the records built from pixels and colour maps, the
// matched block, and the session ended on every path.
#include <gtest/gtest.h>

#include <platform/testing.h>

#include <string>
#include <vector>

#include "../support/fake_engine.h"
#include "tiff_test_support.h"
#include "viewer/ModuleState.h"

namespace {

using testsupport::FakeEngine;
using tifftest::Bytes;
using tifftest::Decoded;
using tifftest::TiffBuilder;

const Bytes kProfile = {'i', 'c', 'c'};

// An image of the given layout; with a profile unless bProfile is false.
Bytes Image(uint16_t wSamples, uint16_t wBits, uint16_t wPhotometric, const Bytes& pixels,
            uint32_t nWidth, int nColorMapEntries = 0, bool bProfile = true,
            uint16_t wPredictor = 1) {
  TiffBuilder b;
  size_t nRowBytes = (nWidth * wSamples * wBits + 7) / 8;
  b.StripImage(nWidth, static_cast<uint32_t>(pixels.size() / nRowBytes), wSamples, wBits,
               wPhotometric, 100, {pixels});
  if (wPredictor != 1) b.Shorts(317, {wPredictor});
  if (nColorMapEntries > 0) {
    std::vector<uint16_t> map;
    for (int c = 0; c < 3; ++c) {
      for (int i = 0; i < nColorMapEntries; ++i)
        map.push_back(static_cast<uint16_t>(1000 * c + i * 256 + 1));
    }
    b.Shorts(320, map);
  }
  if (bProfile) b.Raw(34675, 7, static_cast<uint32_t>(kProfile.size()), kProfile);
  return b.Build();
}

class MatchTest : public tifftest::FilledBlocksTest {
 protected:
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : m_messages.messages) texts.push_back(m.text);
    return texts;
  }
  int Ends() const {
    return static_cast<int>(std::count(m_engine.calls.begin(), m_engine.calls.end(), "End"));
  }

  FakeEngine m_engine;
  tifftest::MessageRecorder m_messages;
};

TEST_F(MatchTest, RgbPixelsAreMatchedOneByOne) {
  Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3, 250, 128, 0}, 2));
  ASSERT_TRUE(d.Ok());
  ASSERT_EQ(m_engine.matchCounts, (std::vector<int32_t>{1, 1}));
  const MatchColor& first = m_engine.matchInputs[0];
  EXPECT_EQ(first.c[0], 1 * 257);
  EXPECT_EQ(first.c[1], 2 * 257);
  EXPECT_EQ(first.c[2], 3 * 257);
  EXPECT_EQ(first.c[3], 0);
  EXPECT_EQ(m_engine.matchInputs[1].c[0], 250 * 257);
  // The engine gave back (blue, red, green); the block holds them as blue, green, red.
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get(), true)[0], (Bytes{2, 1, 3, 128, 250, 0}));
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get())[0], (Bytes{3, 2, 1, 0, 128, 250}));
  EXPECT_EQ(GlobalSize(d.pDIB->m_hMatchedBits), GlobalSize(d.pDIB->m_hBits));
  std::vector<std::string> expected = {
      "GetProfileName " + m_engine.WindowsDir() + "ppp.icm", "GetMonitorProfile",
      "Begin " + m_engine.WindowsDir() + "Test Profile.icm Studio Monitor", "End"};
  EXPECT_EQ(m_engine.calls, expected);
  EXPECT_EQ(m_engine.beginSources,
            std::vector<std::string>{m_engine.WindowsDir() + "Test Profile.icm"});
  EXPECT_TRUE(Texts().empty());
}

TEST_F(MatchTest, RgbPredictorValuesAreMatchedAfterUndoingIt) {
  Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {10, 20, 30, 1, 1, 1}, 2, 0, true, 2));
  ASSERT_TRUE(d.Ok());
  ASSERT_EQ(m_engine.matchInputs.size(), 2u);
  EXPECT_EQ(m_engine.matchInputs[1].c[0], 11 * 257);
  EXPECT_EQ(m_engine.matchInputs[1].c[2], 31 * 257);
}

TEST_F(MatchTest, CmykPixelsUseAllFourComponents) {
  Decoded d = tifftest::DecodeBytes(Image(4, 8, 5, {1, 2, 3, 4}, 1));
  ASSERT_TRUE(d.Ok());
  ASSERT_EQ(m_engine.matchInputs.size(), 1u);
  const MatchColor& c = m_engine.matchInputs[0];
  EXPECT_EQ(c.c[0], 256);
  EXPECT_EQ(c.c[1], 512);
  EXPECT_EQ(c.c[2], 768);
  EXPECT_EQ(c.c[3], 1024);
}

TEST_F(MatchTest, FailedCmykMatchEndsTheConversionAndTheSession) {
  m_engine.nMatchResult = 3;
  Decoded d = tifftest::DecodeBytes(Image(4, 8, 5, {1, 2, 3, 4, 5, 6, 7, 8}, 2));
  EXPECT_EQ(d.nConvert, -108);
  EXPECT_EQ(m_engine.matchInputs.size(), 1u);
  EXPECT_EQ(Ends(), 1);
  EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
}

TEST_F(MatchTest, FailedRgbMatchIsNotExamined) {
  m_engine.nMatchResult = 3;
  Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1));
  EXPECT_TRUE(d.Ok());
  EXPECT_NE(d.pDIB->m_hMatchedBits, nullptr);
}

TEST_F(MatchTest, ColorMapIsMatchedOnceInPlace) {
  Decoded d = tifftest::DecodeBytes(Image(1, 8, 3, {0, 5, 15, 3}, 4, 16));
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(m_engine.matchCounts, std::vector<int32_t>{16});
  EXPECT_EQ(m_engine.matchInputs[5].c[0], 5 * 256 + 1);
  EXPECT_EQ(m_engine.matchInputs[5].c[1], 1000 + 5 * 256 + 1);
  EXPECT_EQ(m_engine.matchInputs[5].c[3], 0);
  const ColorMapEntry& e = d.pTIFF->m_pColorMap[5];
  EXPECT_EQ(e.red, 2000 + 5 * 256 + 1);
  EXPECT_EQ(e.green, 5 * 256 + 1);
  EXPECT_EQ(e.blue, 1000 + 5 * 256 + 1);
  // The matched block holds the same indices.
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get(), true), tifftest::DibRows(d.pDIB.get()));
}

TEST_F(MatchTest, FailedColorMapMatchEndsTheSessionAtOnce) {
  m_engine.nMapMatchResult = 2;
  Decoded d = tifftest::DecodeBytes(Image(1, 8, 3, {0, 1}, 2, 4));
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(Texts(), std::vector<std::string>{"Failed in Matching"});
  EXPECT_EQ(d.pTIFF->m_pColorMap[1].red, 256 + 1);
  EXPECT_EQ(Ends(), 2) << "at once, and again at the end of the conversion";
}

TEST_F(MatchTest, PackedPaletteImagesHaveTheirColorMapMatchedAndGreyOnesNone) {
  Decoded grey = tifftest::DecodeBytes(Image(1, 8, 1, {0, 1, 2}, 3));
  ASSERT_TRUE(grey.Ok());
  EXPECT_TRUE(m_engine.matchCounts.empty());
  EXPECT_NE(grey.pDIB->m_hMatchedBits, nullptr);
  for (uint16_t wBits : {1, 2, 4}) {
    m_engine.matchCounts.clear();
    Decoded d = tifftest::DecodeBytes(Image(1, wBits, 3, {0x80}, 1, 1 << wBits));
    ASSERT_TRUE(d.Ok()) << wBits;
    EXPECT_EQ(m_engine.matchCounts, std::vector<int32_t>{1 << wBits}) << wBits;
    EXPECT_EQ(d.pTIFF->m_pColorMap[1].red, 2000 + 256 + 1) << wBits;
  }
}

TEST_F(MatchTest, MonitorProfileThatCannotBeHad) {
  m_engine.nMonitorResult = 1;
  Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1));
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(Texts(), std::vector<std::string>{"Failed in GetMonitorProfile"});
  EXPECT_EQ(m_messages.messages[0].style, static_cast<unsigned>(MB_OK));
  EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
  EXPECT_EQ(Ends(), 0);
}

TEST_F(MatchTest, DefaultDisplayInAnyCaseAsksForScrnpick) {
  for (const char* name : {"Default Display", "DEFAULT display"}) {
    m_messages.messages.clear();
    m_engine.monitorName = name;
    Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1));
    ASSERT_TRUE(d.Ok());
    ASSERT_EQ(m_messages.messages.size(), 1u) << name;
    EXPECT_EQ(m_messages.messages[0].text,
              "Please exit the application and run SCRNPICK program\n to set the monitor profile.");
    EXPECT_EQ(m_messages.messages[0].caption, "Plug-in");
    EXPECT_EQ(m_messages.messages[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
  }
  EXPECT_TRUE(m_engine.matchCounts.empty());
}

TEST_F(MatchTest, FailedSessionStartShowsItsNumberAndMatchingGoesOn) {
  for (int16_t nError : {5, -3}) {
    m_messages.messages.clear();
    m_engine.calls.clear();
    m_engine.nBeginResult = nError;
    Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1));
    ASSERT_TRUE(d.Ok());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Failed in BeginMatchingSession (error=>" +
                                                std::to_string(nError) + ")"});
    EXPECT_EQ(Ends(), 1);
    EXPECT_NE(d.pDIB->m_hMatchedBits, nullptr);
  }
  EXPECT_EQ(m_engine.matchCounts.size(), 2u);
}

TEST_F(MatchTest, CmykWhoseSessionCannotStartIsShownUnmatched) {
  m_engine.nBeginResult = 7;
  m_engine.nMatchResult = 3;  // as the engine answers without a session
  Decoded d = tifftest::DecodeBytes(Image(4, 8, 5, {0, 0, 0, 0, 255, 0, 0, 0}, 2));
  ASSERT_TRUE(d.Ok()) << d.nConvert;
  EXPECT_EQ(Texts(), std::vector<std::string>{"Failed in BeginMatchingSession (error=>7)"});
  EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
  EXPECT_TRUE(m_engine.matchInputs.empty());
  EXPECT_EQ(Ends(), 0);
  EXPECT_EQ(tifftest::DibRows(d.pDIB.get())[0], (Bytes{255, 255, 255, 255, 255, 0}));
}

TEST_F(MatchTest, ImageWithoutProfileIsNotMatchedAfterOneWithIt) {
  ASSERT_TRUE(tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1)).Ok());
  ASSERT_EQ(g_nProfilePaths, 1);
  m_engine.calls.clear();
  m_engine.matchCounts.clear();
  // The flag still set from the earlier image, as if nobody had cleared it.
  g_bEmbeddedProfile = 1;
  Decoded d = tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1, 0, false));
  ASSERT_TRUE(d.Ok());
  EXPECT_TRUE(m_engine.calls.empty());
  EXPECT_EQ(d.pDIB->m_hMatchedBits, nullptr);
}

TEST_F(MatchTest, SecondImageMatchesWithItsOwnProfile) {
  ASSERT_TRUE(tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1)).Ok());
  m_engine.profileName = "Second";
  ASSERT_TRUE(tifftest::DecodeBytes(Image(3, 8, 2, {1, 2, 3}, 1)).Ok());
  ASSERT_EQ(m_engine.beginSources.size(), 2u);
  EXPECT_EQ(m_engine.beginSources[1], m_engine.WindowsDir() + "Second.icm");
}

TEST_F(MatchTest, MatchedBlockThatCannotBeHadEndsTheConversion) {
  tifftest::TempFile file(Image(3, 8, 2, {1, 2, 3}, 1));
  CTIFF tiff;
  CDIB dib;
  CFile f;
  ASSERT_TRUE(f.Open(file.Path().c_str(), CFile::modeRead));
  ASSERT_EQ(tiff.Read(&f), 0);
  // Create's block, the output block, then the matched block.
  platform::faults::FailNthGlobalAlloc(3);
  EXPECT_EQ(tiff.ConvertToDIB(&f, &dib), -108);
  platform::faults::FailNthGlobalAlloc(0);
  EXPECT_EQ(Ends(), 1);
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
}

TEST_F(MatchTest, TheProfileLockIsHeldFromSavingTheProfileToTheEndOfTheConversion) {
  tifftest::TempFile file(Image(3, 8, 2, {1, 2, 3}, 1));
  for (unsigned long nFailingAlloc : {0ul, 3ul}) {  // matched, and ended by the matched block
    CTIFF tiff;
    CDIB dib;
    CFile f;
    ASSERT_TRUE(f.Open(file.Path().c_str(), CFile::modeRead));
    ASSERT_EQ(tiff.Read(&f), 0);
    CProfileLock other;
    EXPECT_FALSE(other.Acquire(0));
    platform::faults::FailNthGlobalAlloc(nFailingAlloc);
    tiff.ConvertToDIB(&f, &dib);
    platform::faults::FailNthGlobalAlloc(0);
    EXPECT_TRUE(other.Acquire(0)) << nFailingAlloc;
  }
}

TEST_F(MatchTest, EarlierMatchedBlockIsReplaced) {
  tifftest::TempFile file(Image(3, 8, 2, {1, 2, 3}, 1));
  CTIFF tiff;
  CDIB dib;
  dib.m_hMatchedBits = GlobalAlloc(GMEM_MOVEABLE, 10);
  CFile f;
  ASSERT_TRUE(f.Open(file.Path().c_str(), CFile::modeRead));
  ASSERT_EQ(tiff.Read(&f), 0);
  ASSERT_EQ(tiff.ConvertToDIB(&f, &dib), 0);
  EXPECT_EQ(GlobalSize(dib.m_hMatchedBits), 4u);
}

}  // namespace
