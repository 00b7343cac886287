// CClientDC: a context on a window's client area for as long as the object lives
// (GetDC, ReleaseDC). A window without a context leaves the object without one
// (drawing on it fails).
#pragma once

#include <mfc/dc.h>
#include <mfc/wnd.h>

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};
