// CWnd: the framework's window object.
//
// A CWnd stands for one window handle (m_hWnd). Attach makes it the handle's
// permanent object, which FromHandlePermanent finds and the framework's window
// procedure (AfxWndProc) dispatches to; FromHandle also makes temporary objects for
// handles nobody attached. SubclassWindow attaches and installs AfxWndProc as the
// window's procedure, keeping the previous one in m_pfnSuper: messages without a
// map entry, and Default(), go on to it.
//
// A message reaches WindowProc, then OnWndMsg, which looks it up in the message
// map (derived class first, then each base) and calls the handler; WM_COMMAND goes
// through OnCommand to the command entries. What finds no entry goes to
// DefWindowProc. The message being handled is kept per thread, so Default() inside
// a handler passes on exactly that message, nested messages included. A framework
// exception (CException*) that escapes a handler stops at the window procedure.
//
// Maps of handles are per thread, as the framework's are.
#pragma once

#include <mfc/cmdtarget.h>
#include <mfc/msgmap.h>
#include <mfc/point.h>
#include <mfc/rect.h>
#include <mfc/string.h>

#include <windows.h>

class CDC;
class CRgn;

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)

 public:
  CWnd();
  // Destroys a window that is still attached (detach first to keep it).
  ~CWnd() override;

  HWND m_hWnd;
  // The procedure the window had before SubclassWindow; null when not subclassed.
  WNDPROC m_pfnSuper;

  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Null for a null handle; a temporary object for a window nobody attached
  // (it lives until DeleteTempMap).
  static CWnd* PASCAL FromHandle(HWND hWnd);
  static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
  static void PASCAL DeleteTempMap();

  // FALSE for a null or stale handle, when this object is attached already, or
  // when another object is the handle's permanent one.
  BOOL Attach(HWND hWndNew);
  HWND Detach();
  // Attach, then AfxWndProc becomes the window's procedure; FALSE as for Attach.
  BOOL SubclassWindow(HWND hWnd);
  // Puts the previous procedure back and detaches; the handle, or NULL.
  HWND UnsubclassWindow();
  virtual WNDPROC* GetSuperWndProcAddr();

  // Creates the window with this object attached from its first message on
  // (WM_NCCREATE), so WM_CREATE already reaches the message map; the class's own
  // procedure becomes m_pfnSuper. FALSE when this object has a window or the
  // creation fails.
  virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                        HMENU nIDorHMenu, LPVOID lpParam = nullptr);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // TRUE when a map entry handled the message, with its result in *pResult.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // WM_COMMAND: the command entries for LOWORD(wParam), with notification code
  // HIWORD(wParam) from a control (lParam) or CN_COMMAND from a menu.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // The previous procedure for a subclassed window, else DefWindowProcA.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProc with the message now being handled; 0 outside a message.
  LRESULT Default();
  // Called after WM_NCDESTROY has detached the object; does nothing here.
  virtual void PostNcDestroy();

  virtual BOOL DestroyWindow();
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const;
  void SetWindowText(LPCTSTR lpszString);
  void GetWindowText(CString& rString) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);

  // A context on the client area (see CClientDC for a scoped one); give it back
  // with ReleaseDC, which also deletes the object. Null when there is no window.
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);

  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void ValidateRect(LPCRECT lpRect);
  void UpdateWindow();
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;

  void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
  void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
  BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
  int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
  int GetScrollPos(int nBar) const;
  // There are no region objects here: with prgnUpdate this returns ERROR.
  int ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, CRgn* prgnUpdate,
                     LPRECT lpRectUpdate, UINT flags);

 protected:
  // The default handlers pass the message on (Default).
  afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaletteChanged(CWnd* pFocusWnd);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  // Passes the message on, then detaches: the window is going.
  afx_msg void OnNcDestroy();

  DECLARE_MESSAGE_MAP()
};

// The framework's window procedure: dispatches to the window's permanent object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Calls pWnd->WindowProc with the message recorded as the one being handled.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
