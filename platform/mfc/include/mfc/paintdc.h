// CPaintDC: the context of one WM_PAINT, from BeginPaint to EndPaint, which
// validates the update region. m_ps holds what BeginPaint reported. A window that
// cannot be painted leaves the object without a context (drawing on it fails).
#pragma once

#include <mfc/dc.h>
#include <mfc/wnd.h>

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  PAINTSTRUCT m_ps;

 protected:
  HWND m_hWnd;
};
