// The binding to the colour engine ZIRN.DLL, found on the search path and bound at
// run time. The engine binds only when the marker library TALVERIN.DLL is on the
// search path too; the marker itself is never loaded.
#pragma once

#include <afx.h>
#include <windows.h>

#include "color/ZirnApi.h"

class CColorEngine : public CObject {
 public:
  CColorEngine();
  ~CColorEngine() override;

  // Finds and binds the engine: 1 when the library and all eight entry points were
  // found, else 0. Shows no message.
  int Load();

  // The engine dialog library's About box.
  void ShowAbout();

  HMODULE m_hModule;
  CString m_strPath;
  ZIRN_GetMonitorProfileProc m_pfnGetMonitorProfile;
  ZIRN_SetMonitorProfileProc m_pfnSetMonitorProfile;
  ZIRN_DisposeProfileProc m_pfnDisposeProfile;
  ZIRN_GetProfileNameProc m_pfnGetProfileName;
  ZIRN_BeginMatchingSessionProc m_pfnBeginMatchingSession;
  ZIRN_EndMatchingProc m_pfnEndMatching;
  ZIRN_MatchProc m_pfnMatch;
  EnumProfilesByClassificationProc m_pfnEnumProfilesByClassification;
};
