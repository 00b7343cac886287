// MessageBoxA: asks the person at the screen. The owner window is not used: every
// message box here is application-modal.
#include <platform/person.h>
#include <windows.h>

/***********************************************************************
 * MessageBoxA
 * Asks the person at the screen and returns the button pressed. A null caption is
 * "Error", a null text is empty. The owner is not used: every message box is
 * application-modal.
 */
extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return platform::CurrentPerson().MessageBox(caption != nullptr ? caption : "Error",
                                              text != nullptr ? text : "", type);
}
