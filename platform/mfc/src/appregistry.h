// The application objects of the process, one per module, found by the module that
// asks (the module holding a code address its caller passes).
#pragma once

#include <windef.h>

#include <string>

class CWinApp;

namespace platform::mfc {

void RegisterApp(CWinApp* app);
void UnregisterApp(CWinApp* app);

// The application object of the module holding caller; else the first one
// registered in the process; else null.
CWinApp* AppFor(const void* caller);
// AppFor(caller)'s name, or the program's file name without extension.
LPCTSTR AppNameFor(const void* caller);

// The file name, without directory and extension, of the module holding address
// (the program's when address lies in no module).
std::string ModuleTitleOf(const void* address);

}  // namespace platform::mfc
