// CFileDialog: the common open and save dialogs.
//
// The constructor fills m_ofn as the framework does: the default extension, the
// proposed name (cut to _MAX_PATH - 1 bytes) in the object's own buffer, the flags
// as given, and the filter with each '|' turned into the NUL the dialog expects.
// The object keeps its own copies of the strings, so they may be temporaries.
// There is no dialog window: DoModal asks the person at the screen through
// GetSaveFileNameA / GetOpenFileNameA.
#pragma once

#include <commdlg.h>
#include <mfc/string.h>
#include <mfc/wnd.h>

#include <string>

class CFileDialog : public CWnd {
  DECLARE_DYNAMIC(CFileDialog)

 public:
  CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
              DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
              CWnd* pParentWnd = nullptr);

  OPENFILENAMEA m_ofn;

  // IDOK when a file was chosen; IDCANCEL when the dialog was cancelled or failed
  // (CommDlgExtendedError tells which).
  virtual int DoModal();

  // The whole path chosen (before DoModal: the proposed name).
  CString GetPathName() const;
  // Its file name with extension, the extension alone (no dot), and the file name
  // without the extension.
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;

 protected:
  BOOL m_bOpenFileDialog;

 private:
  std::string m_filter;  // NUL-separated, ending in two NULs
  CString m_strDefExt;
  TCHAR m_szFileName[_MAX_PATH];
  TCHAR m_szFileTitle[_MAX_FNAME];
};
