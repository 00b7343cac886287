#include <afxwin.h>
#include <platform/testing.h>
#include <platform/windows_system.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<UINT> g_messages;

LRESULT CALLBACK Recorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_messages.push_back(message);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class CPaintingWnd : public CWnd {
 public:
  std::vector<UINT> seenInPaint;
  PAINTSTRUCT ps{};
  HDC hdc = nullptr;

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    seenInPaint = g_messages;  // the erase came from the constructor
    ps = dc.m_ps;
    hdc = dc.m_hDC;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

class PaintDCTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Recorder;
    wc.lpszClassName = "PaintDCTestWindow";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(0, "PaintDCTestWindow", "", WS_BORDER, 0, 0, 60, 40, nullptr, nullptr,
                             nullptr, nullptr);
    ValidateRect(m_hwnd, nullptr);
    m_live = platform::testing::LiveGdiObjects();
    g_messages.clear();
  }
  void TearDown() override {
    DestroyWindow(m_hwnd);
    UnregisterClassA("PaintDCTestWindow", nullptr);
  }
  HWND m_hwnd = nullptr;
  std::size_t m_live = 0;
};

TEST_F(PaintDCTest, PaintContextErasesFirstValidatesAndIsReleasedAfterwards) {
  CPaintingWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(m_hwnd));
  RECT r{5, 5, 15, 10};
  InvalidateRect(m_hwnd, &r, TRUE);
  UpdateWindow(m_hwnd);
  EXPECT_EQ(wnd.seenInPaint, std::vector<UINT>{WM_ERASEBKGND});
  EXPECT_EQ(wnd.ps.rcPaint.left, 5);
  EXPECT_EQ(wnd.ps.rcPaint.bottom, 10);
  EXPECT_FALSE(wnd.ps.fErase);
  EXPECT_NE(wnd.hdc, nullptr);
  EXPECT_EQ(WindowFromDC(wnd.hdc), nullptr);            // EndPaint gave it back
  EXPECT_EQ(CDC::FromHandle(wnd.hdc)->m_hDC, wnd.hdc);  // not the deleted object
  CDC::DeleteTempMap();
  EXPECT_FALSE(GetUpdateRect(m_hwnd, &r, FALSE));
  wnd.Detach();
}

TEST_F(PaintDCTest, ContextsOfAStaleWindowAreEmpty) {
  HWND gone = CreateWindowExA(0, "PaintDCTestWindow", "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                              nullptr);
  DestroyWindow(gone);
  CWnd* stale = CWnd::FromHandle(gone);
  {
    CPaintDC paint(stale);
    EXPECT_EQ(paint.m_hDC, nullptr);
    CClientDC client(stale);
    EXPECT_EQ(client.m_hDC, nullptr);
    EXPECT_EQ(client.GetDeviceCaps(NUMCOLORS), 0);
  }
  CWnd::DeleteTempMap();
  EXPECT_EQ(platform::testing::LiveGdiObjects(), m_live);
}

TEST_F(PaintDCTest, ClientContextDrawsInsideTheFrame) {
  CWnd wnd;
  wnd.Attach(m_hwnd);
  {
    CClientDC dc(&wnd);
    RECT all{-10, -10, 100, 100};
    EXPECT_EQ(FillRect(dc.m_hDC, &all, reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1)), 1);
  }
  auto shot = platform::CaptureWindow(m_hwnd);
  EXPECT_EQ(shot->Pixel(1, 1), 0x008080u);
  EXPECT_EQ(shot->Pixel(58, 38), 0x008080u);
  EXPECT_EQ(shot->Pixel(0, 0), 0u);  // the border
  wnd.Detach();
}

}  // namespace
