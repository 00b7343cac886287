// CPaintDC: BeginPaint in the constructor, EndPaint in the destructor.
#include <afxwin.h>

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps{}, m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr) {
  Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
  // EndPaint releases the context, so the base class must not delete it again.
  Detach();
  ::EndPaint(m_hWnd, &m_ps);
}
