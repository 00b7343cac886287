// AfxMessageBox: a message box with no owner and the application's name as caption.
#pragma once

#include <windef.h>
#include <winuser.h>

// Asks MessageBoxA(nullptr, text, AfxGetAppName() of the calling module, type); the
// help context is not used. Returns the button chosen.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
