// Dialog boxes: creation from a template record, the dialog class's window
// procedure, the dialog keys, and the end of a dialog.
//
// A dialog keeps in its extra bytes, past the three that belong to the program
// (DWLP_*), its font's base units, whether it has ended and its result.
//
// Left out on purpose: WM_SETFONT (there is no text drawing) and WM_CLOSE being
// posted rather than sent (messages here are sent; the result is the same command).
#include "controlclasses.h"
#include "windowmanager.h"

#include <platform/screen.h>

#include <algorithm>

using platform::user::IsOfClass;
using platform::user::kDialogClassName;
using platform::user::WindowManager;

namespace {

constexpr int kBaseUnitsOffset = DWLP_USER + sizeof(LONG_PTR);
constexpr int kEndedOffset = kBaseUnitsOffset + sizeof(LONG_PTR);
constexpr int kResultOffset = kEndedOffset + sizeof(LONG_PTR);
static_assert(kResultOffset + sizeof(LONG_PTR) <= DLGWINDOWEXTRA);

// A dialog unit is a quarter of the font's average character width and an eighth of
// its height. The one font here is the 8-point system font, 6 by 13 pixels, scaled by
// the template's point size.
LONG BaseUnits(WORD pointSize) {
  const int points = pointSize != 0 ? pointSize : 8;
  const int x = std::max(1, (6 * points + 4) / 8);
  const int y = std::max(1, (13 * points + 4) / 8);
  return MAKELONG(x, y);
}

// value * numerator / denominator, rounded half away from zero, as MulDiv does.
int Scale(long long value, long long numerator, long long denominator) {
  long long product = value * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

RECT ToPixels(const RECT& units, LONG baseUnits) {
  const int bx = LOWORD(baseUnits);
  const int by = HIWORD(baseUnits);
  return RECT{Scale(units.left, bx, 4), Scale(units.top, by, 8), Scale(units.right, bx, 4),
              Scale(units.bottom, by, 8)};
}

RECT UnitsOf(short x, short y, short cx, short cy) {
  return RECT{x, y, static_cast<LONG>(x) + cx, static_cast<LONG>(y) + cy};
}

bool IsDialog(HWND hwnd) { return IsOfClass(hwnd, kDialogClassName); }

// Sizes the window so its client area has the template's size, then places it.
void Place(HWND dialog, const platform::DialogTemplate& tmpl, LONG baseUnits, HWND owner) {
  RECT client = ToPixels(UnitsOf(tmpl.x, tmpl.y, tmpl.cx, tmpl.cy), baseUnits);
  RECT window;
  RECT actual;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &actual);
  const int width = (client.right - client.left) + (window.right - window.left) - actual.right;
  const int height = (client.bottom - client.top) + (window.bottom - window.top) - actual.bottom;
  POINT at{client.left, client.top};
  if ((tmpl.style & DS_CENTER) != 0) {
    const platform::ScreenMode screen = platform::GetScreen();
    at = POINT{(screen.width - width) / 2, (screen.height - height) / 2};
  } else if (owner != nullptr && (tmpl.style & WS_CHILD) == 0) {
    ClientToScreen(owner, &at);
  }
  SetWindowPos(dialog, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CreateControls(HWND dialog, const platform::DialogTemplate& tmpl, HINSTANCE instance,
                    LONG baseUnits, HWND* firstTabStop) {
  for (const platform::DialogItemTemplate& item : tmpl.items) {
    RECT r = ToPixels(UnitsOf(item.x, item.y, item.cx, item.cy), baseUnits);
    HWND control =
        CreateWindowExA(0, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD, r.left,
                        r.top, r.right - r.left, r.bottom - r.top, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
    if (control == nullptr || !IsWindow(dialog)) return false;
    if (*firstTabStop == nullptr && (item.style & WS_TABSTOP) != 0) *firstTabStop = control;
  }
  return true;
}

// The command a button sends, as if it had been clicked.
void SendButtonCommand(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT DefaultId(HWND dialog) {
  for (HWND child : WindowManager::Get().Find(dialog)->children) {
    if (IsOfClass(child, platform::user::kButtonClassName) &&
        (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return MAKELONG(GetDlgCtrlID(child), DC_HASDEFID);
    }
  }
  return 0;
}

}  // namespace

namespace platform::user {

bool DialogEnded(HWND dialog) { return GetWindowLongA(dialog, kEndedOffset) != 0; }

INT_PTR DialogResult(HWND dialog) { return GetWindowLongA(dialog, kResultOffset); }

}  // namespace platform::user

extern "C" {

/***********************************************************************
 * CreateDialogIndirectParamA
 * Creates a dialog (class "#32770") and its controls from a template, placed over
 * its owner, then sends WM_INITDIALOG. The template is a platform::DialogTemplate
 * record, not the packed DLGTEMPLATE of a resource. NULL with ERROR_INVALID_PARAMETER
 * for no template, and when the dialog or a control cannot be made or the dialog
 * procedure destroys it.
 */
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate,
                                       HWND owner, DLGPROC dialogProc, LPARAM initParam) {
  if (dialogTemplate == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const platform::DialogTemplate& tmpl = *dialogTemplate;
  const LONG baseUnits = BaseUnits(tmpl.pointSize);
  const RECT size = ToPixels(UnitsOf(0, 0, tmpl.cx, tmpl.cy), baseUnits);
  HWND dialog = CreateWindowExA(0, kDialogClassName, tmpl.caption.c_str(), tmpl.style, 0, 0,
                                size.right, size.bottom, owner, nullptr, instance, nullptr);
  if (dialog == nullptr) return nullptr;
  SetWindowLongA(dialog, kBaseUnitsOffset, baseUnits);
  Place(dialog, tmpl, baseUnits, owner);
  HWND firstTabStop = nullptr;
  if (!CreateControls(dialog, tmpl, instance, baseUnits, &firstTabStop)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  SetWindowLongA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(dialogProc));
  SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
  return IsWindow(dialog) ? dialog : nullptr;
}

/***********************************************************************
 * DefDlgProcA
 * The dialog class's procedure: the dialog procedure first (its DWLP_MSGRESULT is the
 * result when it handles the message), then WM_CLOSE as a click on Cancel and
 * DM_GETDEFID as the first default push button; the rest goes to DefWindowProcA.
 */
LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto proc = reinterpret_cast<DLGPROC>(GetWindowLongA(dialog, DWLP_DLGPROC))) {
    SetWindowLongA(dialog, DWLP_MSGRESULT, 0);
    const INT_PTR handled = proc(dialog, message, wParam, lParam);
    if (handled != 0) {
      if (message == WM_INITDIALOG) return handled;
      return GetWindowLongA(dialog, DWLP_MSGRESULT);
    }
  }
  switch (message) {
    case WM_CLOSE:
      SendButtonCommand(dialog, IDCANCEL);
      return 0;
    case DM_GETDEFID:
      return IsWindow(dialog) ? DefaultId(dialog) : 0;
    default:
      return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

/***********************************************************************
 * EndDialog
 * Marks the dialog ended with result; the modal loop returns it. FALSE with
 * ERROR_INVALID_WINDOW_HANDLE for a window that is not a dialog.
 */
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (!IsDialog(dialog)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SetWindowLongA(dialog, kResultOffset, result);
  SetWindowLongA(dialog, kEndedOffset, 1);
  return TRUE;
}

/***********************************************************************
 * IsDialogMessageA
 * Enter presses the default button (IDOK without one), Escape presses Cancel; every
 * other message for the dialog or its controls is dispatched. FALSE for a message
 * that is not the dialog's, a null msg, or a window that is not a dialog.
 */
BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg) {
  if (msg == nullptr || !IsDialog(dialog)) return FALSE;
  if (msg->hwnd != dialog && !WindowManager::Get().IsDescendant(msg->hwnd, dialog)) return FALSE;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    SendButtonCommand(dialog, HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK);
    return TRUE;
  }
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
    SendButtonCommand(dialog, IDCANCEL);
    return TRUE;
  }
  DispatchMessageA(msg);
  return TRUE;
}

/***********************************************************************
 * MapDialogRect
 * Converts dialog units to pixels with the dialog's font. FALSE for a null rect or a
 * window that is not a dialog.
 */
BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  if (rect == nullptr || !IsDialog(dialog)) return FALSE;
  *rect = ToPixels(*rect, static_cast<LONG>(GetWindowLongA(dialog, kBaseUnitsOffset)));
  return TRUE;
}

}  // extern "C"
