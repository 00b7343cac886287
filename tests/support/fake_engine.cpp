#include "fake_engine.h"

#include "color/ColorEngine.h"
#include "viewer/ModuleState.h"

#include <cstring>

namespace testsupport {

namespace {

FakeEngine* g_pFake = nullptr;

int16_t WINAPI GetMonitorProfile(char** ppszName) noexcept {
  g_pFake->calls.push_back("GetMonitorProfile");
  *ppszName = g_pFake->monitorName.data();
  return g_pFake->nMonitorResult;
}

int16_t WINAPI GetProfileName(const char* pszPath, char* pszName) noexcept {
  g_pFake->calls.push_back(std::string("GetProfileName ") + pszPath);
  if (g_pFake->nProfileNameResult <= 0) {
    std::memset(pszName, 'Z', kProfileNameSize);  // no defined text
    return g_pFake->nProfileNameResult;
  }
  std::strncpy(pszName, g_pFake->profileName.c_str(), kProfileNameSize);
  return g_pFake->nProfileNameResult;
}

int16_t WINAPI BeginMatchingSession(const char* pszSource, const char* pszMonitor) noexcept {
  g_pFake->calls.push_back(std::string("Begin ") + pszSource + " " + pszMonitor);
  g_pFake->beginSources.push_back(pszSource);
  return g_pFake->nBeginResult;
}

int16_t WINAPI EndMatching() noexcept {
  g_pFake->calls.push_back("End");
  return 0;
}

int16_t WINAPI Match(int32_t nCount, MatchColor* pColors) noexcept {
  g_pFake->matchCounts.push_back(nCount);
  for (int32_t i = 0; i < nCount; ++i) g_pFake->matchInputs.push_back(pColors[i]);
  if (g_pFake->matchCounts.size() == g_pFake->nFailMatchAt) return 1;
  for (int32_t i = 0; i < nCount; ++i) {
    MatchColor c = pColors[i];
    pColors[i] =
        g_pFake->fixedResult ? *g_pFake->fixedResult : MatchColor{{c.c[2], c.c[0], c.c[1], 0x7777}};
  }
  return nCount == 1 ? g_pFake->nMatchResult : g_pFake->nMapMatchResult;
}

int16_t WINAPI Unused(const char*) noexcept { return 0; }

void ResetProfileState() {
  g_bEmbeddedProfile = 0;
  g_nProfilePaths = 0;
  for (CString& path : g_strProfilePaths) path.Empty();
}

}  // namespace

FakeEngine::FakeEngine() {
  g_pFake = this;
  auto* pEngine = new CColorEngine;
  pEngine->m_pfnGetMonitorProfile = GetMonitorProfile;
  pEngine->m_pfnSetMonitorProfile = Unused;
  pEngine->m_pfnDisposeProfile = Unused;
  pEngine->m_pfnGetProfileName = GetProfileName;
  pEngine->m_pfnBeginMatchingSession = BeginMatchingSession;
  pEngine->m_pfnEndMatching = EndMatching;
  pEngine->m_pfnMatch = Match;
  g_pColorEngine = pEngine;
  g_bEngineReady = 1;
  g_strWindowsDir = WindowsDir().c_str();
  ResetProfileState();
}

FakeEngine::~FakeEngine() {
  delete g_pColorEngine;
  g_pColorEngine = nullptr;
  g_bEngineReady = 0;
  ResetProfileState();
  g_pFake = nullptr;
}

}  // namespace testsupport
