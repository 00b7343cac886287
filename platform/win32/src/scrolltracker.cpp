// Scroll-bar tracking. The thumb's position comes from where the pointer holds it,
// as framegeometry.h maps pixels to positions, and it is drawn there until the
// release, whatever the window does with SB_THUMBTRACK.
#include "scrolltracker.h"

#include <algorithm>

namespace platform::user {
namespace {

int CodeOf(BarPart part) {
  switch (part) {
    case BarPart::kLineUp:
      return SB_LINEUP;
    case BarPart::kLineDown:
      return SB_LINEDOWN;
    case BarPart::kPageUp:
      return SB_PAGEUP;
    default:
      return SB_PAGEDOWN;
  }
}

}  // namespace

ScrollTracker& ScrollTracker::Get() {
  static ScrollTracker tracker;
  return tracker;
}

void ScrollTracker::Start(HWND hwnd, int bar, POINT screen) {
  Window* window = WindowManager::Get().Find(hwnd);
  if (Active() || window == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return;
  m_hwnd = hwnd;
  m_bar = bar;
  m_part = BarPartAt(*window, bar, InWindow(*window, screen));
  m_pointer = screen;
  m_repeated = false;
  if (m_part == BarPart::kNone) {
    m_hwnd = nullptr;
    return;
  }
  if (m_part != BarPart::kThumb) {
    Send(CodeOf(m_part));
    return;
  }
  ScrollBar& state = window->bars[bar];
  const Thumb thumb = ThumbOf(state, Length(*window));
  m_grab = Along(*window, screen) - thumb.start;
  state.trackPos = state.pos;
  state.dragThumb = thumb.start;
}

void ScrollTracker::Move(POINT screen) {
  m_pointer = screen;
  Window* window = Tracked();
  if (window != nullptr && m_part == BarPart::kThumb) FollowPointer(*window);
}

void ScrollTracker::Release() {
  Window* window = Tracked();
  if (window == nullptr) return;
  if (m_part == BarPart::kThumb) {
    Send(SB_THUMBPOSITION, window->bars[m_bar].trackPos);
    window = Tracked();
    if (window == nullptr) return;
    window->bars[m_bar].dragThumb = -1;
    WindowManager::Get().DrawFrame(*window);
  }
  Send(SB_ENDSCROLL);
  End();
}

DWORD ScrollTracker::RepeatDelay() const {
  if (!Active() || m_part == BarPart::kThumb) return INFINITE;
  return m_repeated ? kRepeatRate : kFirstRepeat;
}

void ScrollTracker::Repeat() {
  Window* window = Tracked();
  if (window == nullptr || m_part == BarPart::kThumb) return;
  m_repeated = true;
  // A held track stops once the thumb reaches the pointer; an arrow pauses while the
  // pointer is off it.
  if (BarPartAt(*window, m_bar, InWindow(*window, m_pointer)) == m_part) Send(CodeOf(m_part));
}

Window* ScrollTracker::Tracked() {
  if (!Active()) return nullptr;
  Window* window = WindowManager::Get().Find(m_hwnd);
  if (window == nullptr) End();
  return window;
}

POINT ScrollTracker::InWindow(const Window& window, POINT screen) const {
  const POINT origin = WindowManager::Get().OriginOnScreen(window);
  return {screen.x - origin.x, screen.y - origin.y};
}

int ScrollTracker::Along(const Window& window, POINT screen) const {
  const POINT p = InWindow(window, screen);
  const RECT r = BarRect(window, m_bar);
  return m_bar == SB_VERT ? p.y - r.top : p.x - r.left;
}

int ScrollTracker::Length(const Window& window) const {
  const RECT r = BarRect(window, m_bar);
  return m_bar == SB_VERT ? r.bottom - r.top : r.right - r.left;
}

void ScrollTracker::Send(int code, int position) {
  SendMessageA(m_hwnd, m_bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, position), 0);
}

void ScrollTracker::FollowPointer(Window& window) {
  ScrollBar& state = window.bars[m_bar];
  const int length = Length(window);
  state.dragThumb = std::max(Along(window, m_pointer) - m_grab, 0);
  state.dragThumb = ThumbOf(state, length).start;  // kept within the track
  const int position = PositionOfThumb(state, length, state.dragThumb);
  WindowManager::Get().DrawFrame(window);
  if (position == state.trackPos) return;
  state.trackPos = position;
  Send(SB_THUMBTRACK, position);
}

void ScrollTracker::End() {
  Window* window = WindowManager::Get().Find(m_hwnd);
  if (window != nullptr) window->bars[m_bar].dragThumb = -1;
  m_hwnd = nullptr;
  m_part = BarPart::kNone;
}

}  // namespace platform::user
