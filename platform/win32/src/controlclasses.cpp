// The system's window classes, and what the controls share.
#include "controlclasses.h"

#include "windowmanager.h"

#include <strings.h>

namespace platform::user {
namespace {

HBRUSH SystemBrush(int colour) {
  return reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(colour + 1));
}

void Register(WindowManager& wm, const char* name, WNDPROC proc, int colour, int extra,
              UINT style) {
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = extra;
  wc.hbrBackground = SystemBrush(colour);
  wc.lpszClassName = name;
  wm.RegisterClass(wc);
}

}  // namespace

void RegisterControlClasses(WindowManager& wm) {
  Register(wm, kDialogClassName, DefDlgProcA, COLOR_BTNFACE, DLGWINDOWEXTRA, 0);
  Register(wm, kButtonClassName, ButtonWndProc, COLOR_BTNFACE, sizeof(LONG_PTR), 0);
  Register(wm, kListBoxClassName, ListBoxWndProc, COLOR_WINDOW, sizeof(LONG_PTR), CS_DBLCLKS);
}

bool IsOfClass(HWND hwnd, const char* className) {
  const Window* window = WindowManager::Get().Find(hwnd);
  return window != nullptr && ::strcasecmp(window->windowClass->name.c_str(), className) == 0;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

}  // namespace platform::user
