// CClientDC: GetDC in the constructor, ReleaseDC in the destructor.
#include <afxwin.h>

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr) {
  Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
  HDC hDC = Detach();
  if (hDC != nullptr) ::ReleaseDC(m_hWnd, hDC);
}
