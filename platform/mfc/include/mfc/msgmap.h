// Message maps: each class's table of the messages it handles, chained to its base
// class's table, so a message without an entry in the derived class is looked up
// in the base classes in turn.
//
//   class CMyWnd : public CWnd {
//     afx_msg void OnPaint();
//     afx_msg void OnOpen();
//     DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//     ON_WM_PAINT()
//     ON_COMMAND(1000, OnOpen)
//   END_MESSAGE_MAP()
//
// An entry holds a small function made by its macro that unpacks wParam and lParam
// into the handler's arguments and calls it. The macro names the handler through a
// member pointer of the exact signature, so a handler with another signature does
// not compile.
#pragma once

#include <mfc/point.h>

#include <windows.h>

class CCmdTarget;
class CWnd;
class CScrollBar;

#define afx_msg

// Menu commands and button clicks share notification code 0.
#define CN_COMMAND 0

// Window messages are matched by number; commands and control notifications
// (WM_COMMAND) by notification code and identifier range.
enum AfxSig : UINT { AfxSig_msg = 0, AfxSig_cmd = 1 };

using AFX_PMSGTHUNK = LRESULT (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // 0 ends the table
  UINT nCode;     // commands: the notification code
  UINT nID;       // commands: the first identifier
  UINT nLastID;   // commands: the last identifier
  AfxSig nSig;
  AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root of the chain
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// The standard scroll bars have no control behind them: null, unless a CScrollBar
// object is attached to the window in lParam.
CScrollBar* AfxScrollBarFromHandle(HWND hWnd);
// The object for a window handle in a message (CWnd::FromHandle).
CWnd* AfxWndFromHandle(HWND hWnd);

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

// The map opens a brace that END_MESSAGE_MAP closes, which the formatter cannot follow.
// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
    using ThisClass [[maybe_unused]] = theClass;                                       \
    using TheBaseClass = baseClass;                                                    \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                              \
  {0, 0, 0, 0, AfxSig_msg, nullptr}};                                                  \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                  \
  }
// clang-format on

// The handler as a member pointer of exactly that signature, called on pTarget.
#define AFX_MSG_CALL(memberFxn, signature) \
  (static_cast<ThisClass*>(pTarget)->*static_cast<signature>(&ThisClass::memberFxn))

#define AFX_MSG_ENTRY(message, body)                       \
  {message,                                                \
   0,                                                      \
   0,                                                      \
   0,                                                      \
   AfxSig_msg,                                             \
   [](CCmdTarget* pTarget, [[maybe_unused]] WPARAM wParam, \
      [[maybe_unused]] LPARAM lParam) -> LRESULT { body }},

#define ON_WM_PAINT() \
  AFX_MSG_ENTRY(WM_PAINT, AFX_MSG_CALL(OnPaint, void (ThisClass::*)())(); return 0;)
#define ON_WM_CREATE()                                                                        \
  AFX_MSG_ENTRY(WM_CREATE, return AFX_MSG_CALL(OnCreate, int(ThisClass::*)(LPCREATESTRUCTA))( \
                               reinterpret_cast<LPCREATESTRUCTA>(lParam));)
#define ON_WM_DESTROY() \
  AFX_MSG_ENTRY(WM_DESTROY, AFX_MSG_CALL(OnDestroy, void (ThisClass::*)())(); return 0;)
#define ON_WM_NCDESTROY() \
  AFX_MSG_ENTRY(WM_NCDESTROY, AFX_MSG_CALL(OnNcDestroy, void (ThisClass::*)())(); return 0;)
#define ON_WM_SIZE()                                                                     \
  AFX_MSG_ENTRY(WM_SIZE, AFX_MSG_CALL(OnSize, void (ThisClass::*)(UINT, int, int))(      \
                             static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); \
                return 0;)
#define ON_WM_PALETTECHANGED()                                                                 \
  AFX_MSG_ENTRY(WM_PALETTECHANGED, AFX_MSG_CALL(OnPaletteChanged, void (ThisClass::*)(CWnd*))( \
                                       AfxWndFromHandle(reinterpret_cast<HWND>(wParam)));      \
                return 0;)
#define AFX_ON_BUTTON(message, memberFxn)                                                    \
  AFX_MSG_ENTRY(message, AFX_MSG_CALL(memberFxn, void (ThisClass::*)(UINT, CPoint))(         \
                             static_cast<UINT>(wParam), CPoint(static_cast<DWORD>(lParam))); \
                return 0;)
#define ON_WM_LBUTTONDOWN() AFX_ON_BUTTON(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_RBUTTONDOWN() AFX_ON_BUTTON(WM_RBUTTONDOWN, OnRButtonDown)
#define AFX_ON_SCROLL(message, memberFxn)                                                       \
  AFX_MSG_ENTRY(message, AFX_MSG_CALL(memberFxn, void (ThisClass::*)(UINT, UINT, CScrollBar*))( \
                             LOWORD(wParam), HIWORD(wParam),                                    \
                             AfxScrollBarFromHandle(reinterpret_cast<HWND>(lParam)));           \
                return 0;)
#define ON_WM_HSCROLL() AFX_ON_SCROLL(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() AFX_ON_SCROLL(WM_VSCROLL, OnVScroll)
// Any message, for a handler LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                          \
  AFX_MSG_ENTRY(message, return AFX_MSG_CALL(memberFxn, LRESULT(ThisClass::*)(WPARAM, LPARAM))( \
                             wParam, lParam);)

// WM_COMMAND from a menu, an accelerator or a control: a handler void f().
#define ON_CONTROL(wNotifyCode, id, memberFxn)          \
  {WM_COMMAND,                                          \
   static_cast<UINT>(wNotifyCode),                      \
   static_cast<UINT>(id),                               \
   static_cast<UINT>(id),                               \
   AfxSig_cmd,                                          \
   [](CCmdTarget* pTarget, WPARAM, LPARAM) -> LRESULT { \
     AFX_MSG_CALL(memberFxn, void (ThisClass::*)())();  \
     return 0;                                          \
   }},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(CN_COMMAND, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
