// CListBox: the framework's object for a list box control (the "LISTBOX" class); each
// operation is the list box message of the same name.
#pragma once

#include <mfc/string.h>
#include <mfc/wnd.h>

class CListBox : public CWnd {
  DECLARE_DYNAMIC(CListBox)

 public:
  CListBox();

  int GetCount() const;
  // The selected index, or LB_ERR when nothing is selected.
  int GetCurSel() const;
  // nSelect -1 removes the selection. The index, or LB_ERR.
  int SetCurSel(int nSelect);
  // Copies the entry and its terminator into lpszBuffer, which must hold
  // GetTextLen(nIndex) + 1 bytes. The length, or LB_ERR.
  int GetText(int nIndex, LPTSTR lpszBuffer) const;
  // Empty for an index that is not in the list.
  void GetText(int nIndex, CString& rString) const;
  // The entry's length without the terminator, or LB_ERR.
  int GetTextLen(int nIndex) const;
  // The entry's index (in sort order for a sorted list), LB_ERR or LB_ERRSPACE.
  int AddString(LPCTSTR lpszItem);
  void ResetContent();
};
