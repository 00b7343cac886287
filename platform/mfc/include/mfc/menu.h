// CMenu: the framework's menu object, over the user32 pop-up menus.
//
// A CMenu owns the menu it holds (m_hMenu): the destructor destroys an attached
// menu, Detach hands it back. There is no handle map: FromHandle is not provided,
// as nothing here needs to find a menu's object again from its handle.
#pragma once

#include <mfc/object.h>

#include <windows.h>

class CWnd;

class CMenu : public CObject {
  DECLARE_DYNCREATE(CMenu)

 public:
  CMenu();
  ~CMenu() override;

  HMENU m_hMenu;
  operator HMENU() const { return m_hMenu; }
  HMENU GetSafeHmenu() const { return m_hMenu; }

  // FALSE for a null or stale handle, or when this object holds a menu already.
  BOOL Attach(HMENU hMenu);
  HMENU Detach();

  // CreatePopupMenu, then Attach; FALSE when this object holds a menu already or
  // no menu can be made.
  BOOL CreatePopupMenu();
  // Destroys the menu held and detaches it; FALSE when there is none.
  BOOL DestroyMenu();

  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
  UINT GetMenuItemCount() const;
  UINT GetMenuItemID(int nPos) const;

  // ::TrackPopupMenu with pWnd's window as the owner (which gets the WM_COMMAND);
  // FALSE for a null pWnd. With TPM_RETURNCMD, the id chosen.
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
};
