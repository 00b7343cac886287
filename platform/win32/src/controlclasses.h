// The system's window classes: dialogs and the controls dialogs are made of. The
// window system registers them when it starts.
#pragma once

#include <windows.h>

namespace platform::user {

class WindowManager;

inline constexpr char kDialogClassName[] = "#32770";
inline constexpr char kButtonClassName[] = "BUTTON";
inline constexpr char kListBoxClassName[] = "LISTBOX";

void RegisterControlClasses(WindowManager& wm);

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the window's class has that name, in any letter case.
bool IsOfClass(HWND hwnd, const char* className);

// A dialog's state, kept by EndDialog.
bool DialogEnded(HWND dialog);
INT_PTR DialogResult(HWND dialog);

// A control's notification to its parent: WM_COMMAND (MAKEWPARAM(id, code), control).
void NotifyParent(HWND control, WORD code);

}  // namespace platform::user
