// MessageBoxA: asks the person at the screen. The owner window is not used: every
// message box here is application-modal.
#include <platform/person.h>
#include <windows.h>

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return platform::CurrentPerson().MessageBox(caption != nullptr ? caption : "Error",
                                              text != nullptr ? text : "", type);
}
