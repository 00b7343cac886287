// What a press on a standard scroll bar does while the button is held: an arrow
// scrolls a line and the track a page, again and again while the pointer stays on
// them; the thumb follows the pointer. Windows runs this as a modal loop inside
// DefWindowProc; here it is driven by the screen's events (moves, the release, the
// repeat timer), so a toolkit's main loop or a browser's event loop can drive it.
// Every tracking ends with SB_ENDSCROLL to the window that owns the bar.
//
// Left out on purpose: pressed-looking arrows, and the thumb snapping back when the
// pointer strays far from the bar.
#pragma once

#include "framegeometry.h"

namespace platform::user {

class ScrollTracker {
 public:
  // Windows' delays: the first repeat, then the ones after it.
  static constexpr DWORD kFirstRepeat = 200;
  static constexpr DWORD kRepeatRate = 50;

  static ScrollTracker& Get();

  bool Active() const { return m_hwnd != nullptr; }
  // A left press on a standard bar (SB_HORZ, SB_VERT) at a screen point: scrolls a line
  // or a page at once, or takes hold of the thumb. Nothing on a bar that cannot scroll.
  void Start(HWND hwnd, int bar, POINT screen);
  // The pointer moved: a held thumb follows it, with SB_THUMBTRACK for a new position.
  void Move(POINT screen);
  // The button came up: SB_THUMBPOSITION for a held thumb, then SB_ENDSCROLL.
  void Release();
  // INFINITE unless an arrow or the track is held.
  DWORD RepeatDelay() const;
  // Scrolls again while the pointer is still on the part pressed.
  void Repeat();

 private:
  ScrollTracker() = default;

  // The window being tracked, or null (tracking then ends) when it has gone.
  Window* Tracked();
  POINT InWindow(const Window& window, POINT screen) const;
  // Pixels along the bar, and the bar's length.
  int Along(const Window& window, POINT screen) const;
  int Length(const Window& window) const;
  void Send(int code, int position = 0);
  void FollowPointer(Window& window);
  void End();

  HWND m_hwnd = nullptr;
  int m_bar = SB_VERT;
  BarPart m_part = BarPart::kNone;
  POINT m_pointer{};
  int m_grab = 0;  // a held thumb: where the pointer holds it, from its start
  bool m_repeated = false;
};

}  // namespace platform::user
