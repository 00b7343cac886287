#include "tiff/TiffMatcher.h"

#include "bitmap/Dib.h"
#include "color/ColorEngine.h"
#include "tiff/Tiff.h"
#include "viewer/ImgVuError.h"
#include "viewer/ModuleState.h"

namespace {

constexpr const char* kDefaultDisplay = "Default Display";

}  // namespace

CTiffMatcher::~CTiffMatcher() {
  if (m_bOn) g_pColorEngine->m_pfnEndMatching();
}

BOOL CTiffMatcher::MonitorProfile(CProfileLock* pLock, char** ppszMonitor) const {
  *ppszMonitor = nullptr;
  if (g_pColorEngine->m_pfnGetMonitorProfile(ppszMonitor) != 0 || *ppszMonitor == nullptr) {
    pLock->Release();
    PluginMessageBox("Failed in GetMonitorProfile");
    return FALSE;
  }
  if (_stricmp(*ppszMonitor, kDefaultDisplay) == 0) {
    pLock->Release();
    PluginMessageBox(
        "Please exit the application and run SCRNPICK program\n to set the monitor profile.",
        MB_ICONEXCLAMATION);
    return FALSE;
  }
  return TRUE;
}

void CTiffMatcher::Begin(CTIFF* pTIFF, ULONGLONG nBlockBytes, BOOL bMatchColorMap, BOOL bCmyk) {
  // The profile is this image's own, also when the path table was already full.
  if (!g_bEmbeddedProfile || !g_bEngineReady || g_pColorEngine == nullptr) return;
  if (pTIFF->m_strSourceProfile.IsEmpty()) return;
  char* pszMonitor = nullptr;
  if (!MonitorProfile(&pTIFF->m_lockProfile, &pszMonitor)) return;

  int16_t nResult =
      g_pColorEngine->m_pfnBeginMatchingSession(pTIFF->m_strSourceProfile, pszMonitor);
  pTIFF->m_lockProfile.Release();
  if (nResult != 0) {
    CString strMessage;
    strMessage.Format("Failed in BeginMatchingSession (error=>%d)", static_cast<int>(nResult));
    PluginMessageBox(strMessage);
    if (bCmyk) return;
  }
  m_bOn = TRUE;
  m_pfnMatch = g_pColorEngine->m_pfnMatch;
  if (!m_block.Allocate(nBlockBytes, FALSE)) CheckPointer(nullptr);
  if (bMatchColorMap) MatchColorMap(pTIFF);
}

void CTiffMatcher::MatchColorMap(CTIFF* pTIFF) const {
  int nEntries = pTIFF->m_nColorMapEntries;
  if (pTIFF->m_pColorMap == nullptr || nEntries <= 0) return;
  MatchColor aColors[256];
  for (int i = 0; i < nEntries; ++i) {
    const ColorMapEntry& entry = pTIFF->m_pColorMap[i];
    aColors[i] = {{entry.red, entry.green, entry.blue, 0}};
  }
  if (m_pfnMatch(nEntries, aColors) != 0) {
    g_pColorEngine->m_pfnEndMatching();
    PluginMessageBox("Failed in Matching");
    return;
  }
  for (int i = 0; i < nEntries; ++i) {
    pTIFF->m_pColorMap[i] = {aColors[i].c[0], aColors[i].c[1], aColors[i].c[2]};
  }
}

void CTiffMatcher::MatchCmyk(const BYTE* pCmyk, BYTE* pBgr) const {
  MatchColor color;
  SetMatchColor(&color, static_cast<uint16_t>(pCmyk[0] * 256),
                static_cast<uint16_t>(pCmyk[1] * 256), static_cast<uint16_t>(pCmyk[2] * 256),
                static_cast<uint16_t>(pCmyk[3] * 256));
  if (m_pfnMatch(1, &color) != 0) CheckPointer(nullptr);
  StoreBgr(color, pBgr);
}

void CTiffMatcher::End(CDIB* pDIB) {
  if (!m_bOn) return;
  m_bOn = FALSE;
  g_pColorEngine->m_pfnEndMatching();
  if (pDIB->m_hMatchedBits != nullptr) {
    GlobalUnlock(pDIB->m_hMatchedBits);
    GlobalFree(pDIB->m_hMatchedBits);
  }
  pDIB->m_hMatchedBits = m_block.Detach();
}
