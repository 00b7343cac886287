// The two load paths: what each display gets (bit depth, palette), matching through
// the engine, and every failure with its message and what is left.
#include "viewer_fixture.h"

#include <platform/testing.h>

#include <filesystem>

#include "bitmap/Dib.h"
#include "bitmap/ImagePalette.h"
#include "tiff/Tiff.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace viewertest {
namespace {

constexpr const char* kAdvice =
    "Please exit the application and run SCRNPICK program\n to set the monitor profile.";

// The pixels of one block of the bitmap.
size_t BlockBytes(HGLOBAL hBlock) { return hBlock != nullptr ? GlobalSize(hBlock) : 0; }

size_t EightBitBytes(CDIB* pDIB) {
  return static_cast<size_t>((pDIB->Width() + 3) / 4 * 4) * pDIB->Height();
}

// Whether the palette's entries are the bitmap's colour table.
bool PaletteIsColourTable(CPalette* pPalette, CDIB* pDIB) {
  int nEntries = pPalette->GetEntryCount();
  if (nEntries != pDIB->NumColors()) return false;
  std::vector<PALETTEENTRY> entries(nEntries);
  pPalette->GetPaletteEntries(0, nEntries, entries.data());
  const auto* pTable = reinterpret_cast<const RGBQUAD*>(pDIB->m_pInfo + 1);
  for (int i = 0; i < nEntries; ++i) {
    if (entries[i].peRed != pTable[i].rgbRed || entries[i].peGreen != pTable[i].rgbGreen ||
        entries[i].peBlue != pTable[i].rgbBlue)
      return false;
  }
  return true;
}

class LoadTest : public ViewerTest {
 protected:
  // Left half red-ish, right half blue-ish, with a green ramp down the rows.
  static Rgb Halves(int x, int y) {
    return x < 16 ? Rgb{200, static_cast<uint8_t>(4 * y), 40}
                  : Rgb{30, static_cast<uint8_t>(4 * y), 220};
  }
  std::string RgbTiff(const Bytes& icc = {}) {
    std::string path = Path("rgb.tif");
    WriteRgbTiff(path, 32, 24, Halves, icc);
    return path;
  }
  std::string Jpeg(const Bytes& profile = {}) {
    std::string path = Path("photo.jpg");
    Bytes jpeg = EncodeJpeg(32, 24, Halves);
    WriteBytes(path, profile.empty() ? jpeg : WithJfxxProfile(jpeg, profile));
    return path;
  }
  // A document shown full-page in a window large enough for both renderings.
  CImgVuDoc* ShowFullPage(const std::string& path) {
    m_nMode = 2;
    CImgVuDoc* pDoc = NewDocument();
    m_pWnd = NewWindow(pDoc, 100, 40);
    if (g_bEngineReady) ChooseMonitor("sRGB");
    EXPECT_EQ(pDoc->Open(m_pWnd, path.c_str()), 1);
    return pDoc;
  }
  CImgVuWnd* m_pWnd = nullptr;
};

// ----- TIFF -----------------------------------------------------------------------

TEST_F(LoadTest, TiffOfTwentyFourBitsOnATrueColourDisplayHasNoPalette) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  ASSERT_EQ(pDoc->Open(pWnd, RgbTiff().c_str()), 1);
  EXPECT_EQ(pDoc->m_bPaletteDisplay, 0);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 24);
  EXPECT_EQ(pDoc->m_pImagePalette, nullptr);
  EXPECT_LT(pDoc->m_pDIB->m_pInfo->biHeight, 0);  // rows kept first row first
  EXPECT_EQ(PixelAt(pWnd, 3, 0), ToPixel(Halves(3, 0)));
  EXPECT_EQ(PixelAt(pWnd, 20, 23), ToPixel(Halves(20, 23)));
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(LoadTest, TiffWithAColourMapGetsItsOwnPaletteOnEveryDisplay) {
  WritePaletteTiff(Path("map.tif"), 6, 4, [](int, int y) { return uint8_t(y == 0 ? 1 : 2); });
  for (int nDepth : {24, 8}) {
    platform::SetScreen(1024, 768, nDepth);
    CImgVuDoc* pDoc = NewDocument();
    CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
    ASSERT_EQ(pDoc->Open(pWnd, Path("map.tif").c_str()), 1);
    EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
    ASSERT_NE(pDoc->m_pImagePalette, nullptr);
    PALETTEENTRY entries[3];
    ASSERT_EQ(pDoc->m_pImagePalette->GetPaletteEntries(0, 3, entries), 3u);
    EXPECT_EQ(entries[1].peRed, 255);
    EXPECT_EQ(entries[1].peFlags, PC_RESERVED);
    EXPECT_EQ(entries[2].peBlue, 255);
    EXPECT_EQ(PixelAt(pWnd, 2, 0), 0xFF0000u) << nDepth;  // the first row at the top
    EXPECT_EQ(PixelAt(pWnd, 2, 3), 0x0000FFu) << nDepth;
    DeleteWindow(pWnd);
    DeleteDocument(pDoc);
  }
}

TEST_F(LoadTest, GreyTiffWithoutAColourMapUsesTheGreyTable) {
  std::string path = Path("grey.tif");
  std::filesystem::copy_file(DataFile("tiff/in-scope/libtiff/minisblack-1c-8b.tiff"), path);
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, path.c_str()), 1);
  ASSERT_EQ(pDoc->m_pTIFF->m_pColorMap, nullptr);
  ASSERT_NE(pDoc->m_pImagePalette, nullptr);
  PALETTEENTRY entry;
  pDoc->m_pImagePalette->GetPaletteEntries(200, 1, &entry);
  EXPECT_EQ(entry.peRed, 200);
  EXPECT_EQ(entry.peBlue, 200);
  EXPECT_EQ(entry.peFlags, 0);
}

TEST_F(LoadTest, TiffOnAPaletteDisplayIsBroughtToEightBitsWithAPalette) {
  platform::SetScreen(1024, 768, 8);
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, RgbTiff().c_str()), 1);
  EXPECT_EQ(pDoc->m_bPaletteDisplay, 1);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hBits), EightBitBytes(pDoc->m_pDIB));
  ASSERT_NE(pDoc->m_pImagePalette, nullptr);
  EXPECT_TRUE(PaletteIsColourTable(pDoc->m_pImagePalette, pDoc->m_pDIB));
}

TEST_F(LoadTest, MatchedTiffOnAPaletteDisplayGetsThePaletteOfItsLastColourTable) {
  platform::SetScreen(1024, 768, 8);
  CImgVuDoc* pDoc = ShowFullPage(RgbTiff(ReadBytes(kSwappedProfile)));
  ASSERT_NE(pDoc->m_pDIB->m_hMatchedBits, nullptr);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hBits), EightBitBytes(pDoc->m_pDIB));
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hMatchedBits), EightBitBytes(pDoc->m_pDIB));
  ASSERT_NE(pDoc->m_pImagePalette, nullptr);
  EXPECT_TRUE(PaletteIsColourTable(pDoc->m_pImagePalette, pDoc->m_pDIB));
  EXPECT_TRUE(m_person.messages.empty()) << m_person.messages[0].text;
}

TEST_F(LoadTest, MatchedTiffFullPageShowsDecodedLeftAndMatchedRight) {
  CImgVuDoc* pDoc = ShowFullPage(RgbTiff(ReadBytes(kSwappedProfile)));
  ASSERT_NE(pDoc->m_pDIB->m_hMatchedBits, nullptr);
  EXPECT_EQ(g_bEmbeddedProfile, 1);
  // Red and green trade places through the profile; sRGB to sRGB keeps the rest.
  Rgb decoded = Halves(3, 5);
  EXPECT_TRUE(Near(PixelAt(m_pWnd, 3, 5), ToPixel(decoded), 0));
  EXPECT_TRUE(Near(PixelAt(m_pWnd, 32 + 3, 5), ToPixel(Rgb{decoded.g, decoded.r, decoded.b}), 3))
      << std::hex << PixelAt(m_pWnd, 32 + 3, 5);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(LoadTest, MonitorLeftUnchosenGivesTheAdviceAndTheImageUnmatched) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 100, 40);
  ASSERT_EQ(pDoc->Open(pWnd, RgbTiff(ReadBytes(kSwappedProfile)).c_str()), 1);
  EXPECT_EQ(pDoc->m_pDIB->m_hMatchedBits, nullptr);
  ASSERT_EQ(m_person.messages.size(), 1u);
  EXPECT_EQ(m_person.messages[0].caption, "Plug-in");
  EXPECT_EQ(m_person.messages[0].text, kAdvice);
  EXPECT_EQ(m_person.messages[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_EQ(PixelAt(pWnd, 3, 5), ToPixel(Halves(3, 5)));
}

TEST_F(LoadTest, MissingEngineShowsTheImageUnmatchedWithoutAMessage) {
  HideEngine();
  CImgVuDoc* pDoc = NewDocument();
  EXPECT_EQ(g_bEngineReady, 0);
  pDoc->m_nDisplayMode = 2;
  CImgVuWnd* pWnd = NewWindow(pDoc, 100, 40);
  ASSERT_EQ(pDoc->Open(pWnd, RgbTiff(ReadBytes(kSwappedProfile)).c_str()), 1);
  EXPECT_EQ(pDoc->m_pDIB->m_hMatchedBits, nullptr);
  EXPECT_EQ(PixelAt(pWnd, 3, 5), ToPixel(Halves(3, 5)));
  EXPECT_EQ(PixelAt(pWnd, 32 + 3, 5), 0xFFFFFFu);  // no second rendering

  CImgVuDoc* pJpeg = NewDocument();
  ASSERT_EQ(pJpeg->Open(pWnd, Jpeg(ReadBytes(kSwappedProfile)).c_str()), 1);
  EXPECT_EQ(pJpeg->m_pDIB->m_hMatchedBits, nullptr);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(LoadTest, TiffThatCannotBeOpenedLeavesThePreviousImage) {
  std::string path = RgbTiff();
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, path.c_str()), 1);
  CDIB* pDIB = pDoc->m_pDIB;
  CTIFF* pTIFF = pDoc->m_pTIFF;
  std::filesystem::remove(path);
  EXPECT_EQ(pDoc->Open(nullptr, path.c_str()), 0);
  EXPECT_EQ(pDoc->m_pDIB, pDIB);
  EXPECT_EQ(pDoc->m_pTIFF, pTIFF);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(LoadTest, TiffThatCannotBeReadLeavesNoBitmap) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  // An empty file and one of version 43.
  const std::vector<Bytes> files = {{}, {'I', 'I', 43, 0, 8, 0, 0, 0}};
  for (const Bytes& file : files) {
    m_person.messages.clear();
    WriteBytes(Path("bad.tif"), file);
    CImgVuDoc* pBad = NewDocument();
    EXPECT_EQ(pBad->Open(pWnd, Path("bad.tif").c_str()), 0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Failed in reading TIFF file"});
    EXPECT_EQ(pBad->m_pDIB, nullptr);
    EXPECT_EQ(pBad->m_pTIFF, nullptr);
    pWnd->m_pInstance->document = pBad;
    Repaint(pWnd);
    EXPECT_EQ(PixelAt(pWnd, 3, 3), 0xFFFFFFu);  // no placeholder drawn
  }
}

TEST_F(LoadTest, TiffThatCannotBeConvertedLeavesNoBitmap) {
  // PackBits is refused when the first strip is read.
  std::string path = Path("packed.tif");
  std::filesystem::copy_file(
      DataFile("tiff/out-of-scope/image-tiff/seq/seq-1c-8b-packbits-20f3db0c.tiff"), path);
  CImgVuDoc* pDoc = NewDocument();
  EXPECT_EQ(pDoc->Open(nullptr, path.c_str()), 0);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Failed in TIFF2DIB conversion"});
  EXPECT_EQ(m_person.messages[0].caption, "Plug-in");
  EXPECT_EQ(m_person.messages[0].style, 0u);
  EXPECT_EQ(pDoc->m_pDIB, nullptr);
  EXPECT_EQ(pDoc->m_pTIFF, nullptr);
}

TEST_F(LoadTest, PaletteThatCannotBeMadeLeavesTheBitmapTheRightWayUp) {
  WritePaletteTiff(Path("map.tif"), 6, 4, [](int, int y) { return uint8_t(y == 0 ? 1 : 2); });
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);

  // With the GDI object table full no palette can be made.
  LOGPALETTE logPalette{0x300, 1, {{0, 0, 0, 0}}};
  std::vector<HPALETTE> filler;
  while (HPALETTE hPalette = CreatePalette(&logPalette)) filler.push_back(hPalette);
  int nResult = pDoc->Open(pWnd, Path("map.tif").c_str());
  for (HPALETTE hPalette : filler) DeleteObject(hPalette);

  EXPECT_EQ(nResult, 0);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Failed to create palette from DIB file"});
  EXPECT_EQ(pDoc->m_pImagePalette, nullptr);
  ASSERT_NE(pDoc->m_pDIB, nullptr);
  EXPECT_NE(pDoc->m_pTIFF, nullptr);
  Repaint(pWnd);
  EXPECT_EQ(PixelAt(pWnd, 2, 0), 0xFF0000u);
  EXPECT_EQ(PixelAt(pWnd, 2, 3), 0x0000FFu);
}

// ----- JPEG -----------------------------------------------------------------------

TEST_F(LoadTest, JpegOnATrueColourDisplayIsDrawnWithTwentyFourBitsAndNoPalette) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  ASSERT_EQ(pDoc->Open(pWnd, Jpeg().c_str()), 1);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 24);
  EXPECT_EQ(pDoc->m_pDIB->m_pPalette, nullptr);
  EXPECT_EQ(pDoc->m_pImagePalette, nullptr);
  EXPECT_TRUE(Near(PixelAt(pWnd, 3, 0), ToPixel(Halves(3, 0)), 4));
  EXPECT_TRUE(Near(PixelAt(pWnd, 28, 23), ToPixel(Halves(28, 23)), 4));
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(LoadTest, JpegOnAPaletteDisplayIsBroughtToEightBitsWithAPaletteInTheBitmap) {
  platform::SetScreen(1024, 768, 8);
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, Jpeg().c_str()), 1);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hBits), EightBitBytes(pDoc->m_pDIB));
  ASSERT_NE(pDoc->m_pDIB->m_pPalette, nullptr);
  EXPECT_TRUE(PaletteIsColourTable(pDoc->m_pDIB->m_pPalette, pDoc->m_pDIB));
  EXPECT_EQ(pDoc->m_pImagePalette, nullptr);
}

TEST_F(LoadTest, MatchedJpegOnAPaletteDisplayHasBothBlocksAtEightBits) {
  platform::SetScreen(1024, 768, 8);
  CImgVuDoc* pDoc = ShowFullPage(Jpeg(ReadBytes(kSwappedProfile)));
  ASSERT_NE(pDoc->m_pDIB->m_hMatchedBits, nullptr);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hBits), EightBitBytes(pDoc->m_pDIB));
  EXPECT_EQ(BlockBytes(pDoc->m_pDIB->m_hMatchedBits), EightBitBytes(pDoc->m_pDIB));
  ASSERT_NE(pDoc->m_pDIB->m_pPalette, nullptr);
  EXPECT_TRUE(PaletteIsColourTable(pDoc->m_pDIB->m_pPalette, pDoc->m_pDIB));
}

TEST_F(LoadTest, JpegThatCannotBeDecodedLeavesNoBitmap) {
  for (const char* name :
       {"jpeg/malformed/jpeg-decoder/empty.jpg", "jpeg/malformed/jpeg-decoder/missing-sof.jpg"}) {
    m_person.messages.clear();
    std::filesystem::copy_file(DataFile(name), Path("broken.jpg"),
                               std::filesystem::copy_options::overwrite_existing);
    CImgVuDoc* pDoc = NewDocument();
    EXPECT_EQ(pDoc->Open(nullptr, Path("broken.jpg").c_str()), 0) << name;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Failed in converting to DIB file"}) << name;
    EXPECT_EQ(pDoc->m_pDIB, nullptr);
    EXPECT_EQ(pDoc->m_pJPG, nullptr);
  }
}

TEST_F(LoadTest, JpegThatCannotBeOpenedIsReportedAsNotConverted) {
  CImgVuDoc* pDoc = NewDocument();
  EXPECT_EQ(pDoc->Open(nullptr, Path("absent.jpg").c_str()), 0);
  std::vector<std::string> texts = MessageTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "Failed in converting to DIB file");
  EXPECT_EQ(pDoc->m_pDIB, nullptr);
}

TEST_F(LoadTest, OutOfMemoryEndsTheLoadQuietly) {
  // The bitmap's first block cannot be had: the document stays empty and Open
  // returns, nothing thrown past it.
  std::string path = RgbTiff();
  CImgVuDoc* pDoc = NewDocument();
  platform::faults::FailNthGlobalAlloc(1);
  EXPECT_EQ(pDoc->Open(nullptr, path.c_str()), 0);
  platform::faults::FailNthGlobalAlloc(0);
  EXPECT_EQ(pDoc->m_pDIB, nullptr);
  EXPECT_EQ(pDoc->Open(nullptr, path.c_str()), 1);
}

// On a palette display every allocation of a matched load may fail in turn: the one
// header still describes the decoded pixels, and the matched ones are not reduced
// while the decoded ones are not.
TEST_F(LoadTest, FailedReductionLeavesTheHeaderDescribingBothBlocks) {
  platform::SetScreen(1024, 768, 8);
  m_nMode = 2;
  Bytes profile = ReadBytes(kSwappedProfile);
  for (const std::string& path : {RgbTiff(profile), Jpeg(profile)}) {
    bool bKeptAtTwentyFour = false;
    for (unsigned long n = 1; n <= 40; ++n) {
      CImgVuDoc* pDoc = NewDocument();
      ChooseMonitor("sRGB");
      platform::faults::FailNthGlobalAlloc(n);
      pDoc->Open(nullptr, path.c_str());
      platform::faults::FailNthGlobalAlloc(0);
      if (CDIB* pDIB = pDoc->m_pDIB; pDIB != nullptr && pDIB->m_hMatchedBits != nullptr) {
        size_t nBytes =
            DIBRowBytes(static_cast<WORD>(pDIB->BitCount()), pDIB->Width()) * pDIB->Height();
        EXPECT_EQ(BlockBytes(pDIB->m_hBits), nBytes) << path << " " << n;
        if (pDIB->BitCount() == 24) {
          EXPECT_EQ(BlockBytes(pDIB->m_hMatchedBits), nBytes) << path << " " << n;
          bKeptAtTwentyFour = true;
        }
      }
      DeleteDocument(pDoc);
    }
    EXPECT_TRUE(bKeptAtTwentyFour) << path << ": no failure left the decoded pixels unreduced";
  }
}

}  // namespace
}  // namespace viewertest
