// CPrintDialog: the common print and print-setup dialogs.
//
// The constructor fills m_pd as the framework does: the flags as given, plus
// PD_PRINTSETUP for a print-setup dialog or PD_RETURNDC for a print dialog, never
// PD_RETURNIC. DoModal asks the person at the screen through PrintDlgA. The printer
// device context belongs to the caller, who deletes it with DeleteDC.
#pragma once

#include <commdlg.h>
#include <mfc/wnd.h>

class CPrintDialog : public CWnd {
  DECLARE_DYNAMIC(CPrintDialog)

 public:
  explicit CPrintDialog(BOOL bPrintSetupOnly,
                        DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                        PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                        CWnd* pParentWnd = nullptr);

  PRINTDLGA m_pd;

  // IDOK when a printer was chosen; IDCANCEL when the dialog was cancelled or
  // failed (CommDlgExtendedError tells which).
  virtual int DoModal();

  // The number of copies chosen. There are no DEVMODE blocks here, so with
  // PD_USEDEVMODECOPIES too the count is the record's nCopies; the printer makes
  // exactly the pages it is given.
  int GetCopies() const;
  // The printer chosen by a print dialog; NULL before DoModal, after a cancel, and
  // for a print-setup dialog.
  HDC GetPrinterDC() const;
};
