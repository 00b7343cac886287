#include "color/ColorEngine.h"

namespace {

constexpr DWORD kSearchBufferSize = 255;

// The dialog library is imported at load time with both of its functions, so a
// dialog library without either stops the module from loading. Nothing calls the
// profile setup: kept as used, the table holds its import where the compiler would
// drop it.
[[gnu::used]] int(WINAPI* const kImportedDialogFunctions[])(void) = {ZirnDlg_ProfileSetup,
                                                                     ZirnDlg_About};

template <class Proc>
bool Bind(HMODULE hModule, const char* pszName, Proc& pfn) {
  // void(*)() is the generic function pointer type the compiler lets us convert through.
  pfn = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, pszName)));
  return pfn != nullptr;
}

}  // namespace

CColorEngine::CColorEngine()
    : m_hModule(nullptr),
      m_pfnGetMonitorProfile(nullptr),
      m_pfnSetMonitorProfile(nullptr),
      m_pfnDisposeProfile(nullptr),
      m_pfnGetProfileName(nullptr),
      m_pfnBeginMatchingSession(nullptr),
      m_pfnEndMatching(nullptr),
      m_pfnMatch(nullptr),
      m_pfnEnumProfilesByClassification(nullptr) {}

CColorEngine::~CColorEngine() {
  if (m_hModule != nullptr) FreeLibrary(m_hModule);
}

int CColorEngine::Load() {
  char szPath[kSearchBufferSize + 1] = {};
  DWORD nLength = SearchPathA(nullptr, "ZIRN.DLL", nullptr, kSearchBufferSize, szPath, nullptr);
  if (nLength > 0 && nLength < kSearchBufferSize) m_strPath = szPath;

  char szMarker[kSearchBufferSize + 1] = {};
  nLength = SearchPathA(nullptr, "TALVERIN.DLL", nullptr, kSearchBufferSize, szMarker, nullptr);
  if (nLength == 0 || nLength >= kSearchBufferSize) return 0;

  if (m_strPath.IsEmpty()) return 0;
  m_hModule = LoadLibraryA(m_strPath);
  if (m_hModule == nullptr) return 0;

  // Every entry point is looked up, so that a partial engine leaves no stale pointer.
  bool bAll = Bind(m_hModule, "ZIRN_GetMonitorProfile", m_pfnGetMonitorProfile);
  bAll &= Bind(m_hModule, "ZIRN_SetMonitorProfile", m_pfnSetMonitorProfile);
  bAll &= Bind(m_hModule, "ZIRN_DisposeProfile", m_pfnDisposeProfile);
  bAll &= Bind(m_hModule, "ZIRN_GetProfileName", m_pfnGetProfileName);
  bAll &= Bind(m_hModule, "ZIRN_BeginMatchingSession", m_pfnBeginMatchingSession);
  bAll &= Bind(m_hModule, "ZIRN_EndMatching", m_pfnEndMatching);
  bAll &= Bind(m_hModule, "ZIRN_Match", m_pfnMatch);
  bAll &= Bind(m_hModule, "enum_profiles_by_classification", m_pfnEnumProfilesByClassification);
  return bAll ? 1 : 0;
}

void CColorEngine::ShowAbout() { ZirnDlg_About(); }
