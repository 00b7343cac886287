#include "windowtesting.h"

#include <climits>

namespace {

using namespace windowtesting;

class ScrollBarTest : public WindowTest {
 protected:
  SCROLLINFO Info(HWND hwnd, int bar) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, -1, -1, 99, -1, -1};
    EXPECT_TRUE(GetScrollInfo(hwnd, bar, &info));
    return info;
  }
  bool Shown(HWND hwnd, int bar) {
    return (GetWindowLongA(hwnd, GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
  }
};

TEST_F(ScrollBarTest, BarsStartWithTheRangeZeroToHundred) {
  HWND hwnd = Top(0, 0, 100, 80, WS_VSCROLL);
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO info = Info(hwnd, bar);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 100);
    EXPECT_EQ(info.nPage, 0u);
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(info.nTrackPos, 0);
  }
  int lo = -1, hi = -1;
  EXPECT_TRUE(GetScrollRange(hwnd, SB_VERT, &lo, &hi));
  EXPECT_EQ(hi, 100);
  EXPECT_FALSE(GetScrollRange(hwnd, SB_CTL, &lo, &hi));
  EXPECT_EQ(GetScrollPos(hwnd, SB_BOTH), 0);
}

TEST_F(ScrollBarTest, ShowScrollBarChangesTheClientAreaAndSendsSize) {
  HWND hwnd = Quiet(Top(0, 0, 100, 80));
  ValidateRect(hwnd, nullptr);
  EXPECT_TRUE(ShowScrollBar(hwnd, SB_BOTH, TRUE));
  ExpectSequence({{WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(83, 63)}}, "both shown");
  EXPECT_TRUE(ShowScrollBar(hwnd, SB_HORZ, TRUE));
  ExpectSequence({}, "already shown");
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));  // the client only shrank

  EXPECT_TRUE(ShowScrollBar(hwnd, SB_HORZ, FALSE));
  ExpectSequence({{WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(83, 80)}}, "horizontal hidden");
  ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(RectIs(update, 0, 63, 83, 80)) << Show(update);  // what the bar gave back
  EXPECT_TRUE(Shown(hwnd, SB_VERT));
  EXPECT_FALSE(Shown(hwnd, SB_HORZ));
  EXPECT_FALSE(ShowScrollBar(hwnd, SB_CTL, TRUE));
}

TEST_F(ScrollBarTest, EmptyRangeHidesTheBarAndAScrollableOneShowsIt) {
  HWND hwnd = Quiet(Top(0, 0, 100, 80, WS_VSCROLL));
  EXPECT_TRUE(SetScrollRange(hwnd, SB_VERT, 0, 0, TRUE));
  ExpectSequence({{WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(100, 80)}}, "empty range");
  EXPECT_FALSE(Shown(hwnd, SB_VERT));
  EXPECT_TRUE(SetScrollRange(hwnd, SB_HORZ, 0, 40, TRUE));
  ExpectSequence({{WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(100, 63)}}, "scrollable range");
  EXPECT_TRUE(Shown(hwnd, SB_HORZ));

  // A page change alone never shows a bar; SIF_DISABLENOSCROLL keeps one shown.
  SCROLLINFO page{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 5, 0, 0};
  SetScrollRange(hwnd, SB_VERT, 0, 50, FALSE);
  ShowScrollBar(hwnd, SB_VERT, FALSE);
  SetScrollInfo(hwnd, SB_VERT, &page, TRUE);
  EXPECT_FALSE(Shown(hwnd, SB_VERT));
  SCROLLINFO keep{sizeof(SCROLLINFO), SIF_RANGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
  SetScrollInfo(hwnd, SB_HORZ, &keep, TRUE);
  EXPECT_TRUE(Shown(hwnd, SB_HORZ));
}

TEST_F(ScrollBarTest, PositionIsClampedToTheRangeLessThePage) {
  HWND hwnd = Top(0, 0, 100, 80, WS_VSCROLL);
  SCROLLINFO set{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 95, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_VERT, &set, TRUE), 90);
  EXPECT_EQ(SetScrollPos(hwnd, SB_VERT, -5, TRUE), 90);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 0);
  EXPECT_EQ(SetScrollPos(hwnd, SB_VERT, 1000, TRUE), 0);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 90);

  SCROLLINFO bigPage{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 500, 0, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_VERT, &bigPage, TRUE), 0);
  EXPECT_EQ(Info(hwnd, SB_VERT).nPage, 100u);  // at most the range plus one
  EXPECT_FALSE(Shown(hwnd, SB_VERT));          // nothing left to scroll

  SCROLLINFO range{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, -10, 10, 0, -20, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_HORZ, &range, TRUE), -10);
}

TEST_F(ScrollBarTest, InvalidRangesAndRecordsAreRefused) {
  HWND hwnd = Top(0, 0, 100, 80, WS_VSCROLL);
  SCROLLINFO backwards{sizeof(SCROLLINFO), SIF_RANGE, 10, 5, 0, 0, 0};
  SetScrollInfo(hwnd, SB_VERT, &backwards, FALSE);
  SCROLLINFO info = Info(hwnd, SB_VERT);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 0);
  SCROLLINFO wide{sizeof(SCROLLINFO), SIF_RANGE, INT_MIN, INT_MAX, 0, 0, 0};
  SetScrollInfo(hwnd, SB_VERT, &wide, FALSE);
  EXPECT_EQ(Info(hwnd, SB_VERT).nMax, 0);
  EXPECT_FALSE(SetScrollRange(hwnd, SB_VERT, -2, INT_MAX, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SCROLLBAR_RANGE));

  SCROLLINFO shortRecord{sizeof(SCROLLINFO) - 4, SIF_POS, 0, 0, 0, 5, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_HORZ, &shortRecord, TRUE), 0);
  SCROLLINFO strangeMask{sizeof(SCROLLINFO), 0x100, 0, 0, 0, 5, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_HORZ, &strangeMask, TRUE), 0);
  EXPECT_EQ(SetScrollInfo(hwnd, SB_HORZ, nullptr, TRUE), 0);
  EXPECT_EQ(GetScrollPos(hwnd, SB_HORZ), 0);
  EXPECT_FALSE(GetScrollInfo(hwnd, SB_HORZ, &shortRecord));
  SCROLLINFO noMask{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(GetScrollInfo(hwnd, SB_HORZ, &noMask));
}

class ScrollBarPixelTest : public ScrollBarTest {};

// A 100 x 80 window with a vertical bar: the bar is x 83..99; the up arrow y 0..16,
// the down arrow y 63..79, the track between them 46 pixels long.
TEST_F(ScrollBarPixelTest, VerticalBarShowsArrowsTroughAndThumbAtThePosition) {
  HWND hwnd = Top(0, 0, 100, 80, WS_VSCROLL);
  auto shot = platform::CaptureWindow(hwnd);
  EXPECT_EQ(shot->Pixel(83, 0), kSilver);  // the button's outer light edge
  EXPECT_EQ(shot->Pixel(84, 1), kWhite);
  EXPECT_EQ(shot->Pixel(98, 15), kGrey);
  EXPECT_EQ(shot->Pixel(99, 16), kBlack);
  EXPECT_EQ(shot->Pixel(91, 6), kBlack);  // the arrow's tip
  EXPECT_EQ(shot->Pixel(88, 9), kBlack);  // its base
  EXPECT_EQ(shot->Pixel(87, 9), kSilver);
  EXPECT_EQ(shot->Pixel(91, 72), kBlack);  // the down arrow's tip
  // The thumb at 0 covers y 17..33; the trough alternates white and grey.
  EXPECT_EQ(shot->Pixel(91, 25), kSilver);
  EXPECT_EQ(shot->Pixel(92, 25), kSilver);
  EXPECT_EQ(shot->Pixel(91, 40), kSilver);
  EXPECT_EQ(shot->Pixel(92, 40), kWhite);
  EXPECT_EQ(shot->Pixel(82, 40), kWhite);  // the client area

  SetScrollPos(hwnd, SB_VERT, 100, TRUE);  // the thumb moves to y 46..62
  shot = platform::CaptureWindow(hwnd);
  EXPECT_EQ(shot->Pixel(91, 25), kWhite);
  EXPECT_EQ(shot->Pixel(92, 25), kSilver);
  EXPECT_EQ(shot->Pixel(91, 50), kSilver);
  EXPECT_EQ(shot->Pixel(92, 50), kSilver);
  EXPECT_EQ(shot->Pixel(99, 62), kBlack);  // the thumb's lower edge

  SetScrollPos(hwnd, SB_VERT, 0, FALSE);  // no redraw: the thumb stays drawn
  EXPECT_EQ(PixelOf(hwnd, 92, 50), kSilver);
}

TEST_F(ScrollBarPixelTest, PageSizesTheThumbAndBothBarsMeetAtACorner) {
  HWND hwnd = Top(0, 0, 100, 80, WS_BORDER | WS_HSCROLL | WS_VSCROLL);
  // Border 1: the vertical bar is x 82..98, y 1..61; the horizontal y 62..78.
  SCROLLINFO half{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 99, 50, 0, 0};
  SetScrollInfo(hwnd, SB_HORZ, &half, TRUE);
  auto shot = platform::CaptureWindow(hwnd);
  EXPECT_EQ(shot->Pixel(0, 0), kBlack);
  EXPECT_EQ(shot->Pixel(99, 79), kBlack);
  EXPECT_EQ(shot->Pixel(90, 70), kSilver);  // the corner
  EXPECT_EQ(shot->Pixel(91, 70), kSilver);
  // The horizontal track: x 18..64 (47 pixels); the thumb is half of it, 23 pixels.
  EXPECT_EQ(shot->Pixel(30, 70), kSilver);
  EXPECT_EQ(shot->Pixel(31, 70), kSilver);
  EXPECT_EQ(shot->Pixel(40, 78), kBlack);  // the thumb's lower edge
  EXPECT_EQ(shot->Pixel(50, 70) == kWhite || shot->Pixel(51, 70) == kWhite, true);  // trough
}

TEST_F(ScrollBarPixelTest, BarsOfAChildAreDrawnInItsParent) {
  HWND top = Top(0, 0, 200, 150);
  HWND child = Child(top, 20, 30, 100, 80, WS_VSCROLL);
  auto shot = platform::CaptureWindow(top);
  EXPECT_EQ(shot->Pixel(20 + 91, 30 + 6), kBlack);  // the up arrow's tip
  EXPECT_EQ(platform::CaptureWindow(child)->Pixel(91, 6), kBlack);
}

}  // namespace
