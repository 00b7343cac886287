#include "windowtesting.h"

#include <thread>

namespace {

using namespace windowtesting;

class MessageTest : public WindowTest {};

TEST_F(MessageTest, SendCallsTheCurrentProcedureAtOnce) {
  HWND hwnd = Quiet(Top(0, 0, 10, 10));
  Handlers()[hwnd] = [](HWND, UINT message, WPARAM wParam,
                        LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_USER) return static_cast<LRESULT>(wParam + lParam);
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 40, 2), 42);
  ExpectSequence({{WM_USER, hwnd, 40, 2}}, "SendMessage");
  EXPECT_EQ(CallWindowProcA(nullptr, hwnd, WM_USER, 0, 0), 0);
}

TEST_F(MessageTest, PostedMessagesComeInOrderThenQuitThenNothing) {
  HWND a = Quiet(Top(0, 0, 10, 10));
  ValidateRect(a, nullptr);
  ASSERT_TRUE(PostMessageA(a, WM_USER, 1, 0));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 1, 2, 0));
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessageA(a, WM_USER, 4, 0));

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  std::vector<WPARAM> order;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    order.push_back(msg.wParam);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(order, (std::vector<WPARAM>{1, 2, 4}));
  ExpectSequence({{WM_USER, a, 1}, {WM_USER, a, 4}},
                 "dispatched");  // the thread message has no window
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, FiltersSelectWindowWithDescendantsAndRange) {
  HWND a = Top(0, 0, 10, 10);
  HWND child = Child(a, 0, 0, 5, 5);
  HWND b = Top(0, 0, 10, 10);
  for (HWND hwnd : {a, child, b}) ValidateRect(hwnd, nullptr);
  PostMessageA(b, WM_USER, 1, 0);
  PostMessageA(child, WM_USER + 5, 2, 0);
  PostMessageA(a, WM_USER, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);  // the child's, first for a and its descendants
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, MessagesPostedToADestroyedWindowAreDropped) {
  HWND a = Top(0, 0, 10, 10);
  HWND b = Top(0, 0, 10, 10);
  ValidateRect(b, nullptr);
  PostMessageA(a, WM_USER, 1, 0);
  PostMessageA(b, WM_USER, 2, 0);
  DestroyWindow(a);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, b);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  msg.hwnd = a;
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(GetMessageA(&msg, a, 0, 0), -1);
}

TEST_F(MessageTest, PaintIsMadeForInvalidWindowsUntilValidated) {
  HWND a = Top(0, 0, 20, 20);
  HWND child = Child(a, 0, 0, 10, 10);
  ValidateRect(a, nullptr);
  ValidateRect(child, nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  RECT r{0, 0, 5, 5};
  InvalidateRect(child, &r, FALSE);
  PostMessageA(a, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));  // posted messages first
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(msg.hwnd, child);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, child);  // still there: PM_REMOVE does not validate
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  Log().clear();
  DispatchMessageA(&msg);  // DefWindowProcA paints, which validates
  ExpectSequence({{WM_PAINT, child}}, "dispatched paint");
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, GetMessageWaitsForAPostFromAnotherThread) {
  HWND hwnd = Top(0, 0, 10, 10);
  ValidateRect(hwnd, nullptr);
  std::thread poster([hwnd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(hwnd, WM_USER, 7, 0);
  });
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  poster.join();
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessageTest, DefaultProcedureStoresTextAndClosesByDestroying) {
  HWND hwnd = Quiet(Top(0, 0, 10, 10));
  EXPECT_EQ(DefWindowProcA(hwnd, WM_USER, 0, 0), 0);
  EXPECT_EQ(DefWindowProcA(hwnd, WM_NCCREATE, 0, 0), TRUE);
  EXPECT_EQ(SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc")), TRUE);
  char text[8];
  GetWindowTextA(hwnd, text, sizeof text);
  EXPECT_STREQ(text, "abc");
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  ExpectSequence({{WM_SETTEXT, hwnd}, {WM_CLOSE, hwnd}, {WM_DESTROY, hwnd}, {WM_NCDESTROY, hwnd}},
                 "WM_CLOSE");
}

// The browser's procedure of a window that a plug-in subclasses at the Win32 level.
LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC g_previous = nullptr;

LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message | 0x10000, wParam, lParam});
  if (message == WM_LBUTTONDOWN) return 0;  // consumed
  return CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
}

TEST_F(MessageTest, SubclassSeesMessagesFirstAndPassesThemOn) {
  HWND hwnd = Quiet(Top(0, 0, 10, 10));
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
  EXPECT_EQ(g_previous, RecordingProc);
  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
  ExpectSequence({{WM_RBUTTONDOWN | 0x10000, hwnd},
                  {WM_RBUTTONDOWN, hwnd, MK_RBUTTON, MAKELPARAM(3, 4)},
                  {WM_LBUTTONDOWN | 0x10000, hwnd}},
                 "subclassed");
  SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  SendMessageA(hwnd, WM_USER, 0, 0);
  ExpectSequence({{WM_USER, hwnd}}, "restored");
}

}  // namespace
