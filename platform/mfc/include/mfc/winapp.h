// CWinApp: the application object. Each module (the program, a plug-in library)
// constructs at most one, as a global; AfxGetApp() answers the object of the
// module that asks, so a plug-in and its host program never see each other's.
#pragma once

#include <mfc/cmdtarget.h>
#include <mfc/string.h>

class CWnd;

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  // A null name takes the file name of the module that holds the object, without
  // its extension ("NPZELVW" for NPZELVW.DLL).
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  virtual ~CWinApp();

  virtual BOOL InitInstance();
  // The window system has no message queue to pump, so Run ends the application
  // at once with ExitInstance's result.
  virtual int Run();
  virtual int ExitInstance();  // the program's exit code; 0 here

  // A no-op, as on the systems where three-dimensional controls are the default.
  BOOL Enable3dControls();

  LPCTSTR m_pszAppName;
  CWnd* m_pMainWnd;

 private:
  CString m_strAppName;
};

// The application object of the calling module; when that module has none, the
// first application object of the process; null when there is none at all.
CWinApp* AfxGetApp();
// The name of AfxGetApp()'s object, or the program's file name without its
// extension when there is no application object.
LPCTSTR AfxGetAppName();

// What a program's main() returns: InitInstance, then Run when a main window was
// made, then ExitInstance (Run ends with it). -1 when the program has no
// application object.
int AfxRunApplication();
