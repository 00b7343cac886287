#include "windowtesting.h"

#include <cstring>

namespace {

using namespace windowtesting;

class WindowClassTest : public WindowTest {};

TEST_F(WindowClassTest, NamesAreUniqueInAnyCaseAndAtomsFindTheClass) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  std::string upper = m_class.Name();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  wc.lpszClassName = upper.c_str();
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  wc.lpszClassName = "WindowTestNoProc";
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(RegisterClassA(nullptr), 0);

  HWND byAtom = CreateWindowExA(0, MAKEINTATOM(m_class.Atom()), "", 0, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
  EXPECT_NE(byAtom, nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchWindowClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowClassTest, ClassWithWindowsCannotBeUnregistered) {
  TestClass other;
  HWND hwnd =
      CreateWindowExA(0, other.Name(), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(UnregisterClassA(other.Name(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassA(other.Name(), nullptr));
  EXPECT_FALSE(UnregisterClassA(other.Name(), nullptr));
}

class CreateWindowTest : public WindowTest {};

// The creation record lives only while the creation messages are handled.
std::vector<void*> g_createParams;

LRESULT CALLBACK CreateParamsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE || message == WM_CREATE) {
    g_createParams.push_back(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
  }
  return RecordingProc(hwnd, message, wParam, lParam);
}

TEST_F(CreateWindowTest, SendsNcCreateCreateAndSizeWithTheCreationParameter) {
  TestClass withParams(CreateParamsProc);
  int param = 0;
  g_createParams.clear();
  HWND hwnd = CreateWindowExA(0, withParams.Name(), "title", WS_BORDER | WS_VSCROLL, 5, 6, 200, 100,
                              nullptr, nullptr, nullptr, &param);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(g_createParams, (std::vector<void*>{&param, &param}));
  // 200 - 2 border - 17 bar, 100 - 2 border.
  ExpectSequence({{WM_NCCREATE, hwnd, 0},
                  {WM_CREATE, hwnd, 0},
                  {WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(181, 98)}},
                 "CreateWindowEx");
  char title[16];
  EXPECT_EQ(GetWindowTextA(hwnd, title, sizeof title), 5);
  EXPECT_STREQ(title, "title");
  DestroyWindow(hwnd);
}

LRESULT CALLBACK RefuseCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  if (message == WM_CREATE) return -1;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK RefuseNcCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  if (message == WM_NCCREATE) return FALSE;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(CreateWindowTest, RefusedCreationReturnsNullAndLeavesNoWindow) {
  for (WNDPROC proc : {RefuseCreate, RefuseNcCreate}) {
    TestClass refusing(proc);
    std::size_t before = platform::TopLevelWindows().size();
    EXPECT_EQ(CreateWindowExA(0, refusing.Name(), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    ASSERT_FALSE(Log().empty());
    HWND gone = Log().front().hwnd;
    EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(platform::TopLevelWindows().size(), before);
    Log().clear();
  }
}

TEST_F(CreateWindowTest, ChildNeedsALiveParent) {
  EXPECT_EQ(CreateWindowExA(0, m_class.Name(), "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
  HWND parent = Top(0, 0, 50, 50);
  DestroyWindow(parent);
  EXPECT_EQ(Child(parent, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(CreateWindowTest, SizesAreClampedAndHugeSurfacesRefused) {
  HWND small = Top(0, 0, -5, -5);
  RECT r;
  ASSERT_TRUE(GetClientRect(small, &r));
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(Top(0, 0, 30000, 30000), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HWND parent = Top(0, 0, 50, 50);
  HWND big = Child(parent, 0, 0, 1 << 30, 1 << 30);
  ASSERT_TRUE(GetClientRect(big, &r));
  EXPECT_EQ(r.right, 32767);
}

class DestroyWindowTest : public WindowTest {};

TEST_F(DestroyWindowTest, DestroyGoesToParentsFirstAndNcDestroyToChildrenFirst) {
  HWND parent = Top(0, 0, 100, 100);
  HWND first = Child(parent, 0, 0, 50, 50);
  HWND grandchild = Child(first, 0, 0, 20, 20);
  HWND second = Child(parent, 50, 50, 50, 50);
  Log().clear();
  EXPECT_TRUE(DestroyWindow(parent));
  ExpectSequence({{WM_DESTROY, parent},
                  {WM_DESTROY, first},
                  {WM_DESTROY, grandchild},
                  {WM_DESTROY, second},
                  {WM_NCDESTROY, grandchild},
                  {WM_NCDESTROY, first},
                  {WM_NCDESTROY, second},
                  {WM_NCDESTROY, parent}},
                 "DestroyWindow");
  for (HWND hwnd : {parent, first, grandchild, second}) EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(DestroyWindowTest, ChildIsGoneFromItsParentAndParentRepaintsItsPlace) {
  HWND parent = Quiet(Top(0, 0, 100, 100));
  HWND child = Child(parent, 10, 10, 30, 30);
  ValidateRect(parent, nullptr);
  ASSERT_EQ(platform::ChildWindows(parent).size(), 1u);
  DestroyWindow(child);
  EXPECT_TRUE(platform::ChildWindows(parent).empty());
  RECT update;
  ASSERT_TRUE(GetUpdateRect(parent, &update, FALSE));
  EXPECT_TRUE(RectIs(update, 10, 10, 40, 40)) << Show(update);
}

TEST_F(DestroyWindowTest, StaleHandlesFailEverywhere) {
  HWND hwnd = Top(0, 0, 100, 100);
  HWND child = Child(hwnd, 0, 0, 10, 10);
  DestroyWindow(hwnd);
  Log().clear();
  for (HWND stale : {hwnd, child, reinterpret_cast<HWND>(0x1234)}) {
    RECT r;
    POINT pt{};
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(SendMessageA(stale, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageA(stale, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongA(stale, GWL_STYLE), 0);
    EXPECT_EQ(SetWindowLongA(stale, GWL_USERDATA, 1), 0);
    EXPECT_FALSE(DestroyWindow(stale));
    EXPECT_FALSE(GetClientRect(stale, &r));
    EXPECT_FALSE(GetWindowRect(stale, &r));
    EXPECT_FALSE(ClientToScreen(stale, &pt));
    EXPECT_FALSE(MoveWindow(stale, 0, 0, 5, 5, TRUE));
    EXPECT_FALSE(InvalidateRect(stale, nullptr, TRUE));
    EXPECT_FALSE(UpdateWindow(stale));
    EXPECT_EQ(GetDC(stale), nullptr);
    EXPECT_EQ(GetParent(stale), nullptr);
    EXPECT_FALSE(ShowScrollBar(stale, SB_VERT, TRUE));
    EXPECT_EQ(ScrollWindowEx(stale, 0, 1, nullptr, nullptr, nullptr, nullptr, 0), ERROR);
    EXPECT_EQ(platform::CaptureWindow(stale), nullptr);
  }
  EXPECT_TRUE(Log().empty()) << Describe(Log());
}

TEST_F(DestroyWindowTest, WindowCannotBeDestroyedTwiceFromItsOwnDestroyMessage) {
  HWND hwnd = Quiet(Top(0, 0, 10, 10));
  BOOL again = TRUE;
  Handlers()[hwnd] = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) again = DestroyWindow(h);
    return std::nullopt;
  };
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(again);
  ExpectSequence({{WM_DESTROY, hwnd}, {WM_NCDESTROY, hwnd}}, "nested DestroyWindow");
}

class FrameTest : public WindowTest {};

TEST_F(FrameTest, ClientAreaIsTheRectangleLessBorderAndShownBars) {
  struct Case {
    DWORD style;
    LONG width, height;
  } cases[] = {{0, 200, 100},
               {WS_BORDER, 198, 98},
               {WS_VSCROLL, 183, 100},
               {WS_HSCROLL, 200, 83},
               {WS_BORDER | WS_HSCROLL | WS_VSCROLL, 181, 81}};
  for (const Case& c : cases) {
    HWND hwnd = Top(0, 0, 200, 100, c.style);
    RECT r;
    ASSERT_TRUE(GetClientRect(hwnd, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, c.width) << std::hex << c.style;
    EXPECT_EQ(r.bottom, c.height) << std::hex << c.style;
  }
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(FrameTest, ResizingSendsSizeAndInvalidatesMovingAChildRepaintsBothPlaces) {
  HWND top = Top(0, 0, 300, 200, WS_BORDER);
  HWND child = Quiet(Child(top, 10, 10, 100, 50));
  ValidateRect(top, nullptr);
  ValidateRect(child, nullptr);

  EXPECT_TRUE(MoveWindow(child, 10, 10, 120, 60, TRUE));
  ExpectSequence({{WM_SIZE, child, SIZE_RESTORED, MAKELPARAM(120, 60)}}, "resize");
  RECT update;
  ASSERT_TRUE(GetUpdateRect(child, &update, FALSE));
  EXPECT_TRUE(RectIs(update, 0, 0, 120, 60)) << Show(update);
  ValidateRect(child, nullptr);
  ValidateRect(top, nullptr);

  EXPECT_TRUE(SetWindowPos(child, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ExpectSequence({}, "move");
  ASSERT_TRUE(GetUpdateRect(child, &update, FALSE));
  ASSERT_TRUE(GetUpdateRect(top, &update, FALSE));
  EXPECT_TRUE(RectIs(update, 10, 10, 130, 70)) << Show(update);  // the old place
  RECT screen;
  GetWindowRect(child, &screen);
  EXPECT_EQ(screen.left, 41);  // 1 for the parent's border
  EXPECT_EQ(screen.top, 31);
}

TEST_F(FrameTest, StyleChangesTakeEffectWithFrameChanged) {
  HWND hwnd = Quiet(Top(0, 0, 100, 100));
  ValidateRect(hwnd, nullptr);
  LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_STYLE, style | WS_BORDER | WS_CHILD), style);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD, 0);  // cannot become a child
  RECT r;
  GetClientRect(hwnd, &r);
  EXPECT_EQ(r.right, 100);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  GetClientRect(hwnd, &r);
  EXPECT_EQ(r.right, 98);
  ExpectSequence({{WM_SIZE, hwnd, SIZE_RESTORED, MAKELPARAM(98, 98)}}, "frame changed");
  RECT update;
  ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));  // the client area moved inside the border
  EXPECT_TRUE(RectIs(update, 0, 0, 98, 98)) << Show(update);
}

class WindowLongTest : public WindowTest {};

LRESULT CALLBACK OtherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 42;
  return RecordingProc(hwnd, message, wParam, lParam);
}

TEST_F(WindowLongTest, WndProcReturnsThePreviousAndMessagesReachTheNewOne) {
  HWND hwnd = Quiet(Top(0, 0, 10, 10));
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(RecordingProc));
  LONG_PTR previous = SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(OtherProc));
  EXPECT_EQ(previous, reinterpret_cast<LONG_PTR>(RecordingProc));
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 42);
  EXPECT_EQ(CallWindowProcA(reinterpret_cast<WNDPROC>(previous), hwnd, WM_USER, 1, 2), 0);
  ExpectSequence({{WM_USER, hwnd, 1, 2}}, "previous procedure");
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_WNDPROC, 0), 0);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(OtherProc));
}

TEST_F(WindowLongTest, UserDataIdAndExtraBytesWithinBounds) {
  TestClass withExtra(RecordingProc, nullptr, 2 * sizeof(LONG_PTR));
  HWND parent = Top(0, 0, 10, 10);
  HWND hwnd = CreateWindowExA(0, withExtra.Name(), "", WS_CHILD, 0, 0, 5, 5, parent,
                              reinterpret_cast<HMENU>(7), nullptr, nullptr);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_ID), 7);
  EXPECT_EQ(GetDlgCtrlID(hwnd), 7);
  EXPECT_EQ(GetDlgItem(parent, 7), hwnd);
  EXPECT_EQ(GetDlgItem(parent, 8), nullptr);
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_USERDATA, -5), 0);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_USERDATA), -5);
  EXPECT_EQ(SetWindowLongA(hwnd, sizeof(LONG_PTR), 99), 0);
  EXPECT_EQ(GetWindowLongA(hwnd, sizeof(LONG_PTR)), 99);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(hwnd, sizeof(LONG_PTR) + 1), 0);  // runs past the bytes
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetWindowLongA(hwnd, -100, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

class WindowTreeTest : public WindowTest {};

TEST_F(WindowTreeTest, ParentsOwnersAndCoordinates) {
  HWND top = Top(100, 50, 300, 200, WS_BORDER);
  HWND child = Child(top, 10, 20, 100, 100, WS_BORDER);
  HWND popup = CreateWindowExA(0, m_class.Name(), "", WS_POPUP, 0, 0, 10, 10, child, nullptr,
                               nullptr, nullptr);
  HWND owned = CreateWindowExA(0, m_class.Name(), "", WS_OVERLAPPED, 0, 0, 10, 10, top, nullptr,
                               nullptr, nullptr);
  EXPECT_EQ(GetParent(child), top);
  EXPECT_EQ(GetParent(popup), top);  // the owner is the child's top-level window
  EXPECT_EQ(GetParent(owned), nullptr);
  EXPECT_EQ(GetParent(top), nullptr);

  POINT pt{0, 0};
  ASSERT_TRUE(ClientToScreen(top, &pt));
  EXPECT_EQ(pt.x, 101);
  EXPECT_EQ(pt.y, 51);
  pt = {5, 6};
  ASSERT_TRUE(ClientToScreen(child, &pt));
  EXPECT_EQ(pt.x, 101 + 10 + 1 + 5);
  EXPECT_EQ(pt.y, 51 + 20 + 1 + 6);
  ASSERT_TRUE(ScreenToClient(child, &pt));
  EXPECT_EQ(pt.x, 5);
  EXPECT_EQ(pt.y, 6);
  RECT r;
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_TRUE(RectIs(r, 111, 71, 211, 171)) << Show(r);
}

TEST_F(WindowTreeTest, FindByClassAndTitleAndTextIsCutToTheBuffer) {
  TestClass other;
  HWND a = Top(0, 0, 10, 10);
  HWND b = CreateWindowExA(0, other.Name(), "Browser", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  HWND inner =
      CreateWindowExA(0, other.Name(), "", WS_CHILD, 0, 0, 5, 5, a, nullptr, nullptr, nullptr);
  EXPECT_EQ(FindWindowA(other.Name(), nullptr), b);
  EXPECT_EQ(FindWindowA(nullptr, "Browser"), b);
  EXPECT_EQ(FindWindowA(m_class.Name(), "Browser"), nullptr);
  EXPECT_EQ(platform::FindWindowOfClass(a, other.Name()), inner);
  EXPECT_EQ(platform::FindWindowOfClass(nullptr, other.Name()), inner);  // a comes first
  EXPECT_EQ(platform::FindWindowOfClass(b, other.Name()), nullptr);      // not b itself

  EXPECT_TRUE(SetWindowTextA(b, "Longer title"));
  char buffer[5];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetWindowTextA(b, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "Long");
  EXPECT_EQ(GetWindowTextA(b, buffer, 0), 0);
  HWND icon = CreateWindowExA(0, other.Name(), MAKEINTATOM(5), 0, 0, 0, 5, 5, nullptr, nullptr,
                              nullptr, nullptr);  // a resource ordinal, not text
  EXPECT_EQ(GetWindowTextLengthA(icon), 0);
  EXPECT_TRUE(SetWindowTextA(icon, MAKEINTATOM(6)));
  EXPECT_EQ(GetWindowTextA(icon, buffer, sizeof buffer), 0);
  EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_SETTEXT));
}

}  // namespace
