// The window: scroll ranges and bars set by Show, the scroll steps, painting at the
// offsets, palette changes and the left button.
#include "viewer_fixture.h"

#include "bitmap/Dib.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace viewertest {
namespace {

class WindowTest : public ViewerTest {
 protected:
  // A document showing a nWidth x nHeight WherePixel TIFF in a window of the client
  // size given.
  CImgVuWnd* Showing(int nWidth, int nHeight, int nClientWidth, int nClientHeight) {
    std::string path = Path("picture.tif");
    WriteRgbTiff(path, nWidth, nHeight, WherePixel);
    CImgVuDoc* pDoc = NewDocument();
    CImgVuWnd* pWnd = NewWindow(pDoc, nClientWidth, nClientHeight);
    EXPECT_EQ(pDoc->Open(pWnd, path.c_str()), 1);
    return pWnd;
  }
};

TEST_F(WindowTest, PictureThatFitsNeedsNoBars) {
  CImgVuWnd* pWnd = Showing(300, 200, 400, 300);
  EXPECT_EQ(pWnd->m_nHScrollMax, 0);
  EXPECT_EQ(pWnd->m_nVScrollMax, 0);
  EXPECT_FALSE(BarShown(pWnd, SB_HORZ));
  EXPECT_FALSE(BarShown(pWnd, SB_VERT));
  Scroll(pWnd, WM_HSCROLL, SB_LINERIGHT);
  Scroll(pWnd, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(pWnd->m_nHScrollPos, 0);
  EXPECT_EQ(pWnd->m_nVScrollPos, 0);
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(0, 0)));
  EXPECT_EQ(PixelAt(pWnd, 299, 199), ToPixel(WherePixel(299, 199)));
}

TEST_F(WindowTest, FullPageDoublesTheWidthAndShowsOnlyTheHorizontalBar) {
  m_nMode = 2;
  CImgVuWnd* pWnd = Showing(300, 200, 500, 300);
  EXPECT_EQ(pWnd->m_nHScrollMax, 100);
  EXPECT_EQ(pWnd->m_nVScrollMax, 0);
  EXPECT_TRUE(BarShown(pWnd, SB_HORZ));
  EXPECT_FALSE(BarShown(pWnd, SB_VERT));
  int nMin = -1, nMax = -1;
  GetScrollRange(pWnd->m_hWnd, SB_HORZ, &nMin, &nMax);
  EXPECT_EQ(nMin, 0);
  EXPECT_EQ(nMax, 100);
}

TEST_F(WindowTest, StepsAreClampedToTheRange) {
  m_nMode = 2;
  CImgVuWnd* pWnd = Showing(300, 200, 500, 300);
  Scroll(pWnd, WM_HSCROLL, SB_THUMBPOSITION, 98);
  ASSERT_EQ(pWnd->m_nHScrollPos, 98);
  Scroll(pWnd, WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(pWnd->m_nHScrollPos, 100);
  EXPECT_EQ(GetScrollPos(pWnd->m_hWnd, SB_HORZ), 100);
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(100, 0)));

  // Nothing to do at the end: no scrolling, nothing to repaint.
  ValidateRect(pWnd->m_hWnd, nullptr);
  Scroll(pWnd, WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(pWnd->m_nHScrollPos, 100);
  EXPECT_FALSE(NeedsPaint(pWnd));

  Scroll(pWnd, WM_HSCROLL, SB_THUMBPOSITION, 30);
  Scroll(pWnd, WM_HSCROLL, SB_PAGELEFT);
  EXPECT_EQ(pWnd->m_nHScrollPos, 0);
  EXPECT_EQ(GetScrollPos(pWnd->m_hWnd, SB_HORZ), 0);
  Scroll(pWnd, WM_HSCROLL, SB_PAGERIGHT);
  EXPECT_EQ(pWnd->m_nHScrollPos, 50);
  Scroll(pWnd, WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(pWnd->m_nHScrollPos, 45);
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(45, 0)));
  EXPECT_EQ(PixelAt(pWnd, 254, 7), ToPixel(WherePixel(299, 7)));
}

TEST_F(WindowTest, ThumbMovesThePictureOnlyWhenReleased) {
  m_nMode = 2;
  CImgVuWnd* pWnd = Showing(300, 200, 500, 300);
  for (UINT nCode : {UINT{SB_THUMBTRACK}, UINT{SB_TOP}, UINT{SB_BOTTOM}, UINT{SB_ENDSCROLL}}) {
    Scroll(pWnd, WM_HSCROLL, nCode, 40);
    EXPECT_EQ(pWnd->m_nHScrollPos, 0) << nCode;
  }
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(0, 0)));
  Scroll(pWnd, WM_HSCROLL, SB_THUMBPOSITION, 40);
  EXPECT_EQ(pWnd->m_nHScrollPos, 40);
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(40, 0)));
  // A thumb beyond the range is held at its end.
  Scroll(pWnd, WM_HSCROLL, SB_THUMBPOSITION, 5000);
  EXPECT_EQ(pWnd->m_nHScrollPos, 100);
}

TEST_F(WindowTest, VerticalStepsShowLaterRowsAtTheTop) {
  CImgVuWnd* pWnd = Showing(60, 400, 100, 100);
  EXPECT_EQ(pWnd->m_nVScrollMax, 300);
  EXPECT_TRUE(BarShown(pWnd, SB_VERT));
  EXPECT_FALSE(BarShown(pWnd, SB_HORZ));
  EXPECT_EQ(PixelAt(pWnd, 5, 0), ToPixel(WherePixel(5, 0)));
  Scroll(pWnd, WM_VSCROLL, SB_LINEDOWN);
  Scroll(pWnd, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(pWnd->m_nVScrollPos, 55);
  EXPECT_EQ(GetScrollPos(pWnd->m_hWnd, SB_VERT), 55);
  EXPECT_EQ(PixelAt(pWnd, 5, 0), ToPixel(WherePixel(5, 55)));
  EXPECT_EQ(PixelAt(pWnd, 5, 99), ToPixel(WherePixel(5, 154)));
  Scroll(pWnd, WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(pWnd->m_nVScrollPos, 50);
  Scroll(pWnd, WM_VSCROLL, SB_PAGEUP);
  Scroll(pWnd, WM_VSCROLL, SB_PAGEUP);
  EXPECT_EQ(pWnd->m_nVScrollPos, 0);
  EXPECT_EQ(PixelAt(pWnd, 5, 10), ToPixel(WherePixel(5, 10)));
}

TEST_F(WindowTest, BothBarsWhenThePictureIsLargerBothWays) {
  CImgVuWnd* pWnd = Showing(300, 200, 100, 100);
  EXPECT_EQ(pWnd->m_nHScrollMax, 200);
  EXPECT_EQ(pWnd->m_nVScrollMax, 100);
  EXPECT_TRUE(BarShown(pWnd, SB_HORZ));
  EXPECT_TRUE(BarShown(pWnd, SB_VERT));
}

TEST_F(WindowTest, GrowingUntilThePictureFitsResetsTheOffsetsAndHidesTheBars) {
  CImgVuWnd* pWnd = Showing(300, 200, 100, 100);
  Scroll(pWnd, WM_HSCROLL, SB_THUMBPOSITION, 150);
  Scroll(pWnd, WM_VSCROLL, SB_THUMBPOSITION, 60);
  ASSERT_EQ(pWnd->m_nHScrollPos, 150);
  ASSERT_EQ(pWnd->m_nVScrollPos, 60);

  // Still too small: the offsets are clamped to the new maxima, those of the client
  // area beside the bars (250 - 17 wide, 150 - 17 high).
  Resize(pWnd, 250, 150);
  EXPECT_EQ(pWnd->m_nHScrollMax, 67);
  EXPECT_EQ(pWnd->m_nHScrollPos, 67);
  EXPECT_EQ(pWnd->m_nVScrollPos, 60);

  Resize(pWnd, 400, 300);
  EXPECT_EQ(pWnd->m_nHScrollMax, 0);
  EXPECT_EQ(pWnd->m_nVScrollMax, 0);
  EXPECT_EQ(pWnd->m_nHScrollPos, 0);
  EXPECT_EQ(pWnd->m_nVScrollPos, 0);
  EXPECT_FALSE(BarShown(pWnd, SB_HORZ));
  EXPECT_FALSE(BarShown(pWnd, SB_VERT));
  EXPECT_EQ(PixelAt(pWnd, 0, 0), ToPixel(WherePixel(0, 0)));
}

TEST_F(WindowTest, WindowWithoutAPictureDrawsNothingAndKeepsOffsetsAtZero) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 100, 100);
  Repaint(pWnd);
  Scroll(pWnd, WM_HSCROLL, SB_LINERIGHT);
  Scroll(pWnd, WM_VSCROLL, SB_THUMBPOSITION, 30);
  EXPECT_EQ(pWnd->m_nHScrollPos, 0);
  EXPECT_EQ(pWnd->m_nVScrollPos, 0);
  EXPECT_EQ(PixelAt(pWnd, 10, 10), 0xFFFFFFu);
  EXPECT_FALSE(NeedsPaint(pWnd));

  // A window not linked to a record yet paints as the browser's own.
  pWnd->m_pInstance = nullptr;
  Repaint(pWnd);
  EXPECT_FALSE(NeedsPaint(pWnd));
}

TEST_F(WindowTest, LeftButtonIsConsumed) {
  CImgVuWnd* pWnd = Showing(30, 20, 100, 100);
  ValidateRect(pWnd->m_hWnd, nullptr);
  BrowserMessages().clear();
  EXPECT_EQ(SendMessageA(pWnd->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
  EXPECT_TRUE(BrowserMessages().empty());  // the browser's window never sees the click
  EXPECT_FALSE(NeedsPaint(pWnd));
  EXPECT_TRUE(m_person.messages.empty());

  // What the window has no handler for goes on to the browser's procedure.
  SendMessageA(pWnd->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(BrowserMessages(), std::vector<UINT>{WM_RBUTTONDOWN});
}

class PaletteChangeTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    WritePaletteTiff(Path("palette.tif"), 8, 8, [](int, int) { return uint8_t{1}; });
    WriteBytes(Path("photo.jpg"), EncodeJpeg(8, 8, WherePixel));
  }
};

TEST_F(PaletteChangeTest, ChangeByAnotherWindowRepaintsThisWindow) {
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  CImgVuWnd* pOther = NewWindow(nullptr, 50, 50);
  ASSERT_EQ(pDoc->Open(pWnd, Path("palette.tif").c_str()), 1);
  ASSERT_NE(pDoc->m_pImagePalette, nullptr);

  ValidateRect(pWnd->m_hWnd, nullptr);
  SendMessageA(pWnd->m_hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(pWnd->m_hWnd), 0);
  EXPECT_FALSE(NeedsPaint(pWnd));  // its own change
  SendMessageA(pWnd->m_hWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(pOther->m_hWnd), 0);
  EXPECT_TRUE(NeedsPaint(pWnd));
  EXPECT_EQ(pDoc->RepaintForPalette(pWnd), 1);
  EXPECT_EQ(pDoc->RepaintForPalette(nullptr), 0);
}

// Not only the window of the most recent load: each repaints itself.
TEST_F(PaletteChangeTest, TheWindowRepaintedIsTheOneThatHeardOfTheChange) {
  CImgVuDoc* pFirst = NewDocument();
  CImgVuWnd* pFirstWnd = NewWindow(pFirst, 50, 50);
  ASSERT_EQ(pFirst->Open(pFirstWnd, Path("palette.tif").c_str()), 1);
  CImgVuDoc* pSecond = NewDocument();
  CImgVuWnd* pSecondWnd = NewWindow(pSecond, 50, 50);
  ASSERT_EQ(pSecond->Open(pSecondWnd, Path("palette.tif").c_str()), 1);

  ValidateRect(pFirstWnd->m_hWnd, nullptr);
  ValidateRect(pSecondWnd->m_hWnd, nullptr);
  SendMessageA(pFirstWnd->m_hWnd, WM_PALETTECHANGED, 0, 0);
  EXPECT_TRUE(NeedsPaint(pFirstWnd));
  EXPECT_FALSE(NeedsPaint(pSecondWnd));
}

// A JPEG has a palette to realise only on a palette screen, inside its bitmap.
TEST_F(PaletteChangeTest, DocumentsWithoutAPaletteAreNotRepainted) {
  for (int nDepth : {24, 8}) {
    platform::SetScreen(1024, 768, nDepth);
    CImgVuDoc* pJpeg = NewDocument();
    CImgVuWnd* pJpegWnd = NewWindow(pJpeg, 50, 50);
    ASSERT_EQ(pJpeg->Open(pJpegWnd, Path("photo.jpg").c_str()), 1);
    ValidateRect(pJpegWnd->m_hWnd, nullptr);
    SendMessageA(pJpegWnd->m_hWnd, WM_PALETTECHANGED, 0, 0);
    EXPECT_EQ(NeedsPaint(pJpegWnd), nDepth == 8) << nDepth;
  }
}

TEST_F(PaletteChangeTest, LoadOnAPaletteScreenHasEarlierWindowsRepaintThemselves) {
  platform::SetScreen(1024, 768, 8);
  // Colours outside the static ones, so realising takes free system palette entries.
  WritePaletteTiff(Path("first.tif"), 8, 8, [](int, int) { return uint8_t{1}; },
                   {{0, 0, 0}, {10, 200, 30}});
  WritePaletteTiff(Path("second.tif"), 8, 8, [](int, int) { return uint8_t{1}; },
                   {{0, 0, 0}, {200, 10, 150}});
  CImgVuDoc* pEarlier = NewDocument();
  CImgVuWnd* pEarlierWnd = NewWindow(pEarlier, 50, 50);
  ASSERT_EQ(pEarlier->Open(pEarlierWnd, Path("first.tif").c_str()), 1);
  PaintPending(pEarlierWnd);
  // Its 256 reserved entries took every free one; a new screen frees them again.
  platform::SetScreen(1024, 768, 8);

  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  ValidateRect(pWnd->m_hWnd, nullptr);
  ASSERT_EQ(pDoc->Open(pWnd, Path("second.tif").c_str()), 1);
  // Realising the new palette changed the system palette: the earlier window heard
  // of it and repaints itself; this one ignored its own change.
  EXPECT_TRUE(NeedsPaint(pEarlierWnd));
  EXPECT_FALSE(NeedsPaint(pWnd));
  // Its repaint finds every free entry taken by the new palette, so nothing changes
  // and nobody asks again.
  PaintPending(pEarlierWnd);
  EXPECT_FALSE(NeedsPaint(pWnd));
  EXPECT_EQ(PixelAt(pWnd, 2, 2), 0xC80A96u);
}

}  // namespace
}  // namespace viewertest
