// CDialog: a dialog box made from a dialog template resource and run modally.
//
// DoModal finds the template by its number (platform::FindDialogResource), makes the
// dialog window and its controls with this object attached from the dialog's first
// message, and runs the modal loop, which the person at the screen drives
// (platform::RunModalDialog). WM_INITDIALOG reaches OnInitDialog through the dialog
// procedure AfxDlgProc; the commands IDOK and IDCANCEL (the buttons, Enter, Escape,
// the close box) reach OnOK and OnCancel, which end the dialog. The window is
// destroyed before DoModal returns.
#pragma once

#include <mfc/dataexchange.h>
#include <mfc/msgmap.h>
#include <mfc/wnd.h>

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // The result given to EndDialog (IDOK, IDCANCEL, ...); -1 when there is no template
  // of that number, when the dialog cannot be made, or when this object has a window.
  virtual int DoModal();
  void EndDialog(int nResult);

  // Runs DoDataExchange; FALSE when the exchange failed (CDataExchange::Fail).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  // Shows the members in the controls (UpdateData(FALSE)); a dialog whose controls
  // cannot be exchanged ends at once with -1. Returns TRUE (the default focus).
  virtual BOOL OnInitDialog();

 protected:
  // Nothing to exchange here.
  virtual void DoDataExchange(CDataExchange* pDX);
  // UpdateData, then EndDialog(IDOK) when the exchange succeeded.
  virtual void OnOK();
  // EndDialog(IDCANCEL).
  virtual void OnCancel();

  UINT m_nIDHelp;  // the template's number
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()
};

// The framework dialogs' dialog procedure: WM_INITDIALOG goes to the attached
// CDialog's OnInitDialog; nothing else is handled here (the message map has it).
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
