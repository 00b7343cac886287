#include <afxwin.h>
#include <platform/windows_system.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the browser's own window procedure and the handlers saw, in order.
std::vector<std::string> g_events;

std::string Event(const char* who, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return std::string(who) + " " + std::to_string(message) + " " + std::to_string(wParam) + " " +
         std::to_string(lParam);
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_events.push_back(Event("browser", message, wParam, lParam));
  if (message == WM_USER + 3) return 77;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class CBaseWnd : public CWnd {
 public:
  std::vector<std::string> calls;

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    paintRect = dc.m_ps.rcPaint;
    calls.push_back("base paint");
  }
  afx_msg void OnLButtonDown(UINT, CPoint) { calls.push_back("base left"); }
  afx_msg void OnOpen() { calls.push_back("base open"); }

 public:
  RECT paintRect{};

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_LBUTTONDOWN()
  ON_COMMAND(1000, OnOpen)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
 public:
  CWnd* paletteFrom = nullptr;
  CScrollBar* scrollBar = reinterpret_cast<CScrollBar*>(1);
  LRESULT defaultResult = -1;

 protected:
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point) {
    calls.push_back("left " + std::to_string(nFlags) + " " + std::to_string(point.x) + "," +
                    std::to_string(point.y));
  }
  // Passes the click on first, with a message of its own sent in between.
  afx_msg void OnRButtonDown(UINT, CPoint) {
    SendMessage(WM_USER + 2, 5, 6);
    Default();
    calls.push_back("right");
  }
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    calls.push_back("hscroll " + std::to_string(nSBCode) + " " + std::to_string(nPos));
    scrollBar = pScrollBar;
  }
  afx_msg void OnPaletteChanged(CWnd* pFocusWnd) {
    paletteFrom = pFocusWnd;
    calls.push_back(pFocusWnd == this ? "palette self" : "palette other");
  }
  afx_msg void OnDestroy() {
    calls.push_back("destroy");
    Default();
  }
  afx_msg void OnListDblClk() { calls.push_back("list dblclk"); }
  afx_msg void OnOk() { calls.push_back("ok"); }
  afx_msg LRESULT OnUser(WPARAM wParam, LPARAM lParam) {
    defaultResult = Default();
    return static_cast<LRESULT>(wParam * 100 + lParam);
  }
  afx_msg LRESULT OnThrow(WPARAM, LPARAM) { throw new CException; }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_WM_LBUTTONDOWN()
  ON_WM_RBUTTONDOWN()
  ON_WM_HSCROLL()
  ON_WM_PALETTECHANGED()
  ON_WM_DESTROY()
  ON_WM_SIZE()
  ON_LBN_DBLCLK(1001, OnListDblClk)
  ON_BN_CLICKED(IDOK, OnOk)
  ON_MESSAGE(WM_USER, OnUser)
  ON_MESSAGE(WM_USER + 9, OnThrow)
END_MESSAGE_MAP()

// Paints a picture the way a viewer does: a paint context to validate, a window
// context to draw, then the message passed on; scrolls by moving the pixels.
class CPictureWnd : public CWnd {
 public:
  int hPos = 0;
  std::vector<std::string> calls;

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CDC* pDC = GetDC();
    RECT band{50 - hPos, 0, 60 - hPos, 1000};  // the picture: a black band
    FillRect(pDC->m_hDC, &band, reinterpret_cast<HBRUSH>(COLOR_WINDOWTEXT + 1));
    ReleaseDC(pDC);
    calls.push_back("paint");
    Default();
  }
  afx_msg LRESULT OnEraseBkgnd(WPARAM, LPARAM) {
    calls.push_back("erase");
    return Default();
  }
  afx_msg void OnHScroll(UINT nSBCode, UINT, CScrollBar*) {
    int pos = nSBCode == SB_LINERIGHT ? std::min(hPos + 5, 100) : hPos;
    if (pos == hPos) return;
    int old = hPos;
    hPos = pos;
    ScrollWindowEx(old - pos, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    UpdateWindow();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, hPos, 0};
    SetScrollInfo(SB_HORZ, &info, TRUE);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPictureWnd, CWnd)
  ON_WM_PAINT()
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
  ON_WM_HSCROLL()
END_MESSAGE_MAP()

// Made with CreateEx: its map sees WM_CREATE, where it makes a child the same way.
class CCreatedWnd : public CWnd {
 public:
  std::vector<std::string> calls;
  CWnd* child = nullptr;
  BOOL childCreated = FALSE;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct) {
    calls.push_back(std::string("create ") + lpCreateStruct->lpszName);
    if (child != nullptr) {
      childCreated = child->CreateEx(0, lpCreateStruct->lpszClass, "inner", WS_CHILD, 0, 0, 5, 5,
                                     m_hWnd, nullptr);
    }
    return CWnd::OnCreate(lpCreateStruct);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreatedWnd, CWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

class CWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    m_className = "BrowserWindow" + std::to_string(++serial);
    WNDCLASSA wc{};
    wc.lpfnWndProc = BrowserProc;
    wc.lpszClassName = m_className.c_str();
    ASSERT_NE(RegisterClassA(&wc), 0);
    m_top = CreateWindowExA(0, m_className.c_str(), "browser", WS_OVERLAPPED, 0, 0, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    m_hwnd = CreateWindowExA(0, m_className.c_str(), "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100,
                             m_top, nullptr, nullptr, nullptr);
    ASSERT_NE(m_hwnd, nullptr);
    ValidateRect(m_top, nullptr);
    ValidateRect(m_hwnd, nullptr);
    g_events.clear();
  }
  void TearDown() override {
    for (HWND hwnd : platform::TopLevelWindows()) DestroyWindow(hwnd);
    UnregisterClassA(m_className.c_str(), nullptr);
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
  }
  std::vector<std::string> TakeEvents() { return std::exchange(g_events, {}); }

  std::string m_className;
  HWND m_top = nullptr;
  HWND m_hwnd = nullptr;
};

TEST_F(CWndTest, SubclassInstallsTheFrameworkProcedureAndKeepsThePrevious) {
  CDerivedWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(m_hwnd));
  EXPECT_EQ(wnd.m_hWnd, m_hwnd);
  EXPECT_EQ(wnd.m_pfnSuper, BrowserProc);
  EXPECT_EQ(wnd.GetSuperWndProcAddr(), &wnd.m_pfnSuper);
  EXPECT_EQ(GetWindowLongA(m_hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(AfxWndProc));
  EXPECT_EQ(CWnd::FromHandlePermanent(m_hwnd), &wnd);
  EXPECT_EQ(CWnd::FromHandle(m_hwnd), &wnd);

  EXPECT_FALSE(wnd.SubclassWindow(m_top));  // already attached
  CWnd other;
  EXPECT_FALSE(other.SubclassWindow(m_hwnd));  // the handle has its object
  EXPECT_FALSE(other.SubclassWindow(nullptr));
  HWND gone = CreateWindowExA(0, m_className.c_str(), "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                              nullptr);
  DestroyWindow(gone);
  EXPECT_FALSE(other.SubclassWindow(gone));
  EXPECT_EQ(other.m_hWnd, nullptr);
  EXPECT_EQ(wnd.Detach(), m_hwnd);
}

TEST_F(CWndTest, MapDispatchFallsBackToTheBaseAndThenToThePreviousProcedure) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  InvalidateRect(m_hwnd, nullptr, FALSE);
  UpdateWindow(m_hwnd);                                                 // the base's OnPaint
  SendMessageA(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7));  // the derived one
  SendMessageA(m_hwnd, WM_COMMAND, 1000, 0);                            // the base's command
  EXPECT_EQ(wnd.calls, (std::vector<std::string>{"base paint", "left 1 -3,7", "base open"}));
  EXPECT_TRUE(TakeEvents().empty());
  RECT update;
  EXPECT_FALSE(GetUpdateRect(m_hwnd, &update, FALSE));  // CPaintDC validated
  EXPECT_EQ(wnd.paintRect.right, 200);

  EXPECT_EQ(SendMessageA(m_hwnd, WM_USER + 3, 1, 2), 77);  // no entry: the browser answers
  SendMessageA(m_hwnd, WM_COMMAND, 999, 0);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_USER + 3, 1, 2),
                                                    Event("browser", WM_COMMAND, 999, 0)}));
  wnd.Detach();
}

TEST_F(CWndTest, DefaultPassesOnTheMessageBeingHandledEvenAfterANestedOne) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  SendMessageA(m_hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 5));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{
                              Event("browser", WM_USER + 2, 5, 6),
                              Event("browser", WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 5))}));
  EXPECT_EQ(wnd.calls.back(), "right");

  EXPECT_EQ(SendMessageA(m_hwnd, WM_USER, 3, 4), 304);
  EXPECT_EQ(wnd.defaultResult, 0);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_USER, 3, 4)}));
  EXPECT_EQ(wnd.Default(), 0);  // outside any message
  EXPECT_TRUE(TakeEvents().empty());
  wnd.Detach();
}

TEST_F(CWndTest, HandlersGetTheirArgumentsUnpacked) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  SendMessageA(m_hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1234), 0);
  EXPECT_EQ(wnd.calls.back(), "hscroll 4 1234");
  EXPECT_EQ(wnd.scrollBar, nullptr);  // a standard bar has no control

  SendMessageA(m_hwnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(m_hwnd), 0);
  EXPECT_EQ(wnd.calls.back(), "palette self");
  SendMessageA(m_hwnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(m_top), 0);
  EXPECT_EQ(wnd.calls.back(), "palette other");
  ASSERT_NE(wnd.paletteFrom, nullptr);
  EXPECT_EQ(wnd.paletteFrom->m_hWnd, m_top);  // a temporary object
  EXPECT_EQ(CWnd::FromHandlePermanent(m_top), nullptr);

  // ON_WM_SIZE without an OnSize of its own: CWnd's passes it on.
  SendMessageA(m_hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(20, 30));
  EXPECT_EQ(
      TakeEvents(),
      (std::vector<std::string>{Event("browser", WM_SIZE, SIZE_RESTORED, MAKELPARAM(20, 30))}));
  wnd.Detach();
}

TEST_F(CWndTest, CommandsMatchTheirNotificationCode) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  HWND list = CreateWindowExA(0, m_className.c_str(), "", WS_CHILD, 0, 0, 5, 5, m_hwnd,
                              reinterpret_cast<HMENU>(1001), nullptr, nullptr);
  TakeEvents();  // the list's own creation
  const LPARAM control = reinterpret_cast<LPARAM>(list);
  EXPECT_EQ(SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(1001, LBN_DBLCLK), control), 1);
  SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), control);  // no entry
  SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), control);
  SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);  // an accelerator is a command
  SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(0, 0), 0);     // id 0 is never a command
  EXPECT_EQ(wnd.calls, (std::vector<std::string>{"list dblclk", "ok", "ok"}));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_COMMAND,
                                                          MAKEWPARAM(1001, LBN_SELCHANGE), control),
                                                    Event("browser", WM_COMMAND, 0, 0)}));
  wnd.Detach();
}

TEST_F(CWndTest, PluginTeardownPutsTheBrowserProcedureBackAndKeepsTheWindow) {
  auto* wnd = new CDerivedWnd;
  ASSERT_TRUE(wnd->SubclassWindow(m_hwnd));
  SetWindowLongA(m_hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(*wnd->GetSuperWndProcAddr()));
  EXPECT_EQ(wnd->Detach(), m_hwnd);
  delete wnd;
  EXPECT_TRUE(IsWindow(m_hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(m_hwnd), nullptr);
  SendMessageA(m_hwnd, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_LBUTTONDOWN)}));

  CBaseWnd again;
  ASSERT_TRUE(again.SubclassWindow(m_hwnd));
  EXPECT_EQ(again.UnsubclassWindow(), m_hwnd);
  EXPECT_EQ(GetWindowLongA(m_hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(BrowserProc));
  EXPECT_EQ(again.m_pfnSuper, nullptr);
  EXPECT_EQ(again.UnsubclassWindow(), nullptr);
}

TEST_F(CWndTest, DestroyingTheWindowDetachesAndDeletingAnAttachedObjectDestroysIt) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  DestroyWindow(m_hwnd);
  EXPECT_EQ(wnd.calls, (std::vector<std::string>{"destroy"}));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_DESTROY),
                                                    Event("browser", WM_NCDESTROY)}));
  EXPECT_EQ(wnd.m_hWnd, nullptr);  // CWnd's own WM_NCDESTROY entry, through the chain
  EXPECT_EQ(CWnd::FromHandlePermanent(m_hwnd), nullptr);

  auto* owner = new CWnd;
  ASSERT_TRUE(owner->SubclassWindow(m_top));
  delete owner;
  EXPECT_FALSE(IsWindow(m_top));
}

TEST_F(CWndTest, AFrameworkExceptionStopsAtTheWindowProcedure) {
  CDerivedWnd wnd;
  wnd.SubclassWindow(m_hwnd);
  EXPECT_EQ(SendMessageA(m_hwnd, WM_USER + 9, 0, 0), 0);
  EXPECT_EQ(SendMessageA(m_hwnd, WM_USER, 1, 1), 101);  // the current message was restored
  wnd.Detach();
}

TEST_F(CWndTest, TemporaryObjectsNeverOwnTheirWindow) {
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
  CWnd* temporary = CWnd::FromHandle(m_hwnd);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(temporary->m_hWnd, m_hwnd);
  EXPECT_EQ(CWnd::FromHandle(m_hwnd), temporary);
  EXPECT_EQ(temporary->GetParent()->m_hWnd, m_top);
  CWnd::DeleteTempMap();
  EXPECT_TRUE(IsWindow(m_hwnd));

  CWnd attached;
  EXPECT_TRUE(attached.Attach(m_hwnd));
  EXPECT_FALSE(attached.Attach(m_top));
  EXPECT_EQ(CWnd::FromHandle(m_hwnd), &attached);
  EXPECT_EQ(attached.Detach(), m_hwnd);
  EXPECT_TRUE(IsWindow(m_hwnd));
}

TEST_F(CWndTest, WindowContextsAndWrappersReachTheWindow) {
  CWnd wnd;
  wnd.Attach(m_hwnd);
  CDC* dc = wnd.GetDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc->m_hDC), m_hwnd);
  EXPECT_EQ(dc->GetDeviceCaps(NUMCOLORS), -1);
  EXPECT_EQ(wnd.ReleaseDC(dc), 1);
  {
    CClientDC client(&wnd);
    EXPECT_EQ(WindowFromDC(client.m_hDC), m_hwnd);
    RECT all{0, 0, 500, 500};
    FillRect(client.m_hDC, &all, reinterpret_cast<HBRUSH>(COLOR_WINDOWTEXT + 1));
  }
  EXPECT_EQ(platform::CaptureWindow(m_hwnd)->Pixel(199, 99), 0u);

  wnd.ShowScrollBar(SB_VERT, TRUE);
  CRect client;
  wnd.GetClientRect(client);
  EXPECT_EQ(client.Width(), 183);
  SCROLLINFO info{};
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMax = 50;
  info.nPos = 60;
  EXPECT_TRUE(wnd.SetScrollInfo(SB_VERT, &info));  // the wrapper fills in cbSize
  EXPECT_EQ(wnd.GetScrollPos(SB_VERT), 50);
  EXPECT_TRUE(wnd.GetScrollInfo(SB_VERT, &info, SIF_RANGE));
  EXPECT_EQ(info.nMax, 50);
  CRect rect(0, 0, 10, 10);
  wnd.ClientToScreen(rect);
  EXPECT_EQ(rect, CRect(10, 10, 20, 20));
  EXPECT_EQ(wnd.ScrollWindowEx(0, 1, nullptr, nullptr, reinterpret_cast<CRgn*>(&info), nullptr, 0),
            ERROR);
  wnd.Detach();
}

TEST_F(CWndTest, ViewerPaintsThroughBothContextsAndScrollsByMovingPixels) {
  CPictureWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(m_hwnd));
  wnd.SetScrollRange(SB_HORZ, 0, 100);
  wnd.ShowScrollBar(SB_HORZ);
  TakeEvents();
  wnd.InvalidateRect(nullptr, TRUE);
  wnd.UpdateWindow();
  // The erase is nested in the paint; each Default passes on its own message.
  EXPECT_EQ(wnd.calls, (std::vector<std::string>{"erase", "paint"}));
  std::vector<std::string> events = TakeEvents();
  ASSERT_EQ(events.size(), 2u);
  const std::string erase = "browser " + std::to_string(WM_ERASEBKGND) + " ";  // wParam: the DC
  EXPECT_EQ(events[0].compare(0, erase.size(), erase), 0) << events[0];
  EXPECT_EQ(events[1], Event("browser", WM_PAINT));
  auto shot = platform::CaptureWindow(m_hwnd);
  EXPECT_EQ(shot->Pixel(50, 40), 0u);  // the browser's paint did not wipe the picture
  EXPECT_EQ(shot->Pixel(49, 40), 0xFFFFFFu);

  SendMessageA(m_hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(wnd.GetScrollPos(SB_HORZ), 5);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Event("browser", WM_PAINT)}));
  shot = platform::CaptureWindow(m_hwnd);
  EXPECT_EQ(shot->Pixel(45, 40), 0u);
  EXPECT_EQ(shot->Pixel(54, 40), 0u);
  EXPECT_EQ(shot->Pixel(55, 40), 0xFFFFFFu);
  wnd.Detach();
}

TEST_F(CWndTest, CreateExAttachesBeforeTheFirstMessageAndNests) {
  CCreatedWnd outer;
  CCreatedWnd inner;
  outer.child = &inner;
  ASSERT_TRUE(outer.CreateEx(0, m_className.c_str(), "outer", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                             nullptr));
  EXPECT_EQ(outer.calls, std::vector<std::string>{"create outer"});
  EXPECT_EQ(inner.calls, std::vector<std::string>{"create inner"});
  EXPECT_TRUE(outer.childCreated);
  EXPECT_EQ(outer.m_pfnSuper, BrowserProc);
  EXPECT_EQ(CWnd::FromHandlePermanent(inner.m_hWnd), &inner);
  EXPECT_EQ(::GetParent(inner.m_hWnd), outer.m_hWnd);
  // The class's procedure saw every message the map passed on, WM_NCCREATE first.
  std::vector<std::string> events = TakeEvents();
  ASSERT_FALSE(events.empty());
  const std::string ncCreate = "browser " + std::to_string(WM_NCCREATE) + " ";
  EXPECT_EQ(events.front().compare(0, ncCreate.size(), ncCreate), 0) << events.front();

  EXPECT_FALSE(outer.CreateEx(0, m_className.c_str(), "again", 0, 0, 0, 5, 5, nullptr, nullptr));
  CCreatedWnd lost;
  EXPECT_FALSE(lost.CreateEx(0, "NoSuchClass", "x", 0, 0, 0, 5, 5, nullptr, nullptr));
  EXPECT_EQ(lost.m_hWnd, nullptr);
  HWND plain = CreateWindowExA(0, m_className.c_str(), "plain", 0, 0, 0, 5, 5, nullptr, nullptr,
                               nullptr, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);  // no hook is left behind

  EXPECT_TRUE(outer.DestroyWindow());
  EXPECT_EQ(outer.m_hWnd, nullptr);
  EXPECT_EQ(inner.m_hWnd, nullptr);
}

TEST_F(CWndTest, DestroyWindowThroughATemporaryLetsGoOfTheHandle) {
  CWnd* temporary = CWnd::FromHandle(m_hwnd);
  EXPECT_TRUE(temporary->DestroyWindow());
  EXPECT_EQ(temporary->m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(m_hwnd));
  CWnd empty;
  EXPECT_FALSE(empty.DestroyWindow());
}

}  // namespace
