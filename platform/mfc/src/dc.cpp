// CDC: attaching device contexts, the context handle map, and the calls the system
// makes through the framework.
#include <afxwin.h>

#include "handlemap.h"

#include <cstring>

namespace {

using DCMap = platform::mfc::HandleMap<HDC, CDC>;

DCMap& Map() {
  thread_local DCMap map([](CDC& temporary) { temporary.m_hDC = temporary.m_hAttribDC = nullptr; });
  return map;
}

}  // namespace

IMPLEMENT_DYNCREATE(CDC, CObject)

CDC::CDC() : m_hDC(nullptr), m_hAttribDC(nullptr) {}

CDC::~CDC() {
  if (m_hDC != nullptr) ::DeleteDC(Detach());
}

CDC* PASCAL CDC::FromHandle(HDC hDC) {
  if (hDC == nullptr) return nullptr;
  if (CDC* known = Map().Lookup(hDC)) return known;
  auto wrapper = std::make_unique<CDC>();
  wrapper->m_hDC = wrapper->m_hAttribDC = hDC;
  return Map().AddTemporary(hDC, std::move(wrapper));
}

void PASCAL CDC::DeleteTempMap() { Map().DeleteTemporaries(); }

BOOL CDC::Attach(HDC hDC) {
  if (hDC == nullptr || m_hDC != nullptr) return FALSE;
  m_hDC = m_hAttribDC = hDC;
  Map().SetPermanent(hDC, this);
  return TRUE;
}

HDC CDC::Detach() {
  HDC hDC = m_hDC;
  if (hDC != nullptr) Map().RemovePermanent(hDC);
  m_hDC = m_hAttribDC = nullptr;
  return hDC;
}

BOOL CDC::DeleteDC() {
  if (m_hDC == nullptr) return FALSE;
  return ::DeleteDC(Detach());
}

int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hAttribDC, nIndex); }

CPalette* CDC::SelectPalette(CPalette* pPalette, BOOL bForceBackground) {
  HPALETTE hPalette = pPalette != nullptr ? static_cast<HPALETTE>(pPalette->m_hObject) : nullptr;
  return CPalette::FromHandle(::SelectPalette(m_hDC, hPalette, bForceBackground));
}

UINT CDC::RealizePalette() { return ::RealizePalette(m_hDC); }

int CDC::SetMapMode(int nMapMode) {
  int nRetVal = 0;
  if (m_hDC != m_hAttribDC) nRetVal = ::SetMapMode(m_hDC, nMapMode);
  if (m_hAttribDC != nullptr) nRetVal = ::SetMapMode(m_hAttribDC, nMapMode);
  return nRetVal;
}

int CDC::GetMapMode() const { return ::GetMapMode(m_hAttribDC); }

int CDC::SetStretchBltMode(int nStretchMode) {
  int nRetVal = 0;
  if (m_hDC != m_hAttribDC) nRetVal = ::SetStretchBltMode(m_hDC, nStretchMode);
  if (m_hAttribDC != nullptr) nRetVal = ::SetStretchBltMode(m_hAttribDC, nStretchMode);
  return nRetVal;
}

int CDC::GetStretchBltMode() const { return ::GetStretchBltMode(m_hAttribDC); }

int CDC::StartDoc(LPCTSTR lpszDocName) {
  DOCINFO di;
  std::memset(&di, 0, sizeof di);
  di.cbSize = sizeof di;
  di.lpszDocName = lpszDocName;
  return StartDoc(&di);
}

int CDC::StartDoc(LPDOCINFO lpDocInfo) { return ::StartDoc(m_hDC, lpDocInfo); }

int CDC::StartPage() { return ::StartPage(m_hDC); }

int CDC::EndPage() { return ::EndPage(m_hDC); }

int CDC::EndDoc() { return ::EndDoc(m_hDC); }

int CDC::AbortDoc() { return ::AbortDoc(m_hDC); }
