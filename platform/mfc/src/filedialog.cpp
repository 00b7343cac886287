// CFileDialog: the record, the modal run and the parts of the path chosen.
#include <afxdlgs.h>

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFileDialog, CWnd)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_szFileName{}, m_szFileTitle{} {
  if (lpszDefExt != nullptr) m_strDefExt = lpszDefExt;
  if (lpszFileName != nullptr) {
    const std::size_t length = strnlen(lpszFileName, _MAX_PATH - 1);
    std::memcpy(m_szFileName, lpszFileName, length);
  }
  if (lpszFilter != nullptr) {
    m_filter = lpszFilter;
    std::replace(m_filter.begin(), m_filter.end(), '|', '\0');
    // A filter written without its closing "||" still ends the list.
    m_filter.append(2, '\0');
  }
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.hwndOwner = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
  m_ofn.lpstrFilter = lpszFilter != nullptr ? m_filter.c_str() : nullptr;
  m_ofn.nFilterIndex = 1;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = _MAX_PATH;
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = _MAX_FNAME;
  m_ofn.lpstrDefExt = lpszDefExt != nullptr ? static_cast<LPCTSTR>(m_strDefExt) : nullptr;
  m_ofn.Flags = dwFlags;
}

int CFileDialog::DoModal() {
  const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  return CString(m_ofn.lpstrFile, static_cast<int>(strnlen(m_ofn.lpstrFile, m_ofn.nMaxFile)));
}

CString CFileDialog::GetFileName() const {
  const CString path = GetPathName();
  const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
  return path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot < 0 ? name : name.Left(dot);
}
