// The "BUTTON" class: push buttons, default push buttons and group boxes.
//
// A push button notifies its parent when it is clicked: a left-button press followed
// by a release inside it, or BM_CLICK, which makes that press and release. Where the
// mouse went in between is not followed (there is no mouse capture). A group box is
// only a frame with a title and never notifies.
#include "controlclasses.h"

namespace platform::user {
namespace {

// The window extra bytes: whether the left button went down on the button.
constexpr int kPressedOffset = 0;

bool IsGroupBox(HWND hwnd) {
  return (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, point) != FALSE;
}

}  // namespace

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!IsGroupBox(hwnd)) SetWindowLongA(hwnd, kPressedOffset, 1);
      return 0;
    case WM_LBUTTONUP:
      if (SetWindowLongA(hwnd, kPressedOffset, 0) != 0 && Inside(hwnd, lParam)) {
        NotifyParent(hwnd, BN_CLICKED);
      }
      return 0;
    case BM_CLICK: {
      RECT client;
      GetClientRect(hwnd, &client);
      const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
      SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, centre);
      SendMessageA(hwnd, WM_LBUTTONUP, 0, centre);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::user
