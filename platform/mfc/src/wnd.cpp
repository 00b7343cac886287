// CWnd: handle maps, subclassing, the framework's window procedure and message
// dispatch, and the thin wrappers over user32.
#include <afxwin.h>

#include "handlemap.h"

#include <unordered_set>
#include <utility>

namespace {

using WndMap = platform::mfc::HandleMap<HWND, CWnd>;

WndMap& Map() {
  thread_local WndMap map([](CWnd& temporary) { temporary.m_hWnd = nullptr; });
  return map;
}

// The message the thread is handling now, for Default().
thread_local MSG t_lastSentMsg{};

// The object that CreateEx is creating a window for, until the creation hook has
// attached it.
thread_local CWnd* t_pWndInit = nullptr;

// The thread's creation hook, installed by the outermost CreateEx only: a window
// created from inside another's creation (a child made in WM_CREATE) uses it too.
thread_local HHOOK t_hHookCbtFilter = nullptr;

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pWndInit != nullptr) {
    CWnd* pWndInit = std::exchange(t_pWndInit, nullptr);
    pWndInit->SubclassWindow(reinterpret_cast<HWND>(wParam));
  }
  return ::CallNextHookEx(t_hHookCbtFilter, code, wParam, lParam);
}

// The device-context objects GetDC made, which ReleaseDC deletes.
std::unordered_set<CDC*>& WindowDCs() {
  thread_local std::unordered_set<CDC*> dcs;
  return dcs;
}

class CurrentMessage {
 public:
  CurrentMessage(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) : m_saved(t_lastSentMsg) {
    t_lastSentMsg = MSG{hWnd, nMsg, wParam, lParam, 0, POINT{}};
  }
  ~CurrentMessage() { t_lastSentMsg = m_saved; }
  CurrentMessage(const CurrentMessage&) = delete;
  CurrentMessage& operator=(const CurrentMessage&) = delete;

 private:
  MSG m_saved;
};

}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
  ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CScrollBar* AfxScrollBarFromHandle(HWND hWnd) {
  return dynamic_cast<CScrollBar*>(CWnd::FromHandlePermanent(hWnd));
}

CWnd* AfxWndFromHandle(HWND hWnd) { return CWnd::FromHandle(hWnd); }

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (pWnd == nullptr) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
  return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

// A framework exception must not unwind into the window system's caller (the
// browser): it ends here, deleted. A window whose creation or painting threw is
// treated as the framework treats it: creation fails, the paint is done.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CurrentMessage current(hWnd, nMsg, wParam, lParam);
  try {
    return pWnd->WindowProc(nMsg, wParam, lParam);
  } catch (CException* e) {
    e->Delete();
    if (nMsg == WM_CREATE) return -1;
    if (nMsg == WM_PAINT) ::ValidateRect(hWnd, nullptr);
    return 0;
  }
}

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

CWnd::~CWnd() {
  if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
  // A window whose procedure no longer reaches this object never sent it
  // WM_NCDESTROY: let go of the handle all the same.
  Detach();
}

// ----- handle maps ---------------------------------------------------------------

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
  if (hWnd == nullptr) return nullptr;
  if (CWnd* known = Map().Lookup(hWnd)) return known;
  auto wrapper = std::make_unique<CWnd>();
  wrapper->m_hWnd = hWnd;
  return Map().AddTemporary(hWnd, std::move(wrapper));
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
  if (hWnd == nullptr) return nullptr;
  return Map().LookupPermanent(hWnd);
}

void PASCAL CWnd::DeleteTempMap() { Map().DeleteTemporaries(); }

BOOL CWnd::Attach(HWND hWndNew) {
  if (hWndNew == nullptr || m_hWnd != nullptr || !::IsWindow(hWndNew) ||
      FromHandlePermanent(hWndNew) != nullptr) {
    return FALSE;
  }
  m_hWnd = hWndNew;
  Map().SetPermanent(hWndNew, this);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd != nullptr && FromHandlePermanent(hWnd) == this) Map().RemovePermanent(hWnd);
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  WNDPROC* lplpfn = GetSuperWndProcAddr();
  auto oldWndProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongA(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
  // A window left running AfxWndProc by an object that detached without putting its
  // procedure back has nothing earlier to pass messages to.
  *lplpfn = oldWndProc == AfxWndProc ? nullptr : oldWndProc;
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd == nullptr) return nullptr;
  WNDPROC* lplpfn = GetSuperWndProcAddr();
  if (*lplpfn != nullptr) {
    ::SetWindowLongA(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(*lplpfn));
    *lplpfn = nullptr;
  }
  return Detach();
}

WNDPROC* CWnd::GetSuperWndProcAddr() { return &m_pfnSuper; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam) {
  if (m_hWnd != nullptr) return FALSE;
  CWnd* pOuterInit = std::exchange(t_pWndInit, this);
  const bool bInstalled = t_hHookCbtFilter == nullptr;
  if (bInstalled) t_hHookCbtFilter = ::SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, nullptr, 0);
  HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth,
                                nHeight, hWndParent, nIDorHMenu, nullptr, lpParam);
  if (bInstalled) {
    ::UnhookWindowsHookEx(t_hHookCbtFilter);
    t_hHookCbtFilter = nullptr;
  }
  t_pWndInit = pOuterInit;
  // A refused creation sent WM_NCDESTROY, which detached this object again.
  return hWnd != nullptr && m_hWnd == hWnd;
}

// ----- dispatch ------------------------------------------------------------------

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if (!OnWndMsg(message, wParam, lParam, &lResult))
    lResult = DefWindowProc(message, wParam, lParam);
  return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *pResult = 1;
    return TRUE;
  }
  const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
  if (entry == nullptr) return FALSE;
  *pResult = entry->pfn(this, wParam, lParam);
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT nID = LOWORD(wParam);
  int nCode = HIWORD(wParam);
  // Menus send code 0 and accelerators code 1: both are commands.
  if (lParam == 0) nCode = CN_COMMAND;
  if (nID == 0) return FALSE;
  return OnCmdMsg(nID, nCode);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC pfnSuper = *GetSuperWndProcAddr();
  if (pfnSuper != nullptr) return ::CallWindowProcA(pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  if (t_lastSentMsg.hwnd == nullptr) return 0;
  return DefWindowProc(t_lastSentMsg.message, t_lastSentMsg.wParam, t_lastSentMsg.lParam);
}

void CWnd::PostNcDestroy() {}

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnPaletteChanged(CWnd*) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }

void CWnd::OnNcDestroy() {
  // Put the previous procedure back unless someone subclassed the window after us.
  auto current = reinterpret_cast<WNDPROC>(::GetWindowLongA(m_hWnd, GWL_WNDPROC));
  Default();
  WNDPROC* lplpfn = GetSuperWndProcAddr();
  if (m_hWnd != nullptr &&
      reinterpret_cast<WNDPROC>(::GetWindowLongA(m_hWnd, GWL_WNDPROC)) == current &&
      *lplpfn != nullptr) {
    ::SetWindowLongA(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(*lplpfn));
  }
  *lplpfn = nullptr;
  Detach();
  PostNcDestroy();
}

// ----- user32 wrappers -----------------------------------------------------------

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  const bool permanent = FromHandlePermanent(m_hWnd) == this;
  BOOL result = ::DestroyWindow(m_hWnd);
  // WM_NCDESTROY detaches a permanent object; any other one lets go here.
  if (!permanent) m_hWnd = nullptr;
  return result;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const {
  int nLength = ::GetWindowTextLengthA(m_hWnd);
  ::GetWindowTextA(m_hWnd, rString.GetBufferSetLength(nLength), nLength + 1);
  rString.ReleaseBuffer();
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

CDC* CWnd::GetDC() {
  HDC hDC = ::GetDC(m_hWnd);
  if (hDC == nullptr) return nullptr;
  auto pDC = std::make_unique<CDC>();
  pDC->Attach(hDC);
  WindowDCs().insert(pDC.get());
  return pDC.release();
}

int CWnd::ReleaseDC(CDC* pDC) {
  if (pDC == nullptr) return 0;
  if (WindowDCs().erase(pDC) == 0) return ::ReleaseDC(m_hWnd, pDC->m_hDC);
  int result = ::ReleaseDC(m_hWnd, pDC->Detach());
  delete pDC;
  return result;
}

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }

void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }

void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }

void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }

void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }

void CWnd::ClientToScreen(LPRECT lpRect) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }

void CWnd::ScreenToClient(LPRECT lpRect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
}

void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
  ::GetScrollRange(m_hWnd, nBar, lpMinPos, lpMaxPos);
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) {
  ::ShowScrollBar(m_hWnd, static_cast<int>(nBar), bShow);
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
  if (lpScrollInfo == nullptr) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
  return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
  if (lpScrollInfo == nullptr) return FALSE;
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  lpScrollInfo->fMask = nMask;
  return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
  return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw);
}

int CWnd::GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }

int CWnd::ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, CRgn* prgnUpdate,
                         LPRECT lpRectUpdate, UINT flags) {
  if (prgnUpdate != nullptr) return ERROR;
  return ::ScrollWindowEx(m_hWnd, dx, dy, lpRectScroll, lpRectClip, nullptr, lpRectUpdate, flags);
}
