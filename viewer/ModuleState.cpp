#include "viewer/ModuleState.h"

#include "color/ColorEngine.h"

CImgVuWnd* g_pCurrentWnd = nullptr;
CColorEngine* g_pColorEngine = nullptr;
int g_bEngineReady = 0;
int g_bEmbeddedProfile = 0;
CString g_strProfilePaths[kMaxProfilePaths];
int g_nProfilePaths = 0;
CString g_strWindowsDir;

namespace {
int g_nEngineUsers = 0;
}

BOOL AppendProfilePath(const CString& strPath) {
  if (g_nProfilePaths < 0 || g_nProfilePaths >= kMaxProfilePaths) return FALSE;
  g_strProfilePaths[g_nProfilePaths] = strPath;
  ++g_nProfilePaths;
  return TRUE;
}

void SetSourceProfilePath(const CString& strPath) {
  g_strProfilePaths[0] = strPath;
  g_nProfilePaths = 1;
}

int PluginMessageBox(const char* pszText, UINT nStyle) {
  return MessageBoxA(nullptr, pszText, "Plug-in", nStyle);
}

void AcquireColorEngine() {
  if (g_pColorEngine == nullptr) {
    g_pColorEngine = new CColorEngine;
    g_bEngineReady = g_pColorEngine->Load();
    g_nEngineUsers = 0;
  }
  ++g_nEngineUsers;
}

void ReleaseColorEngine() {
  if (g_nEngineUsers > 0) --g_nEngineUsers;
  if (g_nEngineUsers == 0 && g_pColorEngine != nullptr) {
    delete g_pColorEngine;
    g_pColorEngine = nullptr;
  }
}

void RetainColorEngine() {
  if (g_pColorEngine != nullptr) ++g_nEngineUsers;
}

int ColorEngineUsers() { return g_nEngineUsers; }
