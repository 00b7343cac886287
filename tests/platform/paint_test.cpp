#include "testdib.h"
#include "windowtesting.h"

namespace {

using namespace windowtesting;

class PaintTest : public WindowTest {
 protected:
  // A top-level window, valid, with nothing recorded.
  HWND Valid(HWND hwnd) {
    for (HWND h : {hwnd, GetParent(hwnd)}) {
      if (h != nullptr) ValidateRect(h, nullptr);
    }
    return Quiet(hwnd);
  }

  void Fill(HWND hwnd, RECT r, int colour) {
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(FillRect(dc, &r, SysBrush(colour)), 1);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  }
};

TEST_F(PaintTest, InvalidateThenUpdatePaintsOnceWithEraseInsideBeginPaint) {
  HWND hwnd = Valid(Top(0, 0, 100, 80));
  RECT r{10, 10, 20, 20};
  ASSERT_TRUE(InvalidateRect(hwnd, &r, TRUE));
  ASSERT_TRUE(UpdateWindow(hwnd));
  std::vector<Recorded> log = Log();
  ExpectSequence({{WM_PAINT, hwnd, 0, 0}, {WM_ERASEBKGND, hwnd}}, "with erase");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].wParam, 0u);  // the paint DC
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));

  ASSERT_TRUE(InvalidateRect(hwnd, nullptr, FALSE));
  UpdateWindow(hwnd);
  ExpectSequence({{WM_PAINT, hwnd}}, "without erase");

  UpdateWindow(hwnd);
  ExpectSequence({}, "nothing to paint");
}

TEST_F(PaintTest, BeginPaintReportsTheUnionAndWhetherEraseWasLeftUndone) {
  HWND hwnd = Valid(Top(0, 0, 100, 80));
  PAINTSTRUCT seen{};
  Handlers()[hwnd] = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_ERASEBKGND) return 0;  // leaves the erasing to the paint code
    if (message != WM_PAINT) return std::nullopt;
    BeginPaint(h, &seen);
    EndPaint(h, &seen);
    return 0;
  };
  RECT a{10, 10, 20, 20};
  RECT b{50, 5, 60, 15};
  RECT outside{90, 70, 500, 500};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, TRUE);
  InvalidateRect(hwnd, &outside, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(RectIs(seen.rcPaint, 10, 5, 100, 80)) << Show(seen.rcPaint);
  EXPECT_TRUE(seen.fErase);
  EXPECT_NE(seen.hdc, nullptr);
  EXPECT_EQ(WindowFromDC(seen.hdc), nullptr);  // released by EndPaint
}

TEST_F(PaintTest, ValidateRectShrinksOnlyWhenABandIsCovered) {
  HWND hwnd = Valid(Top(0, 0, 100, 80));
  RECT update{0, 0, 100, 40};
  InvalidateRect(hwnd, &update, TRUE);
  RECT middle{40, 10, 60, 20};
  ValidateRect(hwnd, &middle);
  RECT r;
  GetUpdateRect(hwnd, &r, FALSE);
  EXPECT_TRUE(RectIs(r, 0, 0, 100, 40)) << Show(r);
  RECT top{-5, -5, 200, 30};
  ValidateRect(hwnd, &top);
  GetUpdateRect(hwnd, &r, FALSE);
  EXPECT_TRUE(RectIs(r, 0, 30, 100, 40)) << Show(r);
  RECT rest{0, 30, 100, 40};
  ValidateRect(hwnd, &rest);
  EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE));
  UpdateWindow(hwnd);
  ExpectSequence({}, "validated");
}

TEST_F(PaintTest, GetUpdateRectErasesAPendingEraseOnce) {
  HWND hwnd = Valid(Top(0, 0, 30, 30));
  InvalidateRect(hwnd, nullptr, TRUE);
  RECT r;
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, TRUE));
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, TRUE));
  ExpectSequence({{WM_ERASEBKGND, hwnd}}, "GetUpdateRect erase");
  UpdateWindow(hwnd);
  ExpectSequence({{WM_PAINT, hwnd}}, "paint after the erase");
}

TEST_F(PaintTest, InvalidatingAParentRepaintsTheChildrenItCovers) {
  HWND top = Top(0, 0, 100, 100);
  HWND under = Child(top, 10, 10, 20, 20, WS_BORDER);
  HWND away = Child(top, 60, 60, 20, 20);
  for (HWND hwnd : {top, under, away}) ValidateRect(hwnd, nullptr);
  Log().clear();
  RECT r{0, 0, 40, 40};
  InvalidateRect(top, &r, TRUE);
  UpdateWindow(top);
  ExpectSequence({{WM_PAINT, top}, {WM_ERASEBKGND, top}, {WM_PAINT, under}, {WM_ERASEBKGND, under}},
                 "parent then covered child");
  // The parent's erase went over the child's border; the child's paint drew it again.
  EXPECT_EQ(PixelOf(top, 10, 10), kBlack);
  EXPECT_EQ(PixelOf(top, 11, 11), kWhite);
}

TEST_F(PaintTest, EraseFillsOnlyTheUpdateAreaWithTheClassBackground) {
  TestClass teal(RecordingProc, SysBrush(COLOR_BACKGROUND));
  HWND hwnd = CreateWindowExA(0, teal.Name(), "", WS_BORDER, 0, 0, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  ValidateRect(hwnd, nullptr);
  RECT r{5, 5, 10, 10};
  InvalidateRect(hwnd, &r, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(PixelOf(hwnd, 1 + 5, 1 + 5), kTeal);
  EXPECT_EQ(PixelOf(hwnd, 1 + 9, 1 + 9), kTeal);
  EXPECT_EQ(PixelOf(hwnd, 1 + 10, 1 + 9), kWhite);
  EXPECT_EQ(PixelOf(hwnd, 1 + 4, 1 + 5), kWhite);
  EXPECT_EQ(PixelOf(hwnd, 0, 0), kBlack);  // the border
}

TEST_F(PaintTest, GetDcDrawsAtTheChildOffsetClippedToItsClientAndTheParentClient) {
  HWND top = Top(0, 0, 200, 150, WS_BORDER);
  HWND child = Child(top, 30, 40, 50, 30, WS_BORDER);
  HWND corner = Child(top, 180, 140, 50, 30);
  Valid(child);
  Fill(child, {-100, -100, 1000, 1000}, COLOR_BACKGROUND);
  auto shot = platform::CaptureWindow(top);
  EXPECT_EQ(shot->Pixel(1 + 30 + 1, 1 + 40 + 1), kTeal);    // client origin
  EXPECT_EQ(shot->Pixel(1 + 30 + 48, 1 + 40 + 28), kTeal);  // last client pixel
  EXPECT_EQ(shot->Pixel(1 + 30, 1 + 40), kBlack);           // the child's border stays
  EXPECT_EQ(shot->Pixel(1 + 30 + 49, 1 + 40 + 10), kBlack);
  EXPECT_EQ(shot->Pixel(1 + 30 + 50, 1 + 40 + 10), kWhite);  // the parent's own pixels

  Fill(corner, {0, 0, 50, 30}, COLOR_BACKGROUND);
  shot = platform::CaptureWindow(top);
  EXPECT_EQ(shot->Pixel(198, 148), kTeal);
  EXPECT_EQ(shot->Pixel(199, 149), kBlack);  // the parent's border is outside its client
  EXPECT_EQ(shot->Pixel(199, 145), kBlack);

  auto part = platform::CaptureWindow(corner);
  ASSERT_EQ(part->Width(), 50);
  EXPECT_EQ(part->Pixel(0, 0), kTeal);
  EXPECT_EQ(part->Pixel(18, 0), kWhite);  // clipped away by the parent
}

TEST_F(PaintTest, GdiDrawingThroughAWindowDcLandsAtItsOffset) {
  HWND top = Top(0, 0, 100, 100, WS_BORDER);
  HWND child = Child(top, 20, 10, 40, 40);
  TestDib dib(2, 2, 24);
  dib.Set(0, 0, 0xFF0000);
  dib.Set(1, 0, 0x00FF00);
  dib.Set(0, 1, 0x0000FF);
  dib.Set(1, 1, 0xFFFFFF);
  HDC dc = GetDC(child);
  EXPECT_EQ(WindowFromDC(dc), child);
  EXPECT_EQ(
      StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 2, 2, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
      2);
  ReleaseDC(child, dc);
  auto shot = platform::CaptureWindow(top);
  EXPECT_EQ(shot->Pixel(21, 11), 0xFF0000u);
  EXPECT_EQ(shot->Pixel(24, 12), 0x00FF00u);
  EXPECT_EQ(shot->Pixel(22, 14), 0x0000FFu);
}

TEST_F(PaintTest, AHeldDcFollowsTheClientAreaWhenABarAppears) {
  HWND hwnd = Valid(Top(0, 0, 100, 60));
  HDC dc = GetDC(hwnd);
  ShowScrollBar(hwnd, SB_VERT, TRUE);
  RECT all{0, 0, 1000, 1000};
  FillRect(dc, &all, SysBrush(COLOR_BACKGROUND));
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(PixelOf(hwnd, 82, 30), kTeal);
  EXPECT_NE(PixelOf(hwnd, 83, 30), kTeal);  // the bar
}

TEST_F(PaintTest, DcsBelongToTheirWindowAndDieWithIt) {
  HWND top = Top(0, 0, 50, 50);
  HWND child = Child(top, 0, 0, 20, 20);
  HDC dc = GetDC(child);
  EXPECT_EQ(ReleaseDC(top, dc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DC_NOT_FOUND));
  DestroyWindow(child);
  RECT r{0, 0, 5, 5};
  EXPECT_EQ(FillRect(dc, &r, SysBrush(COLOR_WINDOWTEXT)), 0);
  EXPECT_EQ(WindowFromDC(dc), nullptr);
  EXPECT_EQ(ReleaseDC(child, dc), 1);
  EXPECT_EQ(ReleaseDC(child, dc), 0);

  HDC topDc = GetDC(top);
  EXPECT_EQ(FillRect(topDc, &r, nullptr), 0);
  EXPECT_EQ(FillRect(topDc, &r, SysBrush(500)), 0);
  EXPECT_EQ(FillRect(topDc, nullptr, SysBrush(COLOR_WINDOW)), 0);
  DestroyWindow(top);
  EXPECT_EQ(FillRect(topDc, &r, SysBrush(COLOR_WINDOW)), 0);
  EXPECT_EQ(ReleaseDC(top, topDc), 1);
}

class ScrollWindowTest : public PaintTest {
 protected:
  // Rows 0-9 black, 10-19 teal, the rest white.
  HWND Striped(int width, int height) {
    HWND hwnd = Valid(Top(0, 0, width, height));
    Fill(hwnd, {0, 0, width, 10}, COLOR_WINDOWTEXT);
    Fill(hwnd, {0, 10, width, 20}, COLOR_BACKGROUND);
    return hwnd;
  }
};

TEST_F(ScrollWindowTest, UncoveredStripBecomesTheUpdateRegionThenPaints) {
  HWND hwnd = Striped(100, 60);
  RECT update;
  EXPECT_EQ(
      ScrollWindowEx(hwnd, 0, -10, nullptr, nullptr, nullptr, &update, SW_INVALIDATE | SW_ERASE),
      SIMPLEREGION);
  EXPECT_TRUE(RectIs(update, 0, 50, 100, 60)) << Show(update);
  EXPECT_EQ(PixelOf(hwnd, 50, 0), kTeal);  // moved up by 10
  EXPECT_EQ(PixelOf(hwnd, 50, 9), kTeal);
  EXPECT_EQ(PixelOf(hwnd, 50, 10), kWhite);
  RECT region;
  ASSERT_TRUE(GetUpdateRect(hwnd, &region, FALSE));
  EXPECT_TRUE(RectIs(region, 0, 50, 100, 60)) << Show(region);
  ExpectSequence({}, "scrolling sends nothing");
  UpdateWindow(hwnd);
  ExpectSequence({{WM_PAINT, hwnd}, {WM_ERASEBKGND, hwnd}}, "paint after scroll");
}

TEST_F(ScrollWindowTest, RegionKindsAndTheScrollRectangle) {
  HWND hwnd = Striped(100, 60);
  RECT update;
  EXPECT_EQ(ScrollWindowEx(hwnd, 5, 5, nullptr, nullptr, nullptr, &update, 0), COMPLEXREGION);
  EXPECT_TRUE(RectIs(update, 0, 0, 100, 60)) << Show(update);
  EXPECT_EQ(PixelOf(hwnd, 50, 5), kBlack);
  EXPECT_EQ(PixelOf(hwnd, 50, 14), kBlack);
  EXPECT_EQ(PixelOf(hwnd, 50, 15), kTeal);
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));  // no SW_INVALIDATE

  EXPECT_EQ(ScrollWindowEx(hwnd, 0, 0, nullptr, nullptr, nullptr, &update, SW_INVALIDATE),
            NULLREGION);
  EXPECT_TRUE(IsRectEmpty(&update));

  hwnd = Striped(100, 60);
  RECT left{0, 0, 50, 60};
  EXPECT_EQ(ScrollWindowEx(hwnd, 0, -10, &left, nullptr, nullptr, &update, SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_TRUE(RectIs(update, 0, 50, 50, 60)) << Show(update);
  EXPECT_EQ(PixelOf(hwnd, 10, 5), kTeal);
  EXPECT_EQ(PixelOf(hwnd, 60, 5), kBlack);  // outside the scroll rectangle

  hwnd = Striped(100, 60);
  RECT clip{0, 0, 100, 15};
  EXPECT_EQ(ScrollWindowEx(hwnd, 0, 10, nullptr, &clip, nullptr, &update, 0), SIMPLEREGION);
  EXPECT_TRUE(RectIs(update, 0, 0, 100, 10)) << Show(update);
  EXPECT_EQ(PixelOf(hwnd, 50, 12), kBlack);
  EXPECT_EQ(PixelOf(hwnd, 50, 16), kTeal);  // outside the clip: untouched
}

TEST_F(ScrollWindowTest, PendingUpdateMovesWithThePixelsAndBadArgumentsFail) {
  HWND hwnd = Valid(Top(0, 0, 100, 60));
  RECT band{0, 20, 100, 30};
  InvalidateRect(hwnd, &band, FALSE);
  ScrollWindowEx(hwnd, 0, -10, nullptr, nullptr, nullptr, nullptr, 0);
  RECT update;
  GetUpdateRect(hwnd, &update, FALSE);
  EXPECT_TRUE(RectIs(update, 0, 10, 100, 30)) << Show(update);

  EXPECT_EQ(ScrollWindowEx(hwnd, 0, 1, nullptr, nullptr, reinterpret_cast<HRGN>(8), nullptr, 0),
            ERROR);
  EXPECT_EQ(ScrollWindowEx(hwnd, 0, 1, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN),
            ERROR);
  EXPECT_EQ(ScrollWindowEx(hwnd, 0x7FFFFFFF, -0x7FFFFFFF, nullptr, nullptr, nullptr, &update,
                           SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_TRUE(RectIs(update, 0, 0, 100, 60)) << Show(update);
}

TEST_F(ScrollWindowTest, ChildrenInTheScrolledPixelsRepaint) {
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 10, 10, 20, 20);
  Valid(child);
  ScrollWindowEx(top, 0, -5, nullptr, nullptr, nullptr, nullptr, 0);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
}

class PaletteChangeTest : public PaintTest {};

TEST_F(PaletteChangeTest, RealisingOnAWindowDcTellsEveryWindowWhoChangedIt) {
  ASSERT_TRUE(platform::SetScreen(640, 480, 8));
  HWND a = Top(0, 0, 50, 50);
  HWND child = Child(a, 0, 0, 20, 20);
  HWND b = Quiet(Top(0, 0, 50, 50));
  struct {
    WORD version, count;
    PALETTEENTRY entries[2];
  } logical{0x300, 2, {{10, 20, 30, 0}, {200, 100, 50, 0}}};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
  ASSERT_NE(palette, nullptr);
  HDC dc = GetDC(child);
  SelectPalette(dc, palette, FALSE);
  EXPECT_GT(RealizePalette(dc), 0u);
  const WPARAM changer = reinterpret_cast<WPARAM>(child);
  ExpectSequence({{WM_PALETTECHANGED, a, changer},
                  {WM_PALETTECHANGED, child, changer},
                  {WM_PALETTECHANGED, b, changer}},
                 "palette changed");
  EXPECT_EQ(RealizePalette(dc), 0u);
  ExpectSequence({}, "realised again: no change");
  ReleaseDC(child, dc);
  DeleteObject(palette);
}

class CaptureTest : public PaintTest {};

TEST_F(CaptureTest, ScreenShowsTopLevelWindowsAtTheirPlacesLaterOnTop) {
  ASSERT_TRUE(platform::SetScreen(300, 200, 24));
  HWND first = Valid(Top(100, 50, 40, 30));
  HWND second = Valid(Top(120, 60, 40, 30));
  Fill(first, {0, 0, 40, 30}, COLOR_WINDOWTEXT);
  auto screen = platform::CaptureScreen();
  ASSERT_EQ(screen->Width(), 300);
  EXPECT_EQ(screen->Pixel(99, 50), kTeal);  // the desktop
  EXPECT_EQ(screen->Pixel(100, 50), kBlack);
  EXPECT_EQ(screen->Pixel(125, 65), kWhite);  // the second window covers the first
  MoveWindow(second, 280, 190, 40, 30, TRUE);
  screen = platform::CaptureScreen();
  EXPECT_EQ(screen->Pixel(125, 65), kBlack);
  EXPECT_EQ(screen->Pixel(299, 199), kWhite);
}

}  // namespace
