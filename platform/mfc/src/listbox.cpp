// CListBox: list box messages, sent to the control.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CListBox, CWnd)

namespace {

LRESULT Send(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendMessageA(hWnd, message, wParam, lParam);
}

}  // namespace

CListBox::CListBox() = default;

int CListBox::GetCount() const { return static_cast<int>(Send(m_hWnd, LB_GETCOUNT)); }

int CListBox::GetCurSel() const { return static_cast<int>(Send(m_hWnd, LB_GETCURSEL)); }

int CListBox::SetCurSel(int nSelect) {
  return static_cast<int>(Send(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(nSelect)));
}

int CListBox::GetText(int nIndex, LPTSTR lpszBuffer) const {
  return static_cast<int>(
      Send(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszBuffer)));
}

void CListBox::GetText(int nIndex, CString& rString) const {
  const int nLength = GetTextLen(nIndex);
  if (nLength == LB_ERR) {
    rString.Empty();
    return;
  }
  GetText(nIndex, rString.GetBufferSetLength(nLength));
  rString.ReleaseBuffer();
}

int CListBox::GetTextLen(int nIndex) const {
  return static_cast<int>(Send(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(nIndex)));
}

int CListBox::AddString(LPCTSTR lpszItem) {
  return static_cast<int>(Send(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)));
}

void CListBox::ResetContent() { Send(m_hWnd, LB_RESETCONTENT); }
