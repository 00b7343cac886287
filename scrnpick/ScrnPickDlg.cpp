// CScrnPickDlg: filling the list from the engine's enumeration, and confirming.
#include "scrnpick/ScrnPickDlg.h"

#include <zirn.h>

#include <cstdint>
#include <cstring>

CScrnPickDlg::CScrnPickDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

BEGIN_MESSAGE_MAP(CScrnPickDlg, CDialog)
  ON_LBN_DBLCLK(IDC_PROFILE_LIST, OnDblclkProfileList)
END_MESSAGE_MAP()

void CScrnPickDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROFILE_LIST, m_lstProfiles);
}

BOOL CScrnPickDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  int32_t nCursor1 = 0;
  int32_t nCursor2 = 0;
  char szName[260];
  char szSecond[260];
  std::memset(szName, 0, sizeof szName);
  std::memset(szSecond, 0, sizeof szSecond);
  while (enum_profiles_by_classification(0, &nCursor1, &nCursor2, szName, szSecond, sizeof szName) >
         0) {
    // An engine that fills the whole buffer leaves no terminator.
    szName[sizeof szName - 1] = '\0';
    // A full list also ends the enumeration, so an engine that never ends cannot
    // keep the dialog from showing.
    if (m_lstProfiles.AddString(szName) < 0) break;
  }
  m_lstProfiles.SetCurSel(0);
  return TRUE;
}

void CScrnPickDlg::OnOK() {
  const int nSel = m_lstProfiles.GetCurSel();
  if (nSel != LB_ERR) {
    char szName[256];
    std::memset(szName, 0, sizeof szName);
    // A name longer than the buffer would reach the engine cut, naming another
    // profile or none: the setting is then left as it was.
    const int nLength = m_lstProfiles.GetTextLen(nSel);
    if (nLength >= 0 && nLength < static_cast<int>(sizeof szName) &&
        m_lstProfiles.GetText(nSel, szName) != LB_ERR) {
      ZIRN_SetMonitorProfile(szName);
    }
  }
  CDialog::OnOK();
}

void CScrnPickDlg::OnDblclkProfileList() { OnOK(); }
