// What the browser itself does in the child window it gives an instance. The plug-in
// subclasses that window; a message it does not handle reaches this procedure.
//
// The wheel: browsers of the time turned it into line scrolls for a windowed plug-in
// without wheel handling, three lines a notch (the desktop's default): WM_VSCROLL
// SB_LINEUP / SB_LINEDOWN per line (with Shift, WM_HSCROLL SB_LINELEFT / SB_LINERIGHT)
// then SB_ENDSCROLL, when the window has that scroll bar. Parts of a notch add up, so
// a fine wheel scrolls a line per third of a notch. Without the bar the wheel goes on
// to the browser's window.
#pragma once

#include <windows.h>

namespace nphost {

inline constexpr int kWheelLines = 3;

LRESULT CALLBACK InstanceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace nphost
