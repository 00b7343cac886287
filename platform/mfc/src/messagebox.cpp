// AfxMessageBox: MessageBoxA with no owner and the calling module's application name.
#include <afxwin.h>

#include "appregistry.h"

__attribute__((noinline)) int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp) {
  return MessageBoxA(nullptr, lpszText, platform::mfc::AppNameFor(__builtin_return_address(0)),
                     nType);
}
