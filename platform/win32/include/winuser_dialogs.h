// user32: dialog boxes and the controls they are made of.
//
// Exports, by family (one source file each):
//   dialog.cpp   CreateDialogIndirectParamA, DefDlgProcA, EndDialog, IsDialogMessageA,
//                MapDialogRect
//   button.cpp   the "BUTTON" class: push buttons, default push buttons, group boxes
//   listbox.cpp  the "LISTBOX" class: single-selection lists, sorted or not
// The dialog class is "#32770". The system classes exist from the window system's
// start. Running a dialog modally is the person's business: platform/dialogview.h.
//
// Left out on purpose: keyboard focus and tab order (a key goes to the control the
// person names, and Enter presses the default button), fonts and text drawing
// (controls paint their background only), and the control kinds the system does not
// use (edit fields, check boxes, combo boxes, static text).
#pragma once

#include "windef.h"
#include "winuser.h"

#include <platform/dialogtemplate.h>

extern "C" {

// ---------------------------------------------------------------------------------
// Dialog boxes

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef const platform::DialogTemplate* LPCDLGTEMPLATEA;

#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L

// The dialog window's extra bytes. Past DWLP_USER lie the system's own.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + sizeof(DLGPROC))
#define DLGWINDOWEXTRA 48

#define DM_GETDEFID (WM_USER + 0)
#define DC_HASDEFID 0x534B

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E

// Makes the dialog window (class "#32770", text: the caption; DS_CENTER centres it on
// the screen, else its position is relative to the owner's client area) with a client
// area of the template's size, then its controls in template order, then sends
// WM_INITDIALOG (wParam: the first WS_TABSTOP control, lParam: initParam). The dialog
// procedure sees the messages from WM_INITDIALOG on. NULL for a null template, or when
// the dialog or any control cannot be made (nothing is left behind), or when the
// dialog was destroyed during WM_INITDIALOG.
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate,
                                       HWND owner, DLGPROC dialogProc, LPARAM initParam);

// The dialog class's window procedure. It asks the dialog procedure first; when that
// returns TRUE the result is DWLP_MSGRESULT (for WM_INITDIALOG, what it returned).
// Otherwise: WM_CLOSE becomes the command IDCANCEL (BN_CLICKED, from the control
// IDCANCEL if there is one), DM_GETDEFID answers MAKELONG(id, DC_HASDEFID) for the
// first BS_DEFPUSHBUTTON control (0 when there is none), the rest goes to
// DefWindowProcA.
LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Marks the dialog as ended with that result; the modal loop then returns it. The
// window stays until it is destroyed. FALSE for a window that is not a dialog.
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);

// A message for the dialog or one of its controls: WM_KEYDOWN with VK_RETURN sends
// the command of the default button (DM_GETDEFID, else IDOK), with VK_ESCAPE the
// command IDCANCEL, both as BN_CLICKED; every other message is dispatched. TRUE when
// the message was the dialog's, FALSE otherwise (it is then left alone).
BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg);

// Dialog units to pixels with the dialog's font. FALSE for a window that is not a
// dialog.
BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect);

// ---------------------------------------------------------------------------------
// Buttons: BM_CLICK, or a left-button press and release inside, sends WM_COMMAND
// (MAKEWPARAM(id, BN_CLICKED), button) to the parent. Group boxes never notify.

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL

#define BM_CLICK 0x00F5

// ---------------------------------------------------------------------------------
// List boxes: one selection at most. Entries are strings of any length; a list
// holds at most 32767 of them. With LBS_SORT an added string goes after the
// entries that sort before or equal to it, compared without regard to letter case
// (ASCII). With LBS_NOTIFY the parent gets WM_COMMAND (MAKEWPARAM(id, code), list)
// with LBN_SELCHANGE when a click or a key changes the selection (LB_SETCURSEL does
// not notify) and LBN_DBLCLK for a double click. Entries are LB_GETITEMHEIGHT pixels
// high from the top of the client area, starting at the top index; a list with
// WS_VSCROLL keeps its vertical bar's range, page and position on the entries.
// Keys (WM_KEYDOWN): up, down, home, end, page up, page down move the selection.

#define LBS_NOTIFY 0x0001L
#define LBS_SORT 0x0002L
#define LBS_NOINTEGRALHEIGHT 0x0100L

#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)

#define LB_ADDSTRING 0x0180  // lParam: text; the new index, LB_ERR, LB_ERRSPACE (full)
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186  // wParam: index, -1 for none; the index, or LB_ERR
#define LB_GETCURSEL 0x0188  // the index, or LB_ERR for none
#define LB_GETTEXT \
  0x0189                      // wParam: index, lParam: a buffer of LB_GETTEXTLEN + 1
                              // bytes; the length, or LB_ERR
#define LB_GETTEXTLEN 0x018A  // wParam: index; the length, or LB_ERR
#define LB_GETCOUNT 0x018B
#define LB_GETTOPINDEX 0x018E
#define LB_SETTOPINDEX \
  0x0197                       // wParam: index (kept so no space is left below the
                               // last entry); LB_OKAY, or LB_ERR
#define LB_GETITEMRECT 0x0198  // wParam: index, lParam: RECT*; LB_OKAY, or LB_ERR
#define LB_GETITEMHEIGHT 0x01A1

}  // extern "C"
