// Window classes and windows: creation and destruction, the tree, window longs,
// position and size, coordinates.
//
// Left out on purpose: visibility (every window is shown; WS_VISIBLE is only kept
// as a bit), z-order changes (windows stay in creation order), WM_MOVE, and
// WM_NCCALCSIZE / WM_NCPAINT (the system lays out and draws the frame itself, as
// only the 1-pixel border and the standard scroll bars exist).
#include "hooks.h"
#include "messagequeue.h"
#include "windowmanager.h"

#include <platform/screen.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

using platform::user::MessageQueue;
using platform::user::Window;
using platform::user::WindowManager;

namespace {

// A window's text, or "" for none: a small integer in its place is a resource
// ordinal (controls showing an icon), not an address.
std::string TextOf(LPCSTR text) {
  return reinterpret_cast<std::uintptr_t>(text) < 0x10000 ? std::string() : std::string(text);
}

int ClampSize(int v) { return std::clamp(v, 0, platform::user::kMaxCoordinate); }
int ClampPosition(int v) {
  return std::clamp(v, -platform::user::kMaxCoordinate, platform::user::kMaxCoordinate);
}

// WM_DESTROY to the window, then to its children, parents first.
void SendDestroy(HWND hwnd) {
  SendMessageA(hwnd, WM_DESTROY, 0, 0);
  Window* window = WindowManager::Get().Find(hwnd);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendDestroy(child);
}

// WM_NCDESTROY to the children, then to the window, which then leaves the table.
void FreeWindow(HWND hwnd) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.Find(hwnd);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) FreeWindow(child);
  SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
  MessageQueue::Get().RemoveWindow(hwnd);
  wm.Erase(hwnd);
}

void MarkDestroying(HWND hwnd) {
  WindowManager& wm = WindowManager::Get();
  for (HWND h : wm.Subtree(hwnd)) wm.Find(h)->destroying = true;
}

// A window that never finished its creation gets WM_NCDESTROY only.
HWND AbandonCreation(HWND hwnd) {
  if (WindowManager::Get().Find(hwnd) != nullptr) {
    MarkDestroying(hwnd);
    FreeWindow(hwnd);
  }
  return nullptr;
}

LONG_PTR* LongField(Window& window, int index) {
  switch (index) {
    case GWL_USERDATA:
      return &window.userData;
    case GWL_ID:
      return &window.id;
    default:
      return nullptr;
  }
}

bool ExtraBytesFit(const Window& window, int index) {
  return index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= window.extra.size();
}

}  // namespace

extern "C" {

/***********************************************************************
 * RegisterClassA
 * Registers a window class; class names compare in any letter case. Returns its
 * atom; 0 with ERROR_INVALID_PARAMETER for a null class, no procedure, an empty or
 * atom name or bad extra bytes, ERROR_CLASS_ALREADY_EXISTS for a name in use. Classes
 * are the process's: the instance is not part of the key.
 */
ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
  if (wndClass == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WindowManager::Get().RegisterClass(*wndClass);
}

/***********************************************************************
 * UnregisterClassA
 * Removes a class by name or atom. FALSE with ERROR_CLASS_DOES_NOT_EXIST, or
 * ERROR_CLASS_HAS_WINDOWS while windows of it exist. The instance is ignored.
 */
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  return WindowManager::Get().UnregisterClass(className);
}

/***********************************************************************
 * CreateWindowExA
 * Creates a window: WS_CHILD makes a child of parent (menu is its id), otherwise a
 * top-level window with its own pixels, owned by parent's top-level window. Sizes and
 * positions are clamped to +-32767. Runs the CBT hooks, then WM_NCCREATE, WM_CREATE
 * and WM_SIZE. NULL with ERROR_CANNOT_FIND_WND_CLASS, ERROR_INVALID_WINDOW_HANDLE,
 * ERROR_TLW_WITH_WSCHILD or ERROR_NOT_ENOUGH_MEMORY, and when a hook or the window
 * refuses creation. Every window is shown, whatever WS_VISIBLE says.
 */
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  WindowManager& wm = WindowManager::Get();
  platform::user::WindowClass* cls = wm.FindClass(className);
  if (cls == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  Window* parentWindow = nullptr;
  if (parent != nullptr) {
    parentWindow = wm.FindOrFail(parent);
    if (parentWindow == nullptr || parentWindow->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  }
  if ((style & WS_CHILD) != 0 && parentWindow == nullptr) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }

  auto window = std::make_unique<Window>();
  window->windowClass = cls;
  window->text = TextOf(windowName);
  window->style = style;
  window->exStyle = exStyle;
  window->proc = cls->proc;
  window->instance = instance;
  window->extra.assign(static_cast<std::size_t>(cls->windowExtra), 0);
  if (window->IsChild()) {
    window->parent = parent;
    window->id = reinterpret_cast<LONG_PTR>(menu);
  } else if (parentWindow != nullptr) {
    window->owner = wm.TopLevelOf(*parentWindow).handle;  // owners are top-level windows
  }
  x = ClampPosition(x);
  y = ClampPosition(y);
  width = ClampSize(width);
  height = ClampSize(height);
  window->rect = {x, y, x + width, y + height};
  if (!window->IsChild()) {
    if (!WindowManager::SurfaceFits(width, height)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    try {
      window->surface = std::make_unique<platform::Surface>(width, height);
    } catch (const std::exception&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  wm.ReadFrameStyle(*window);
  wm.LayoutClient(*window);

  HWND hwnd = wm.Insert(std::move(window));
  MessageQueue::Get().AddWindow(hwnd);
  Window* created = wm.Find(hwnd);
  wm.DrawFrame(*created);
  wm.Invalidate(*created, nullptr, true);

  CREATESTRUCTA cs{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  CBT_CREATEWNDA cbt{&cs, nullptr};
  if (platform::user::CallCbtHooks(HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd),
                                   reinterpret_cast<LPARAM>(&cbt)) != 0) {
    return AbandonCreation(hwnd);
  }
  if (wm.Find(hwnd) == nullptr) return nullptr;
  if (SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    return AbandonCreation(hwnd);
  }
  if (wm.Find(hwnd) == nullptr) return nullptr;
  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    return AbandonCreation(hwnd);
  }
  created = wm.Find(hwnd);
  if (created == nullptr) return nullptr;
  RECT client = created->ClientRect();
  SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  return wm.Find(hwnd) != nullptr ? hwnd : nullptr;
}

/***********************************************************************
 * DestroyWindow
 * Sends WM_DESTROY to the window and then its descendants, WM_NCDESTROY the other way
 * round, frees them all and invalidates what the window covered of its parent. FALSE
 * for a stale window or one already being destroyed.
 */
BOOL WINAPI DestroyWindow(HWND hwnd) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr || window->destroying) return FALSE;
  const HWND parent = window->IsChild() ? window->parent : nullptr;
  const RECT area = window->rect;
  MarkDestroying(hwnd);
  SendDestroy(hwnd);
  FreeWindow(hwnd);
  // The parent's pixels under the child still show it.
  Window* parentWindow = wm.Find(parent);
  if (parentWindow != nullptr && !parentWindow->destroying)
    wm.Invalidate(*parentWindow, &area, true);
  return TRUE;
}

/***********************************************************************
 * IsWindow
 * TRUE while the handle names a window.
 */
BOOL WINAPI IsWindow(HWND hwnd) { return WindowManager::Get().Find(hwnd) != nullptr; }

/***********************************************************************
 * GetParent
 * The parent of a child, the owner of a WS_POPUP window, NULL otherwise and for a
 * stale window.
 */
HWND WINAPI GetParent(HWND hwnd) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return nullptr;
  if (window->IsChild()) return window->parent;
  return (window->style & WS_POPUP) != 0 ? window->owner : nullptr;
}

/***********************************************************************
 * GetDlgItem
 * The direct child with that id; NULL when there is none or for a stale parent.
 */
HWND WINAPI GetDlgItem(HWND parent, int id) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(parent);
  if (window == nullptr) return nullptr;
  for (HWND child : window->children) {
    if (wm.Find(child)->id == id) return child;
  }
  return nullptr;
}

/***********************************************************************
 * GetDlgCtrlID
 * A child window's id; 0 for a top-level or stale window.
 */
int WINAPI GetDlgCtrlID(HWND hwnd) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr || !window->IsChild()) return 0;
  return static_cast<int>(window->id);
}

/***********************************************************************
 * FindWindowA
 * The first top-level window, in creation order, of that class (NULL: any) with that
 * exact text (NULL: any); NULL when there is none.
 */
HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  WindowManager& wm = WindowManager::Get();
  platform::user::WindowClass* cls = nullptr;
  if (className != nullptr) {
    cls = wm.FindClass(className);
    if (cls == nullptr) return nullptr;
  }
  for (HWND hwnd : wm.TopLevels()) {
    Window* window = wm.Find(hwnd);
    if (cls != nullptr && window->windowClass != cls) continue;
    if (windowName != nullptr && window->text != TextOf(windowName)) continue;
    return hwnd;
  }
  return nullptr;
}

/***********************************************************************
 * GetWindowTextA
 * Copies the window's text, cut to size - 1 bytes and terminated, and returns its
 * length. 0 for a stale window, a null buffer or size <= 0. The text is read
 * directly, without WM_GETTEXT.
 */
int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr || buffer == nullptr || size <= 0) return 0;
  std::size_t n = std::min(window->text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, window->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

/***********************************************************************
 * GetWindowTextLengthA
 * The length of the window's text; 0 for a stale window.
 */
int WINAPI GetWindowTextLengthA(HWND hwnd) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  return window != nullptr ? static_cast<int>(window->text.size()) : 0;
}

/***********************************************************************
 * SetWindowTextA
 * Sends WM_SETTEXT, which DefWindowProcA stores, so a control's procedure sees it.
 * FALSE for a stale window or when the procedure refuses.
 */
BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (WindowManager::Get().FindOrFail(hwnd) == nullptr) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

/***********************************************************************
 * GetWindowLongA
 * GWL_WNDPROC, GWL_HINSTANCE, GWL_STYLE, GWL_EXSTYLE, GWL_USERDATA, GWL_ID, or the
 * LONG_PTR at a byte offset into the class's extra bytes. 0 for a stale window, and
 * with ERROR_INVALID_INDEX for an index that fits none of them. Values are LONG_PTR
 * wide, as GetWindowLongPtrA's are.
 */
LONG_PTR WINAPI GetWindowLongA(HWND hwnd, int index) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return 0;
  switch (index) {
    case GWL_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_STYLE:
      return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(window->exStyle);
    default:
      break;
  }
  if (LONG_PTR* field = LongField(*window, index)) return *field;
  if (ExtraBytesFit(*window, index)) {
    LONG_PTR value;
    std::memcpy(&value, window->extra.data() + index, sizeof value);
    return value;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

/***********************************************************************
 * SetWindowLongA
 * Sets what GetWindowLongA reads and returns the previous value. GWL_STYLE cannot
 * change WS_CHILD. 0 for a stale window, with ERROR_INVALID_PARAMETER for a null
 * window procedure, ERROR_INVALID_INDEX for an unknown index.
 */
LONG_PTR WINAPI SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWL_WNDPROC:
      if (value == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      previous = reinterpret_cast<LONG_PTR>(window->proc);
      window->proc = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWL_HINSTANCE:
      previous = reinterpret_cast<LONG_PTR>(window->instance);
      window->instance = reinterpret_cast<HINSTANCE>(value);
      return previous;
    case GWL_STYLE:
      // A window cannot become a child or stop being one.
      previous = static_cast<LONG_PTR>(window->style);
      window->style =
          (static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_CHILD)) | (window->style & WS_CHILD);
      return previous;
    case GWL_EXSTYLE:
      previous = static_cast<LONG_PTR>(window->exStyle);
      window->exStyle = static_cast<DWORD>(value);
      return previous;
    default:
      break;
  }
  if (LONG_PTR* field = LongField(*window, index)) {
    previous = *field;
    *field = value;
    return previous;
  }
  if (ExtraBytesFit(*window, index)) {
    std::memcpy(&previous, window->extra.data() + index, sizeof previous);
    std::memcpy(window->extra.data() + index, &value, sizeof value);
    return previous;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

/***********************************************************************
 * SetWindowPos
 * Moves (unless SWP_NOMOVE) and sizes (unless SWP_NOSIZE) the window, relaid out with
 * SWP_FRAMECHANGED and repainted unless SWP_NOREDRAW; WM_SIZE follows when the client
 * area changed size. insertAfter and the z-order flags are ignored: windows stay in
 * creation order. No WM_MOVE or WM_WINDOWPOSCHANGED. FALSE for a stale window.
 */
BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return FALSE;
  RECT rect = window->rect;
  if ((flags & SWP_NOMOVE) == 0) {
    rect = {ClampPosition(x), ClampPosition(y), 0, 0};
    rect.right = rect.left + window->Width();
    rect.bottom = rect.top + window->Height();
  }
  if ((flags & SWP_NOSIZE) == 0) {
    rect.right = rect.left + ClampSize(cx);
    rect.bottom = rect.top + ClampSize(cy);
  }
  std::optional<bool> clientSized =
      wm.Reshape(*window, rect, (flags & SWP_FRAMECHANGED) != 0, (flags & SWP_NOREDRAW) == 0);
  if (!clientSized) return FALSE;
  if (*clientSized) {
    RECT client = window->ClientRect();
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  return TRUE;
}

/***********************************************************************
 * MoveWindow
 * SetWindowPos without a z-order change; repaint FALSE means SWP_NOREDRAW.
 */
BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

/***********************************************************************
 * GetWindowRect
 * The whole window, frame included, in screen coordinates. FALSE for a stale window
 * or a null rect.
 */
BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  POINT origin = wm.OriginOnScreen(*window);
  *rect = platform::user::Offset(RECT{0, 0, window->Width(), window->Height()}, origin.x, origin.y);
  return TRUE;
}

/***********************************************************************
 * GetClientRect
 * The client area: (0, 0) to its size, scroll bars excluded. FALSE for a stale
 * window or a null rect.
 */
BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->ClientRect();
  return TRUE;
}

/***********************************************************************
 * ClientToScreen
 * Converts a point from client to screen coordinates, clamped to the LONG range.
 * FALSE for a stale window or a null point.
 */
BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = wm.OriginOnScreen(*window);
  RECT moved = platform::user::Offset(RECT{point->x, point->y, point->x, point->y},
                                      static_cast<long long>(origin.x) + window->client.left,
                                      static_cast<long long>(origin.y) + window->client.top);
  *point = {moved.left, moved.top};
  return TRUE;
}

/***********************************************************************
 * ScreenToClient
 * Converts a point from screen to client coordinates, clamped to the LONG range.
 * FALSE for a stale window or a null point.
 */
BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = wm.OriginOnScreen(*window);
  RECT moved = platform::user::Offset(RECT{point->x, point->y, point->x, point->y},
                                      -static_cast<long long>(origin.x) - window->client.left,
                                      -static_cast<long long>(origin.y) - window->client.top);
  *point = {moved.left, moved.top};
  return TRUE;
}

/***********************************************************************
 * GetSystemMetrics
 * The screen's size, the standard scroll bar sizes (17), and 1 for the border
 * sizes; 0 for every other index.
 */
int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return platform::GetScreen().width;
    case SM_CYSCREEN:
      return platform::GetScreen().height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return platform::user::kScrollBarSize;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    default:
      return 0;
  }
}

}  // extern "C"
