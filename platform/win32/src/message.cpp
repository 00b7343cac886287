// Messages: sending, posting, the message loop and the default window procedure.
//
// SendMessageA calls the window's current procedure directly, so a subclassed
// window's messages reach the procedure installed last. WM_PAINT is never queued:
// the loop makes one for the first window, in tree order, that needs painting.
#include "framegeometry.h"
#include "messagequeue.h"
#include "scrolltracker.h"
#include "windowmanager.h"

#include <string>

using platform::user::MessageQueue;
using platform::user::Window;
using platform::user::WindowManager;

namespace {

bool InRange(UINT message, UINT minFilter, UINT maxFilter) {
  if (minFilter == 0 && maxFilter == 0) return true;
  return message >= minFilter && message <= maxFilter;
}

bool ForWindow(HWND target, HWND filter) {
  return filter == nullptr || target == filter || WindowManager::Get().IsDescendant(target, filter);
}

bool NeedsPaint(const Window& window) {
  return !platform::user::IsEmpty(window.update) || window.frameDirty;
}

// The first window under filter (all when NULL) that needs painting.
HWND FindPaint(HWND filter) {
  WindowManager& wm = WindowManager::Get();
  for (HWND top : wm.TopLevels()) {
    for (HWND hwnd : wm.Subtree(top)) {
      if (ForWindow(hwnd, filter) && NeedsPaint(*wm.Find(hwnd))) return hwnd;
    }
  }
  return nullptr;
}

LRESULT EraseBackground(HWND hwnd, HDC hdc) {
  Window* window = WindowManager::Get().Find(hwnd);
  if (window == nullptr || hdc == nullptr) return 0;
  HBRUSH brush = window->windowClass->background;
  if (brush == nullptr)
    brush = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
  RECT client = window->ClientRect();
  return FillRect(hdc, &client, brush) != 0 ? 1 : 0;
}

POINT PointOf(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT NonClientHitTest(HWND hwnd, LPARAM lParam) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.Find(hwnd);
  if (window == nullptr) return HTNOWHERE;
  const POINT origin = wm.OriginOnScreen(*window);
  const POINT screen = PointOf(lParam);
  return platform::user::HitTest(*window, {screen.x - origin.x, screen.y - origin.y});
}

LRESULT PassWheelToParent(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  Window* window = WindowManager::Get().Find(hwnd);
  if (window == nullptr || !window->IsChild()) return 0;
  return SendMessageA(window->parent, WM_MOUSEWHEEL, wParam, lParam);
}

}  // namespace

extern "C" {

/***********************************************************************
 * DefWindowProcA
 * The default handling: WM_NCCREATE succeeds, WM_PAINT validates the window,
 * WM_ERASEBKGND fills the client area with the class brush (COLOR_WINDOW without
 * one), WM_SETTEXT stores the text (a resource ordinal stores ""), WM_CLOSE destroys
 * the window. WM_NCHITTEST answers from the frame's geometry, the one the frame is
 * painted with; WM_NCLBUTTONDOWN on a scroll bar starts tracking it (scrolltracker.h);
 * a child passes WM_MOUSEWHEEL to its parent and returns the parent's answer. Every
 * other message returns 0.
 */
LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps) != nullptr) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_SETTEXT: {
      Window* window = WindowManager::Get().Find(hwnd);
      if (window == nullptr) return FALSE;
      // A small integer is a resource ordinal, not text.
      const auto text = reinterpret_cast<const char*>(lParam);
      window->text = static_cast<std::uintptr_t>(lParam) >= 0x10000 ? text : "";
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_NCHITTEST:
      return NonClientHitTest(hwnd, lParam);
    case WM_NCLBUTTONDOWN:
      if (wParam == HTVSCROLL || wParam == HTHSCROLL) {
        platform::user::ScrollTracker::Get().Start(hwnd, wParam == HTVSCROLL ? SB_VERT : SB_HORZ,
                                                   PointOf(lParam));
      }
      return 0;
    case WM_MOUSEWHEEL:
      return PassWheelToParent(hwnd, wParam, lParam);
    default:
      return 0;
  }
}

/***********************************************************************
 * CallWindowProcA
 * Calls proc with the message; 0 when proc is NULL.
 */
LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  if (proc == nullptr) return 0;
  return proc(hwnd, message, wParam, lParam);
}

/***********************************************************************
 * SendMessageA
 * Calls the window's current procedure directly and returns its result. 0 with
 * ERROR_INVALID_WINDOW_HANDLE for a stale window.
 */
LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return 0;
  WNDPROC proc = window->proc;
  return proc(hwnd, message, wParam, lParam);
}

/***********************************************************************
 * PostMessageA
 * Queues the message for the window (NULL: for the thread). FALSE with
 * ERROR_INVALID_WINDOW_HANDLE for a stale window.
 */
BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!MessageQueue::Get().Post(hwnd, message, wParam, lParam)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

/***********************************************************************
 * PostQuitMessage
 * Makes the next GetMessageA or PeekMessageA retrieve WM_QUIT with exitCode.
 */
void WINAPI PostQuitMessage(int exitCode) { MessageQueue::Get().PostQuit(exitCode); }

/***********************************************************************
 * PeekMessageA
 * Retrieves the first queued message in the filter range for hwnd or its
 * descendants (NULL: any), removed with PM_REMOVE. With nothing queued, a pending
 * quit, then a window that needs painting, is returned as WM_QUIT or WM_PAINT. FALSE
 * when nothing matches, for a null msg and for a stale window.
 */
BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT minFilter, UINT maxFilter, UINT removeFlags) {
  if (msg == nullptr) return FALSE;
  if (hwnd != nullptr && WindowManager::Get().FindOrFail(hwnd) == nullptr) return FALSE;
  auto matches = [&](const MSG& m) {
    if (!InRange(m.message, minFilter, maxFilter)) return false;
    return hwnd == nullptr || (m.hwnd != nullptr && ForWindow(m.hwnd, hwnd));
  };
  if (MessageQueue::Get().Take(msg, matches, (removeFlags & PM_REMOVE) != 0)) return TRUE;
  if (!InRange(WM_PAINT, minFilter, maxFilter)) return FALSE;
  HWND paint = FindPaint(hwnd);
  if (paint == nullptr) return FALSE;
  *msg = MSG{paint, WM_PAINT, 0, 0, platform::user::MessageTime(), POINT{}};
  return TRUE;
}

/***********************************************************************
 * GetMessageA
 * As PeekMessageA with PM_REMOVE, waiting until a message arrives. 0 for WM_QUIT,
 * -1 for a null msg or a stale window.
 */
BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT minFilter, UINT maxFilter) {
  if (msg == nullptr) return -1;
  MessageQueue& queue = MessageQueue::Get();
  for (;;) {
    if (hwnd != nullptr && WindowManager::Get().FindOrFail(hwnd) == nullptr) return -1;
    std::uint64_t seen = queue.Generation();
    if (PeekMessageA(msg, hwnd, minFilter, maxFilter, PM_REMOVE)) return msg->message != WM_QUIT;
    queue.Wait(seen);
  }
}

/***********************************************************************
 * DispatchMessageA
 * Passes the message to its window's procedure and returns the result; for WM_PAINT
 * the frame is drawn first. 0 for a null msg or a stale window.
 */
LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(msg->hwnd);
  if (window == nullptr) return 0;
  // The frame comes first, as it would with WM_NCPAINT, so a window whose only
  // damage was to its frame stops needing paint.
  if (msg->message == WM_PAINT && window->frameDirty) wm.DrawFrame(*window);
  WNDPROC proc = window->proc;
  return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

}  // extern "C"
