// CWinApp and the application entry that a program's main() calls.
#include <afxwin.h>

#include "appregistry.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

CWinApp::CWinApp(LPCTSTR lpszAppName)
    : m_pszAppName(nullptr),
      m_pMainWnd(nullptr),
      m_strAppName(lpszAppName != nullptr ? CString(lpszAppName)
                                          : CString(platform::mfc::ModuleTitleOf(this).c_str())) {
  m_pszAppName = m_strAppName;
  platform::mfc::RegisterApp(this);
}

CWinApp::~CWinApp() { platform::mfc::UnregisterApp(this); }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() { return ExitInstance(); }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::Enable3dControls() { return TRUE; }

__attribute__((noinline)) CWinApp* AfxGetApp() {
  return platform::mfc::AppFor(__builtin_return_address(0));
}

__attribute__((noinline)) LPCTSTR AfxGetAppName() {
  return platform::mfc::AppNameFor(__builtin_return_address(0));
}

__attribute__((noinline)) int AfxRunApplication() {
  CWinApp* app = platform::mfc::AppFor(__builtin_return_address(0));
  if (app == nullptr) return -1;
  if (!app->InitInstance()) return app->ExitInstance();
  if (app->m_pMainWnd != nullptr) return app->Run();
  return app->ExitInstance();
}
