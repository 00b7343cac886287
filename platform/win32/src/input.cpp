// Raw input into window messages. The window under the pointer is found through the
// window tree, top-level windows newest first and children last-made first, since
// later windows are drawn over earlier ones; a disabled child lets its parent have the
// input, a disabled top-level window gets none. The window's own procedure answers
// WM_NCHITTEST, so a subclass can change what a point hits.
//
// Left out on purpose: mouse capture (a release goes to the window under the pointer,
// as without SetCapture), non-client double clicks (a second press on a scroll bar is
// a press), and keyboard layouts (WM_CHAR for letters, digits and a few control keys).
#include <platform/input.h>

#include "controlclasses.h"
#include "scrolltracker.h"
#include "windowmanager.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace platform::input {
namespace {

using user::Window;
using user::WindowManager;

constexpr DWORD kDoubleClickTime = 500;  // GetDoubleClickTime's default
constexpr int kDoubleClickDistance = 2;  // half of SM_CXDOUBLECLK and SM_CYDOUBLECLK

struct ButtonMessages {
  UINT down;
  UINT up;
  UINT doubleClick;
  UINT nonClientDown;
  UINT nonClientUp;
  UINT flag;  // MK_ while held
};

constexpr ButtonMessages kButtons[] = {
    {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, MK_LBUTTON},
    {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, MK_RBUTTON},
    {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, MK_MBUTTON},
};

// A client-area press that a second one may turn into a double click.
struct Press {
  HWND hwnd = nullptr;
  Button button = Button::kLeft;
  DWORD time = 0;
  POINT point{};
};

struct State {
  UINT held = 0;  // MK_ flags of the buttons down
  Press last;     // hwnd null: none
  HWND active = nullptr;
  HWND newestAtActivation = nullptr;  // a newer top-level window takes over
  HWND focus = nullptr;
  Clock clock = nullptr;
};

State& Input() {
  static State state;
  return state;
}

DWORD Now() {
  const Clock clock = Input().clock;
  return clock != nullptr ? clock() : GetTickCount();
}

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

RECT OnScreen(const Window& window, const RECT& inWindow) {
  const POINT origin = WindowManager::Get().OriginOnScreen(window);
  return user::Offset(inWindow, origin.x, origin.y);
}

RECT WindowOnScreen(const Window& window) {
  return OnScreen(window, {0, 0, window.Width(), window.Height()});
}

// The deepest enabled descendant under the point, else the window itself.
HWND Deepest(HWND hwnd, POINT screen) {
  WindowManager& wm = WindowManager::Get();
  const Window* window = wm.Find(hwnd);
  if (!Contains(OnScreen(*window, window->client), screen)) return hwnd;
  for (auto child = window->children.rbegin(); child != window->children.rend(); ++child) {
    const Window* c = wm.Find(*child);
    if ((c->style & WS_DISABLED) == 0 && Contains(WindowOnScreen(*c), screen)) {
      return Deepest(*child, screen);
    }
  }
  return hwnd;
}

HWND WindowAt(POINT screen) {
  WindowManager& wm = WindowManager::Get();
  const std::vector<HWND>& tops = wm.TopLevels();
  for (auto top = tops.rbegin(); top != tops.rend(); ++top) {
    const Window* window = wm.Find(*top);
    if (!Contains(WindowOnScreen(*window), screen)) continue;
    return (window->style & WS_DISABLED) != 0 ? nullptr : Deepest(*top, screen);
  }
  return nullptr;
}

LPARAM PointParam(POINT p) { return MAKELPARAM(p.x, p.y); }

// WM_NCHITTEST through the window's procedure; nothing when the window went away.
std::optional<LRESULT> HitTest(HWND hwnd, POINT screen) {
  const LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, PointParam(screen));
  if (!IsWindow(hwnd)) return std::nullopt;
  return hit;
}

POINT ToClient(HWND hwnd, POINT screen) {
  ScreenToClient(hwnd, &screen);
  return screen;
}

UINT Flags(UINT modifiers) { return Input().held | (modifiers & (MK_SHIFT | MK_CONTROL)); }

// The active top-level window: the newest one, unless a screen or a press chose
// another since it appeared.
HWND ActiveWindow() {
  State& state = Input();
  const std::vector<HWND>& tops = WindowManager::Get().TopLevels();
  if (tops.empty()) return nullptr;
  if (tops.back() != state.newestAtActivation || !IsWindow(state.active)) {
    state.active = tops.back();
    state.newestAtActivation = tops.back();
  }
  return state.active;
}

void MakeActive(HWND topLevel) {
  State& state = Input();
  const std::vector<HWND>& tops = WindowManager::Get().TopLevels();
  state.active = topLevel;
  state.newestAtActivation = tops.empty() ? nullptr : tops.back();
}

HWND FocusWindow() {
  WindowManager& wm = WindowManager::Get();
  const HWND active = ActiveWindow();
  const HWND focus = Input().focus;
  if (active != nullptr && (focus == active || wm.IsDescendant(focus, active))) return focus;
  return active;
}

bool IsDoubleClick(HWND hwnd, Button button, DWORD time, POINT screen) {
  const Press& last = Input().last;
  const Window* window = WindowManager::Get().Find(hwnd);
  return (window->windowClass->style & CS_DBLCLKS) != 0 && last.hwnd == hwnd &&
         last.button == button && time - last.time <= kDoubleClickTime &&
         std::abs(screen.x - last.point.x) <= kDoubleClickDistance &&
         std::abs(screen.y - last.point.y) <= kDoubleClickDistance;
}

void ClientButton(HWND hwnd, Button button, bool down, POINT screen, UINT modifiers) {
  const ButtonMessages& messages = kButtons[static_cast<int>(button)];
  UINT message = down ? messages.down : messages.up;
  if (down) {
    const DWORD time = Now();
    if (IsDoubleClick(hwnd, button, time, screen)) {
      message = messages.doubleClick;
      Input().last = {};  // a third press starts again
    } else {
      Input().last = {hwnd, button, time, screen};
    }
  }
  SendMessageA(hwnd, message, Flags(modifiers), PointParam(ToClient(hwnd, screen)));
}

// The dialog the window belongs to, or null.
HWND DialogOf(HWND hwnd) {
  for (HWND h = hwnd; h != nullptr; h = GetParent(h)) {
    if (user::IsOfClass(h, user::kDialogClassName)) return h;
    if ((GetWindowLongA(h, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  return nullptr;
}

// The character a key types, or 0.
char CharacterOf(UINT key, UINT modifiers) {
  if (key >= 'A' && key <= 'Z') {
    if ((modifiers & MK_CONTROL) != 0) return static_cast<char>(key - 'A' + 1);
    return static_cast<char>((modifiers & MK_SHIFT) != 0 ? key : key - 'A' + 'a');
  }
  if (key >= '0' && key <= '9') return static_cast<char>(key);
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_RETURN:
      return '\r';
    case VK_ESCAPE:
      return '\x1b';
    default:
      return 0;
  }
}

// Sends a key message, through the dialog's keys when the window is in a dialog.
void SendKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (HWND dialog = DialogOf(hwnd)) {
    MSG msg{hwnd, message, wParam, lParam, Now(), POINT{}};
    IsDialogMessageA(dialog, &msg);
    return;
  }
  SendMessageA(hwnd, message, wParam, lParam);
}

bool IsTopLevel(HWND hwnd) {
  const Window* window = WindowManager::Get().Find(hwnd);
  return window != nullptr && !window->IsChild();
}

}  // namespace

void PointerMove(POINT screen, UINT modifiers) {
  user::ScrollTracker& tracker = user::ScrollTracker::Get();
  if (tracker.Active()) {
    tracker.Move(screen);
    return;
  }
  const HWND hwnd = WindowAt(screen);
  if (hwnd == nullptr) return;
  const std::optional<LRESULT> hit = HitTest(hwnd, screen);
  if (!hit) return;
  if (*hit == HTCLIENT) {
    SendMessageA(hwnd, WM_MOUSEMOVE, Flags(modifiers), PointParam(ToClient(hwnd, screen)));
  } else {
    SendMessageA(hwnd, WM_NCMOUSEMOVE, static_cast<WPARAM>(*hit), PointParam(screen));
  }
}

void PointerButton(POINT screen, Button button, bool down, UINT modifiers) {
  const UINT flag = kButtons[static_cast<int>(button)].flag;
  Input().held = down ? (Input().held | flag) : (Input().held & ~flag);
  user::ScrollTracker& tracker = user::ScrollTracker::Get();
  if (tracker.Active()) {
    // The tracking holds the pointer until the left button comes up.
    if (button == Button::kLeft && !down) tracker.Release();
    return;
  }
  const HWND hwnd = WindowAt(screen);
  if (hwnd == nullptr) return;
  const std::optional<LRESULT> hit = HitTest(hwnd, screen);
  if (!hit) return;
  if (down) {
    MakeActive(WindowManager::Get().TopLevelOf(*WindowManager::Get().Find(hwnd)).handle);
    Input().focus = hwnd;
  }
  if (*hit == HTCLIENT) {
    ClientButton(hwnd, button, down, screen, modifiers);
    return;
  }
  Input().last = {};
  const ButtonMessages& messages = kButtons[static_cast<int>(button)];
  SendMessageA(hwnd, down ? messages.nonClientDown : messages.nonClientUp,
               static_cast<WPARAM>(*hit), PointParam(screen));
}

void Wheel(POINT screen, int delta, UINT modifiers) {
  const HWND hwnd = WindowAt(screen);
  if (hwnd == nullptr) return;
  const int clamped = std::clamp(delta, -32768, 32767);
  SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(Flags(modifiers), clamped), PointParam(screen));
}

void Key(UINT virtualKey, bool down, UINT modifiers) {
  const HWND hwnd = FocusWindow();
  if (hwnd == nullptr) return;
  // A dialog takes Enter and Escape as its buttons, so they type nothing there.
  const bool dialogKey =
      DialogOf(hwnd) != nullptr && (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE);
  const char character = dialogKey ? 0 : CharacterOf(virtualKey, modifiers);
  // Repeat count 1; a release also has the previous-state and transition bits.
  SendKey(hwnd, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, down ? 1 : 0xC0000001);
  if (down && character != 0 && IsWindow(hwnd)) {
    SendKey(hwnd, WM_CHAR, static_cast<unsigned char>(character), 1);
  }
}

void Activate(HWND topLevel) {
  if (IsTopLevel(topLevel)) MakeActive(topLevel);
}

void Resize(HWND topLevel, int width, int height) {
  if (!IsTopLevel(topLevel)) return;
  RECT rect{};
  GetWindowRect(topLevel, &rect);
  MoveWindow(topLevel, rect.left, rect.top, width, height, TRUE);
}

void Close(HWND topLevel) {
  if (IsTopLevel(topLevel)) SendMessageA(topLevel, WM_CLOSE, 0, 0);
}

DWORD RepeatDelay() { return user::ScrollTracker::Get().RepeatDelay(); }

void Repeat() { user::ScrollTracker::Get().Repeat(); }

void SetClock(Clock clock) { Input().clock = clock; }

}  // namespace platform::input
