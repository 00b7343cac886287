// Raw input from a screen (off-screen script, desktop, browser canvas) turned into the
// window messages Windows would send: the window under the pointer found through the
// window tree, non-client hit testing through the window's own procedure, mouse
// messages in client coordinates, double clicks, and scroll-bar tracking. Screens
// deliver only raw input here; what Windows itself does is the platform's, the same
// for every screen.
//
// Messages are sent (the window's procedure runs before the call returns), from the
// user-interface thread.
#pragma once

#include <windows.h>

namespace platform::input {

enum class Button { kLeft, kRight, kMiddle };

// Modifier state that goes with an event: MK_SHIFT, MK_CONTROL (winuser.h values).
// Points are screen coordinates (a top-level window's place is its GetWindowRect).

// The pointer moved. During a scroll-bar thumb drag this sends SB_THUMBTRACK; otherwise
// WM_MOUSEMOVE (client coordinates) to the window under the pointer, or WM_NCMOUSEMOVE
// over its frame.
void PointerMove(POINT screen, UINT modifiers);

// A button went down or up. The platform hit-tests the window under the point
// (WM_NCHITTEST through the window's procedure, DefWindowProcA answering HTCLIENT,
// HTVSCROLL, HTHSCROLL, HTBORDER/HTNOWHERE), then sends WM_xBUTTONDOWN/UP (client coords,
// MK_ flags) for HTCLIENT, WM_xBUTTONDBLCLK for a second down in time and place on a
// CS_DBLCLKS class, or WM_NCxBUTTONDOWN/UP (screen coords, the hit code) for the rest:
// DefWindowProcA runs scroll-bar tracking for a left press on HTVSCROLL/HTHSCROLL.
// A press makes the window the focus for Key().
void PointerButton(POINT screen, Button button, bool down, UINT modifiers);

// The wheel turned: delta in WHEEL_DELTA (120) units, positive away from the user.
// WM_MOUSEWHEEL to the window under the pointer; DefWindowProcA passes it to the parent.
void Wheel(POINT screen, int delta, UINT modifiers);

// A key went down or up: WM_KEYDOWN/WM_KEYUP (and WM_CHAR for characters) to the focus
// window: the window last pressed in the active top-level window, else that window.
// In a dialog the keys go through IsDialogMessageA, as a dialog's modal loop does.
void Key(UINT virtualKey, bool down, UINT modifiers);

// The window system made a top-level window the active one (the newest top-level
// window is active until a screen says otherwise or a press lands in another).
void Activate(HWND topLevel);

// The window system resized or asked to close a top-level window: the platform moves it
// (WM_SIZE etc. as MoveWindow sends) / sends WM_CLOSE (DefWindowProcA destroys it).
void Resize(HWND topLevel, int width, int height);
void Close(HWND topLevel);

// Auto-repeat of a held scroll-bar arrow or track (the repeat delay then the repeat rate,
// as Windows). The screen calls Repeat() when RepeatDelay() milliseconds have passed
// since the press or the last Repeat(); RepeatDelay() is INFINITE when nothing is held.
DWORD RepeatDelay();
void Repeat();

// The clock that times double clicks, in milliseconds: GetTickCount unless a screen
// that replays input (a script) or a test gives its own; nullptr restores it.
using Clock = DWORD (*)();
void SetClock(Clock clock);

}  // namespace platform::input
