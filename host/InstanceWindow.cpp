// The instance window's procedure.
#include "host/InstanceWindow.h"

#include <unordered_map>

namespace nphost {
namespace {

constexpr int kDeltaPerLine = WHEEL_DELTA / kWheelLines;

// The wheel turned so far towards the next line, per window.
std::unordered_map<HWND, int>& WheelRest() {
  static std::unordered_map<HWND, int> rest;
  return rest;
}

// Line scrolls for the wheel; false when the window has no bar that way.
bool ScrollLines(HWND hwnd, WPARAM wParam) {
  const bool horizontal = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
  const LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
  if ((style & (horizontal ? WS_HSCROLL : WS_VSCROLL)) == 0) return false;
  int& rest = WheelRest()[hwnd];
  rest += GET_WHEEL_DELTA_WPARAM(wParam);
  const int lines = rest / kDeltaPerLine;
  rest -= lines * kDeltaPerLine;
  if (lines == 0) return true;
  const UINT message = horizontal ? WM_HSCROLL : WM_VSCROLL;
  // Away from the user scrolls up (or left).
  const WPARAM code = lines > 0 ? SB_LINEUP : SB_LINEDOWN;
  for (int i = 0; i < (lines > 0 ? lines : -lines) && IsWindow(hwnd); ++i) {
    SendMessageA(hwnd, message, MAKEWPARAM(code, 0), 0);
  }
  if (IsWindow(hwnd)) SendMessageA(hwnd, message, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  return true;
}

}  // namespace

LRESULT CALLBACK InstanceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEWHEEL:
      if (ScrollLines(hwnd, wParam)) return 0;
      break;
    case WM_NCDESTROY:
      WheelRest().erase(hwnd);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace nphost
