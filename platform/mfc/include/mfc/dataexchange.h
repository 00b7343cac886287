// Dialog data exchange: CDataExchange carries one exchange between a dialog and its
// members (CDialog::UpdateData makes one for DoDataExchange); the DDX_ functions
// exchange one control each.
#pragma once

#include <windows.h>

class CWnd;

class CDataExchange {
 public:
  // bSaveAndValidate: TRUE to read the controls into the members, FALSE to show the
  // members in the controls.
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl;  // the control PrepareCtrl found last

  // The dialog's control nIDC; Fail() when the dialog has none.
  HWND PrepareCtrl(int nIDC);
  // Ends the exchange: UpdateData returns FALSE.
  [[noreturn]] void Fail();
};

// Binds rControl to the dialog's control nIDC by subclassing it, the first time;
// later exchanges leave a bound object alone. Fail() when there is no such control or
// another object holds it.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
