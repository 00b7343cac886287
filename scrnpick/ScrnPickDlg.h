// CScrnPickDlg: the chooser dialog (template 130). It lists the engine's monitor
// profiles, sorted, with the first selected; OK, Enter or a double click on an entry
// hands the selected name to the engine (ZIRN_SetMonitorProfile); Cancel, Escape and
// the close box end it without a word to the engine.
#pragma once

#include "scrnpick/Resource.h"

#include <afxwin.h>

class CScrnPickDlg : public CDialog {
 public:
  explicit CScrnPickDlg(CWnd* pParent = nullptr);

  enum { IDD = IDD_SCRNPICK_DIALOG };

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  afx_msg void OnDblclkProfileList();

  CListBox m_lstProfiles;  // control IDC_PROFILE_LIST

  DECLARE_MESSAGE_MAP()
};
