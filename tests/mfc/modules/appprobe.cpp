// A module as the plug-in is one: an application object constructed with no name,
// a serial class, and calls into the framework made from inside the module.
#include <afxwin.h>

namespace {
CWinApp theApp;
}

class CProbeThing : public CObject {
  DECLARE_SERIAL(CProbeThing)
};

IMPLEMENT_SERIAL(CProbeThing, CObject, 0)

extern "C" CWinApp* ProbeApp() { return AfxGetApp(); }

extern "C" LPCTSTR ProbeAppName() { return AfxGetAppName(); }

extern "C" int ProbeMessage(LPCTSTR text) { return AfxMessageBox(text, MB_ICONEXCLAMATION); }
