// CPrintDialog: the record, the modal run and what the dialog chose.
#include <afxdlgs.h>

IMPLEMENT_DYNAMIC(CPrintDialog, CWnd)

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : m_pd{} {
  m_pd.lStructSize = sizeof(m_pd);
  m_pd.hwndOwner = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
  m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
  m_pd.Flags &= ~static_cast<DWORD>(PD_RETURNIC);
}

int CPrintDialog::DoModal() { return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL; }

int CPrintDialog::GetCopies() const { return m_pd.nCopies; }

HDC CPrintDialog::GetPrinterDC() const { return m_pd.hDC; }
