#include <platform/input.h>

#include "windowtesting.h"

namespace {

using namespace windowtesting;
using platform::input::Button;

DWORD g_now = 0;
DWORD FakeNow() { return g_now; }

class InputTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_now = 1000;
    platform::input::SetClock(FakeNow);
  }
  void TearDown() override {
    platform::input::SetClock(nullptr);
    WindowTest::TearDown();
  }

  // A point of the window, in window coordinates, on the screen.
  static POINT At(HWND hwnd, int x, int y) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return {r.left + x, r.top + y};
  }
  static void Press(POINT p, Button button = Button::kLeft, UINT modifiers = 0) {
    platform::input::PointerButton(p, button, true, modifiers);
  }
  static void Release(POINT p, Button button = Button::kLeft, UINT modifiers = 0) {
    platform::input::PointerButton(p, button, false, modifiers);
  }
  // The recorded messages of these kinds.
  static std::vector<Recorded> Only(std::initializer_list<UINT> messages) {
    std::vector<Recorded> kept;
    for (const Recorded& r : Log()) {
      if (std::find(messages.begin(), messages.end(), r.message) != messages.end())
        kept.push_back(r);
    }
    return kept;
  }
  // The WM_VSCROLL codes and positions sent, as "code:pos" words.
  static std::string Scrolls() {
    std::string text;
    for (const Recorded& r : Only({WM_VSCROLL, WM_HSCROLL})) {
      text += (text.empty() ? "" : " ") + std::to_string(LOWORD(r.wParam)) + ":" +
              std::to_string(HIWORD(r.wParam));
    }
    return text;
  }

  // 100 x 150 at (100, 50) with a vertical bar: x 83..99, arrows y 0..16 and
  // 133..149, the track y 17..132. Range 0..99 with a page of 10: the thumb is 11
  // pixels, 105 pixels of travel for positions 0..90. WM_VSCROLL moves the position as
  // an application does.
  HWND ScrollingWindow() {
    HWND hwnd = Top(100, 50, 100, 150, WS_VSCROLL);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    Handlers()[hwnd] = [](HWND h, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_VSCROLL) return std::nullopt;
      const int steps[] = {-1, 1, -10, 10};
      const int code = LOWORD(wParam);
      if (code <= SB_PAGEDOWN) SetScrollPos(h, SB_VERT, GetScrollPos(h, SB_VERT) + steps[code], 1);
      if (code == SB_THUMBPOSITION) SetScrollPos(h, SB_VERT, HIWORD(wParam), TRUE);
      return 0;
    };
    Log().clear();
    return hwnd;
  }
};

TEST_F(InputTest, HitTestingFollowsTheFrameAsItIsDrawn) {
  // Border 1: the vertical bar is x 182..198, y 1..131; the horizontal y 132..148.
  HWND hwnd = Top(100, 50, 200, 150, WS_BORDER | WS_VSCROLL | WS_HSCROLL);
  const struct {
    int x, y;
    LRESULT hit;
  } cases[] = {
      {1, 1, HTCLIENT},     {181, 131, HTCLIENT},   {182, 1, HTVSCROLL},  {198, 131, HTVSCROLL},
      {1, 132, HTHSCROLL},  {181, 148, HTHSCROLL},  {190, 140, HTNOWHERE}, {0, 50, HTBORDER},
      {199, 50, HTBORDER},  {50, 149, HTBORDER},    {-1, 50, HTNOWHERE},  {200, 50, HTNOWHERE},
  };
  for (const auto& c : cases) {
    const POINT p = At(hwnd, c.x, c.y);
    EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), c.hit)
        << "at " << c.x << ", " << c.y;
  }
}

TEST_F(InputTest, ArrowClickScrollsOneLineAndHeldArrowRepeats) {
  HWND hwnd = ScrollingWindow();
  EXPECT_EQ(platform::input::RepeatDelay(), INFINITE);
  Press(At(hwnd, 90, 140));
  Release(At(hwnd, 90, 140));
  EXPECT_EQ(Scrolls(), "1:0 8:0");
  EXPECT_EQ(Only({WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}).size(), 1u);
  Log().clear();

  Press(At(hwnd, 90, 5));
  EXPECT_EQ(platform::input::RepeatDelay(), 200u);
  platform::input::Repeat();
  EXPECT_EQ(platform::input::RepeatDelay(), 50u);
  platform::input::Repeat();
  platform::input::PointerMove(At(hwnd, 40, 5), 0);  // off the arrow: it pauses
  platform::input::Repeat();
  platform::input::PointerMove(At(hwnd, 90, 6), 0);
  platform::input::Repeat();
  Release(At(hwnd, 90, 6));
  EXPECT_EQ(Scrolls(), "0:0 0:0 0:0 0:0 8:0");
  EXPECT_EQ(platform::input::RepeatDelay(), INFINITE);
}

TEST_F(InputTest, HeldTrackPagesUntilTheThumbReachesThePointer) {
  HWND hwnd = ScrollingWindow();
  Press(At(hwnd, 90, 97));
  for (int i = 0; i < 10; ++i) platform::input::Repeat();
  Release(At(hwnd, 90, 97));
  // Position 60 puts the thumb at y 87..97, under the pointer: six pages in all.
  EXPECT_EQ(Scrolls(), "3:0 3:0 3:0 3:0 3:0 3:0 8:0");
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 60);
  Log().clear();
  Press(At(hwnd, 90, 40));
  Release(At(hwnd, 90, 40));
  EXPECT_EQ(Scrolls(), "2:0 8:0");
}

TEST_F(InputTest, DraggedThumbTracksInProportionThenSetsThePosition) {
  HWND hwnd = ScrollingWindow();
  Press(At(hwnd, 90, 22));  // the thumb is y 17..27
  const struct {
    int y;
    int position;
  } moves[] = {{22, 0}, {74, 45}, {75, 45}, {76, 46}, {21, 0}, {300, 90}, {127, 90}, {126, 89}};
  std::string expected;
  int last = 0;
  for (const auto& move : moves) {
    platform::input::PointerMove(At(hwnd, 90, move.y), 0);
    if (move.position != last) expected += "5:" + std::to_string(move.position) + " ";
    last = move.position;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, SB_VERT, &info);
    EXPECT_EQ(info.nTrackPos, move.position) << "at y " << move.y;
    EXPECT_EQ(info.nPos, 0);
  }
  EXPECT_EQ(platform::input::RepeatDelay(), INFINITE);
  // Drawn where the pointer holds it, y 121..131, though the position is still 0: there
  // the trough's alternate pixels are silver too.
  EXPECT_EQ(PixelOf(hwnd, 91, 125), kSilver);
  EXPECT_EQ(PixelOf(hwnd, 92, 125), kSilver);
  Release(At(hwnd, 90, 126));
  EXPECT_EQ(Scrolls(), expected + "4:89 8:0");
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 89);
}

TEST_F(InputTest, WheelGoesToTheWindowUnderThePointerThenToItsParent) {
  HWND top = Top(100, 50, 200, 150);
  HWND child = Child(top, 10, 10, 50, 50);
  Log().clear();
  const POINT p = At(child, 5, 5);
  platform::input::Wheel(p, -240, MK_SHIFT);
  const WPARAM wParam = MAKEWPARAM(MK_SHIFT, -240);
  ExpectSequence({{WM_MOUSEWHEEL, child, wParam, MAKELPARAM(p.x, p.y)},
                  {WM_MOUSEWHEEL, top, wParam, MAKELPARAM(p.x, p.y)}},
                 "wheel");
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wParam), -240);
}

TEST_F(InputTest, ButtonsReachTheWindowUnderThePointerInClientCoordinates) {
  HWND top = Top(100, 50, 200, 150, WS_BORDER);
  HWND older = Child(top, 10, 10, 80, 80, WS_BORDER);
  HWND newer = Child(top, 50, 50, 80, 80, WS_BORDER);  // drawn over the older one
  HWND disabled = Child(newer, 40, 40, 20, 20, WS_DISABLED);
  const struct {
    POINT at;
    Button button;
    bool down;
    UINT modifiers;
    HWND hwnd;
    UINT message;
    WPARAM flags;
    POINT client;
  } cases[] = {
      {At(older, 6, 7), Button::kLeft, true, MK_SHIFT, older, WM_LBUTTONDOWN,
       MK_LBUTTON | MK_SHIFT, {5, 6}},
      {At(newer, 1, 1), Button::kRight, true, 0, newer, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON,
       {0, 0}},
      {At(older, 45, 45), Button::kLeft, false, MK_CONTROL, newer, WM_LBUTTONUP,
       MK_RBUTTON | MK_CONTROL, {4, 4}},
      {At(disabled, 2, 2), Button::kRight, false, 0, newer, WM_RBUTTONUP, 0, {42, 42}},
      {At(top, 180, 20), Button::kMiddle, true, 0, top, WM_MBUTTONDOWN, MK_MBUTTON, {179, 19}},
      {At(top, 180, 20), Button::kMiddle, false, 0, top, WM_MBUTTONUP, 0, {179, 19}},
      {At(top, 0, 20), Button::kLeft, true, 0, top, WM_NCLBUTTONDOWN, HTBORDER, At(top, 0, 20)},
      {At(top, 0, 20), Button::kLeft, false, 0, top, WM_NCLBUTTONUP, HTBORDER, At(top, 0, 20)},
  };
  for (const auto& c : cases) {
    Log().clear();
    platform::input::PointerButton(c.at, c.button, c.down, c.modifiers);
    ExpectSequence({{WM_NCHITTEST, c.hwnd},
                    {c.message, c.hwnd, c.flags, MAKELPARAM(c.client.x, c.client.y)}},
                   MessageName(c.message).c_str());
  }
  platform::input::PointerMove(At(top, 300, 20), 0);  // over no window
  platform::input::PointerMove(At(newer, 3, 4), MK_SHIFT);
  ExpectSequence({{WM_NCHITTEST, newer}, {WM_MOUSEMOVE, newer, MK_SHIFT, MAKELPARAM(2, 3)}},
                 "move");
}

TEST_F(InputTest, SecondPressInTimeAndPlaceIsADoubleClickOnDoubleClickClasses) {
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "InputTestDoubleClicks";
  RegisterClassA(&wc);
  HWND doubles = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
  HWND plain = Top(200, 0, 100, 100);
  const struct {
    HWND hwnd;
    DWORD later;
    int dx;
    Button second;
    UINT expected;
  } cases[] = {
      {doubles, 500, 2, Button::kLeft, WM_LBUTTONDBLCLK},
      {doubles, 10, 0, Button::kRight, WM_RBUTTONDOWN},
      {doubles, 501, 0, Button::kLeft, WM_LBUTTONDOWN},
      {doubles, 10, 3, Button::kLeft, WM_LBUTTONDOWN},
      {plain, 10, 0, Button::kLeft, WM_LBUTTONDOWN},
  };
  for (const auto& c : cases) {
    const POINT p = At(c.hwnd, 20, 20);
    Press(p);
    Release(p);
    g_now += c.later;
    Press({p.x + c.dx, p.y}, c.second);
    Release({p.x + c.dx, p.y}, c.second);
    const std::vector<Recorded> presses =
        Only({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN});
    Log().clear();
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[1].message, c.expected) << MessageName(c.expected);
    g_now += 1000;
  }
  // A third press after a double click starts again.
  const POINT p = At(doubles, 20, 20);
  for (int i = 0; i < 3; ++i) {
    Press(p);
    Release(p);
  }
  const std::vector<Recorded> presses = Only({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
  ASSERT_EQ(presses.size(), 3u);
  EXPECT_EQ(presses[1].message, static_cast<UINT>(WM_LBUTTONDBLCLK));
  EXPECT_EQ(presses[2].message, static_cast<UINT>(WM_LBUTTONDOWN));
  DestroyWindow(doubles);
  UnregisterClassA(wc.lpszClassName, nullptr);
}

TEST_F(InputTest, KeysGoToTheWindowLastPressedAndCloseDestroys) {
  HWND top = Top(0, 0, 200, 150);
  HWND child = Child(top, 10, 10, 50, 50);
  Press(At(child, 5, 5));
  Release(At(child, 5, 5));
  Log().clear();
  platform::input::Key('A', true, MK_SHIFT);
  platform::input::Key('A', false, MK_SHIFT);
  platform::input::Key(VK_DOWN, true, 0);
  ExpectSequence({{WM_KEYDOWN, child, 'A', 1},
                  {WM_CHAR, child, 'A', 1},
                  {WM_KEYUP, child, 'A', static_cast<LPARAM>(0xC0000001)},
                  {WM_KEYDOWN, child, VK_DOWN}},
                 "keys");
  HWND newer = Top(300, 0, 100, 100);  // a new window is the active one
  Log().clear();
  platform::input::Key('1', true, 0);
  ExpectSequence({{WM_KEYDOWN, newer, '1'}, {WM_CHAR, newer, '1'}}, "new window");
  platform::input::Activate(top);
  platform::input::Key(VK_DOWN, true, 0);
  ExpectSequence({{WM_KEYDOWN, child, VK_DOWN}}, "activated again");

  platform::input::Resize(top, 120, 90);
  ExpectSequence({{WM_SIZE, top, SIZE_RESTORED, MAKELPARAM(120, 90)}}, "resize");
  platform::input::Resize(child, 10, 10);  // only top-level windows
  platform::input::Close(top);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
}

}  // namespace
