// user32: message boxes, rectangles, window classes and windows, hooks, messages,
// painting and the standard scroll bars.
//
// Exports, by family (one source file each):
//   messagebox.cpp  MessageBoxA
//   rect.cpp        SetRect, SetRectEmpty, CopyRect, IsRectEmpty, EqualRect, PtInRect,
//                   OffsetRect, InflateRect, IntersectRect, UnionRect
//   window.cpp      RegisterClassA, UnregisterClassA, CreateWindowExA, DestroyWindow,
//                   IsWindow, GetParent, GetDlgItem, GetDlgCtrlID, FindWindowA,
//                   GetWindowTextA, GetWindowTextLengthA, SetWindowTextA,
//                   GetWindowLongA, SetWindowLongA, SetWindowPos, MoveWindow,
//                   GetWindowRect, GetClientRect, ClientToScreen, ScreenToClient,
//                   GetSystemMetrics
//   hooks.cpp       SetWindowsHookExA, UnhookWindowsHookEx, CallNextHookEx
//   message.cpp     DefWindowProcA, CallWindowProcA, SendMessageA, PostMessageA,
//                   PostQuitMessage, PeekMessageA, GetMessageA, DispatchMessageA
//   paint.cpp       GetSysColor, FillRect, InvalidateRect, ValidateRect, GetUpdateRect,
//                   UpdateWindow, BeginPaint, EndPaint, GetDC, ReleaseDC, WindowFromDC,
//                   ScrollWindowEx
//   scrollbar.cpp   SetScrollInfo, GetScrollInfo, SetScrollPos, GetScrollPos,
//                   SetScrollRange, GetScrollRange, ShowScrollBar
// The host's view of windows (captures, the tree) is in platform/windows_system.h.
//
// On this LP64 platform a window procedure does not fit a 32-bit LONG, so
// GetWindowLongA/SetWindowLongA take and return LONG_PTR, as the ...LongPtrA forms
// do on 64-bit Windows; the ...LongPtrA names are the same functions.
#pragma once

#include "windef.h"

extern "C" {

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---------------------------------------------------------------------------------
// Rectangles

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL WINAPI SetRectEmpty(LPRECT rect);
BOOL WINAPI CopyRect(LPRECT dst, const RECT* src);
BOOL WINAPI IsRectEmpty(const RECT* rect);
BOOL WINAPI EqualRect(const RECT* a, const RECT* b);
BOOL WINAPI PtInRect(const RECT* rect, POINT pt);
BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy);
BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy);
BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b);

// ---------------------------------------------------------------------------------
// Window classes and windows

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_CHILDWINDOW WS_CHILD

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // (HBRUSH)(COLOR_xxx + 1); null: the window is erased white
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;  // a name, or an atom from RegisterClassA (MAKEINTATOM)
} WNDCLASSA, *LPWNDCLASSA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

#define MAKEINTATOM(i) ((LPCSTR)((ULONG_PTR)((WORD)(i))))

#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_TLW_WITH_WSCHILD 1406
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_CLASS_DOES_NOT_EXIST 1411
#define ERROR_CLASS_HAS_WINDOWS 1412
#define ERROR_INVALID_INDEX 1413
#define ERROR_DC_NOT_FOUND 1425
#define ERROR_INVALID_SCROLLBAR_RANGE 1448

// Returns the class atom, or 0 (a null procedure or name, a name already taken).
ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass);
// FALSE while windows of the class exist, or for an unknown class.
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Calls the WH_CBT hooks, then sends WM_NCCREATE, WM_CREATE and WM_SIZE. A top-level
// window's position is its
// place on the screen; a child's is relative to its parent's client area. Sizes
// are clamped to 0..32767. NULL for an unknown class, a WS_CHILD window without a
// valid parent, or a window procedure that refuses WM_NCCREATE or WM_CREATE.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
#define CreateWindowA(cls, name, style, x, y, w, h, parent, menu, inst, param) \
  CreateWindowExA(0, cls, name, style, x, y, w, h, parent, menu, inst, param)

// WM_DESTROY goes to the window and then to its children (parents first), then
// WM_NCDESTROY to the children and last to the window, as Windows does. Messages
// posted to the destroyed windows are dropped; their handles go stale.
BOOL WINAPI DestroyWindow(HWND hwnd);
BOOL WINAPI IsWindow(HWND hwnd);
// The parent of a child window, the owner of an owned WS_POPUP window, else NULL.
HWND WINAPI GetParent(HWND hwnd);
// The child whose identifier (the menu argument of CreateWindowExA) is id.
HWND WINAPI GetDlgItem(HWND parent, int id);
int WINAPI GetDlgCtrlID(HWND hwnd);
// The first top-level window whose class and title match; a null argument matches
// any.
HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName);
int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size);
int WINAPI GetWindowTextLengthA(HWND hwnd);
BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text);

#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_WNDPROC GWL_WNDPROC
#define GWLP_USERDATA GWL_USERDATA
#define GWLP_ID GWL_ID

// The previous value (0 with ERROR_INVALID_INDEX / ERROR_INVALID_WINDOW_HANDLE on
// failure). Setting GWL_STYLE stores the bits only; the frame follows them after
// SetWindowPos with SWP_FRAMECHANGED, as on Windows.
LONG_PTR WINAPI GetWindowLongA(HWND hwnd, int index);
LONG_PTR WINAPI SetWindowLongA(HWND hwnd, int index, LONG_PTR value);
#define GetWindowLongPtrA GetWindowLongA
#define SetWindowLongPtrA SetWindowLongA

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020

// A change of client size sends WM_SIZE and invalidates the client area (erase).
// Windows keep their creation order: insertAfter is not used.
BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// The window's rectangle in screen coordinates.
BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect);
// (0, 0, client width, client height).
BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect);
BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point);
BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point);

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
int WINAPI GetSystemMetrics(int index);

// ---------------------------------------------------------------------------------
// Hooks: only WH_CBT, and of it only HCBT_CREATEWND, sent by CreateWindowExA once the
// window exists and before it gets WM_NCCREATE (wParam: the window, lParam: a
// CBT_CREATEWNDA). A non-zero result refuses the window, which then gets only
// WM_NCDESTROY (so an object attached by the hook lets go). Hooks are the process's:
// the thread argument is not used, as windows belong to one thread.

DECLARE_HANDLE(HHOOK);
typedef LRESULT(CALLBACK* HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);

#define WH_CBT 5
#define HCBT_CREATEWND 3

typedef struct tagCBT_CREATEWNDA {
  LPCREATESTRUCTA lpcs;
  HWND hwndInsertAfter;
} CBT_CREATEWNDA, *LPCBT_CREATEWNDA;

// NULL for another kind of hook or a null procedure. The newest hook is called first.
HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL WINAPI UnhookWindowsHookEx(HHOOK hook);
// Calls the hook installed before this one; 0 when there is none.
LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------------
// Messages

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_SETTEXT 0x000C
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCHITTEST 0x0084
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_NCRBUTTONDOWN 0x00A4
#define WM_NCRBUTTONUP 0x00A5
#define WM_NCMBUTTONDOWN 0x00A7
#define WM_NCMBUTTONUP 0x00A8
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_QUERYNEWPALETTE 0x030F
#define WM_PALETTECHANGED 0x0311
#define WM_USER 0x0400

#define SIZE_RESTORED 0

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// WM_MOUSEWHEEL: wParam is MAKEWPARAM(MK_ flags, delta), the delta in WHEEL_DELTA units
// of one notch, positive away from the user; lParam the pointer in screen coordinates.
#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))
#define GET_KEYSTATE_WPARAM(w) (LOWORD(w))

// WM_NCHITTEST's answers.
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTHSCROLL 6
#define HTVSCROLL 7
#define HTBORDER 18

#define BN_CLICKED 0
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// WM_NCCREATE: TRUE. WM_PAINT: BeginPaint and EndPaint, so the update region is
// validated. WM_ERASEBKGND: fills the DC's clip area with the class background and
// returns 1. WM_CLOSE: DestroyWindow. WM_NCHITTEST: the part of the window at the
// point (HTCLIENT, HTVSCROLL, HTHSCROLL, HTBORDER, HTNOWHERE). WM_NCLBUTTONDOWN on
// HTVSCROLL / HTHSCROLL: tracks the scroll bar (WM_VSCROLL / WM_HSCROLL to the window,
// ending with SB_ENDSCROLL). WM_MOUSEWHEEL: a child passes it to its parent.
// Everything else: 0.
LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls proc (0 when it is null).
LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's current procedure at once; 0 for a stale window.
LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message in the process's queue (hwnd NULL: a message for no window).
BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int exitCode);
// Posted messages first, then WM_QUIT, then WM_PAINT for a window (or a child of
// hwnd) whose update region is not empty. WM_PAINT stays until it is validated.
// hwnd limits the messages to that window and its descendants; min/max to a
// range of message numbers (0, 0: all).
BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT minFilter, UINT maxFilter, UINT removeFlags);
// As PeekMessageA with PM_REMOVE, waiting until a message is there; returns 0 for
// WM_QUIT, -1 for a stale hwnd filter.
BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT minFilter, UINT maxFilter);
// The window procedure's result; 0 for a stale window or a message for none.
LRESULT WINAPI DispatchMessageA(const MSG* msg);

// ---------------------------------------------------------------------------------
// System colours and painting

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_WINDOWTEXT 8
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_3DFACE COLOR_BTNFACE

// The classic colours, all of them among the 20 static colours of an 8-bit screen;
// 0 for an index without one.
DWORD WINAPI GetSysColor(int index);

// GDI has no brush objects, so the brushes here are the system-colour brushes that
// window classes use: (HBRUSH)(COLOR_xxx + 1). Fills the rectangle (logical units of
// MM_TEXT, right and bottom excluded) within the DC's clip; 0 for another brush or
// a DC that does not draw into a surface.
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

#define SW_SCROLLCHILDREN 0x0001
#define SW_INVALIDATE 0x0002
#define SW_ERASE 0x0004

// Region kinds, as gdi32 answers them.
#ifndef ERROR
#define ERROR 0
#endif
#ifndef NULLREGION
#define NULLREGION 1
#endif
#ifndef SIMPLEREGION
#define SIMPLEREGION 2
#endif
#ifndef COMPLEXREGION
#define COMPLEXREGION 3
#endif

// The update region is kept as one rectangle, the union of what was invalidated
// (so it may cover more than the exact region). Invalidating a window also
// invalidates the children it overlaps, so they repaint over the parent's erase.
// rect NULL: the whole client area. hwnd NULL: every window.
BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
// Shrinks the update rectangle where rect covers a whole band of it; NULL
// validates everything.
BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect);
// TRUE when the update region is not empty; with erase, sends WM_ERASEBKGND for
// a pending erase first.
BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
// Sends WM_PAINT when the update region is not empty, then does the same for the
// window's children.
BOOL WINAPI UpdateWindow(HWND hwnd);
// A DC clipped to the update rectangle; sends WM_ERASEBKGND first when an erase is
// pending (fErase then tells whether it was left undone); validates the region.
HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// A DC on the client area: origin at its top-left, clipped to it and to every
// ancestor's client area. Release it with ReleaseDC.
HDC WINAPI GetDC(HWND hwnd);
int WINAPI ReleaseDC(HWND hwnd, HDC hdc);
// The window of a DC from GetDC or BeginPaint; NULL for any other DC.
HWND WINAPI WindowFromDC(HDC hdc);
// Moves the client pixels inside scroll (default: the client area) by (dx, dy),
// touching nothing outside clip (default: the client area), and reports what was
// uncovered in update (as a rectangle) and in updateRegion. SW_INVALIDATE adds it
// to the update region, with an erase for SW_ERASE. Children do not move.
// Returns NULLREGION, SIMPLEREGION, COMPLEXREGION (an L-shaped uncovered area,
// reported as its bounding rectangle) or ERROR.
int WINAPI ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip,
                          HRGN updateRegion, LPRECT update, UINT flags);

// ---------------------------------------------------------------------------------
// Standard scroll bars

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

typedef struct tagSCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
} SCROLLINFO, *LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;
static_assert(sizeof(SCROLLINFO) == 28, "SCROLLINFO is 28 bytes");

// The standard bars of a window (SB_HORZ, SB_VERT; SB_CTL controls are not
// provided). A bar starts with the range 0..100. A bar is shown while the window has
// WS_HSCROLL / WS_VSCROLL; showing or hiding one changes the client area and
// sends WM_SIZE. Setting an empty range (min == max, or page covering it) hides the
// bar, setting a scrollable one shows it, as on Windows. Positions are clamped to
// min .. max - max(page - 1, 0).
int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);  // the previous position
int WINAPI GetScrollPos(HWND hwnd, int bar);
BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos);
int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);  // new position
BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
BOOL WINAPI ShowScrollBar(HWND hwnd, int bar, BOOL show);

// ---------------------------------------------------------------------------------
// Pop-up menus. A menu is a list of string items and separators; TrackPopupMenu asks
// the person at the screen (platform/person.h) to choose. Submenus, bitmaps and
// owner-drawn items are not provided (AppendMenuA refuses them). Menus belong to
// the user-interface thread, as windows do.

#define MF_STRING 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_UNCHECKED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_BITMAP 0x00000004L
#define MF_CHECKED 0x00000008L
#define MF_POPUP 0x00000010L
#define MF_OWNERDRAW 0x00000100L
#define MF_SEPARATOR 0x00000800L

#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L

#define ERROR_INVALID_MENU_HANDLE 1401
#define ERROR_POPUP_ALREADY_ACTIVE 1446

// An empty pop-up menu; NULL when no more menus can be made.
HMENU WINAPI CreatePopupMenu(void);
// Appends a string item (text copied, id its command) or a separator (id and text not
// used). FALSE for a stale menu, a null text, MF_POPUP, MF_BITMAP or MF_OWNERDRAW.
BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
// FALSE for a stale menu (ERROR_INVALID_MENU_HANDLE).
BOOL WINAPI DestroyMenu(HMENU menu);
BOOL WINAPI IsMenu(HMENU menu);
// -1 for a stale menu.
int WINAPI GetMenuItemCount(HMENU menu);
// The id of the item at pos (0 for a separator); (UINT)-1 for a stale menu or a
// position outside it.
UINT WINAPI GetMenuItemID(HMENU menu, int pos);
// Shows the menu at (x, y) (screen coordinates) and waits for the person's choice;
// reserved and excludeRect are not used. With TPM_RETURNCMD, returns the id chosen
// (0: none). Otherwise, once the menu has closed, sends WM_COMMAND (the id, code 0)
// to owner and returns nonzero when an item was chosen, 0 when none was. FALSE for a
// stale menu or owner, or while another menu is open (ERROR_POPUP_ALREADY_ACTIVE).
BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                           const RECT* excludeRect);

}  // extern "C"
