// Helpers for the window system's tests: a window procedure that records every
// message, expected-message tables compared with the record, classes with names of
// their own, and a fixture that leaves no window behind.
#pragma once

#include <platform/screen.h>
#include <platform/windows_system.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace windowtesting {

struct Recorded {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// An expected message: the window and the parameters are only compared when given.
struct Expected {
  Expected(UINT message, HWND hwnd = nullptr, std::optional<WPARAM> wParam = std::nullopt,
           std::optional<LPARAM> lParam = std::nullopt)
      : message(message), hwnd(hwnd), wParam(wParam), lParam(lParam) {}
  UINT message;
  HWND hwnd;
  std::optional<WPARAM> wParam;
  std::optional<LPARAM> lParam;
};

inline std::vector<Recorded>& Log() {
  static std::vector<Recorded> log;
  return log;
}

// Per-window behaviour: returns a result to answer the message itself, or nothing
// to let the recorder pass it on to DefWindowProcA.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;
inline std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> handlers;
  return handlers;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  auto it = Handlers().find(hwnd);
  if (it != Handlers().end()) {
    Handler handler = it->second;  // the handler may replace itself
    if (std::optional<LRESULT> result = handler(hwnd, message, wParam, lParam)) return *result;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline std::string MessageName(UINT message) {
  static const std::map<UINT, const char*> names = {{WM_CREATE, "WM_CREATE"},
                                                    {WM_DESTROY, "WM_DESTROY"},
                                                    {WM_SIZE, "WM_SIZE"},
                                                    {WM_SETTEXT, "WM_SETTEXT"},
                                                    {WM_PAINT, "WM_PAINT"},
                                                    {WM_CLOSE, "WM_CLOSE"},
                                                    {WM_ERASEBKGND, "WM_ERASEBKGND"},
                                                    {WM_NCCREATE, "WM_NCCREATE"},
                                                    {WM_NCDESTROY, "WM_NCDESTROY"},
                                                    {WM_COMMAND, "WM_COMMAND"},
                                                    {WM_HSCROLL, "WM_HSCROLL"},
                                                    {WM_VSCROLL, "WM_VSCROLL"},
                                                    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
                                                    {WM_LBUTTONUP, "WM_LBUTTONUP"},
                                                    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
                                                    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
                                                    {WM_RBUTTONUP, "WM_RBUTTONUP"},
                                                    {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
                                                    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
                                                    {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
                                                    {WM_NCHITTEST, "WM_NCHITTEST"},
                                                    {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
                                                    {WM_KEYDOWN, "WM_KEYDOWN"},
                                                    {WM_KEYUP, "WM_KEYUP"},
                                                    {WM_CHAR, "WM_CHAR"},
                                                    {WM_PALETTECHANGED, "WM_PALETTECHANGED"},
                                                    {WM_USER, "WM_USER"}};
  auto it = names.find(message);
  if (it != names.end()) return it->second;
  std::ostringstream s;
  s << "0x" << std::hex << message;
  return s.str();
}

inline std::string Describe(const std::vector<Recorded>& log) {
  std::ostringstream s;
  for (const Recorded& r : log) {
    s << "  " << MessageName(r.message) << " hwnd=" << r.hwnd << " wParam=" << r.wParam
      << " lParam=" << r.lParam << "\n";
  }
  return s.str();
}

// Compares the record with the table, message by message, then clears the record.
inline void ExpectSequence(const std::vector<Expected>& expected, const char* what) {
  std::vector<Recorded> log = Log();
  Log().clear();
  bool same = log.size() == expected.size();
  for (std::size_t i = 0; same && i < log.size(); ++i) {
    const Expected& e = expected[i];
    const Recorded& r = log[i];
    same = r.message == e.message && (e.hwnd == nullptr || r.hwnd == e.hwnd) &&
           (!e.wParam || r.wParam == *e.wParam) && (!e.lParam || r.lParam == *e.lParam);
  }
  if (!same) {
    std::ostringstream want;
    for (const Expected& e : expected) {
      want << "  " << MessageName(e.message) << " hwnd=" << e.hwnd;
      if (e.wParam) want << " wParam=" << *e.wParam;
      if (e.lParam) want << " lParam=" << *e.lParam;
      want << "\n";
    }
    ADD_FAILURE() << what << ": expected\n" << want.str() << "received\n" << Describe(log);
  }
}

// A window class with a name no other test uses, unregistered when it goes.
class TestClass {
 public:
  explicit TestClass(WNDPROC proc = RecordingProc, HBRUSH background = nullptr, int extra = 0) {
    static int serial = 0;
    m_name = "WindowTestClass" + std::to_string(++serial);
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hbrBackground = background;
    wc.cbWndExtra = extra;
    wc.lpszClassName = m_name.c_str();
    m_atom = RegisterClassA(&wc);
  }
  ~TestClass() { UnregisterClassA(m_name.c_str(), nullptr); }
  TestClass(const TestClass&) = delete;
  TestClass& operator=(const TestClass&) = delete;

  const char* Name() const { return m_name.c_str(); }
  ATOM Atom() const { return m_atom; }

 private:
  std::string m_name;
  ATOM m_atom = 0;
};

// Destroys every window, clears the record and restores a 24-bit screen after each
// test.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    Handlers().clear();
  }
  void TearDown() override {
    for (HWND hwnd : platform::TopLevelWindows()) DestroyWindow(hwnd);
    Handlers().clear();
    Log().clear();
    platform::SetScreen(1024, 768, 24);
  }

  HWND Top(int x, int y, int w, int h, DWORD style = WS_OVERLAPPED) {
    return CreateWindowExA(0, m_class.Name(), "top", style, x, y, w, h, nullptr, nullptr, nullptr,
                           nullptr);
  }
  HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = 0, int id = 0) {
    return CreateWindowExA(0, m_class.Name(), "child", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                           nullptr);
  }
  // Creates the window, then forgets what it was sent while being created.
  HWND Quiet(HWND hwnd) {
    Log().clear();
    return hwnd;
  }

  TestClass m_class;
};

inline bool RectIs(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

inline std::string Show(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
  return s.str();
}

// The pixel at (x, y) of a window's capture (0x00RRGGBB).
inline std::uint32_t PixelOf(HWND hwnd, int x, int y) {
  auto capture = platform::CaptureWindow(hwnd);
  return capture->Pixel(x, y);
}

inline HBRUSH SysBrush(int colour) {
  return reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(colour + 1));
}

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kSilver = 0xC0C0C0;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kTeal = 0x008080;

}  // namespace windowtesting
