// The desktop screen: every visible top-level window of the platform as a window of the
// display showing the platform's own pixels (frame, scroll bars, client area, children),
// sized and titled as the platform window is. What the person does to it reaches the
// platform as raw input (platform/input.h): pointer, buttons, wheel, keys, a new size
// from the window manager, the close box. Dialog boxes are not shown here: the person
// at the desktop shows them (desktopperson.h).
//
// The display must be open (platform::desktop::OpenDisplay). One screen per process.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace platform {

class DesktopScreen {
 public:
  DesktopScreen();
  ~DesktopScreen();
  DesktopScreen(const DesktopScreen&) = delete;
  DesktopScreen& operator=(const DesktopScreen&) = delete;

  // Dispatches the window system's queued messages, then shows the top-level windows
  // not shown yet, repaints those whose pixels changed, follows their sizes and titles,
  // and takes away those gone or hidden. Returns once the display has caught up.
  void Refresh();

  // Runs the desktop until no top-level window is left: input goes to the platform,
  // the windows follow what the platform draws.
  void Run();

  // Shown windows.
  std::size_t WindowCount() const { return m_windows.size(); }

 private:
  struct Window;

  void Pump();
  void Follow();
  // Pump and Follow: what the timer does.
  void Tick();
  // Times the auto-repeat of what the pointer holds (a scroll-bar arrow or track).
  void ScheduleRepeat();

  std::vector<std::unique_ptr<Window>> m_windows;
  unsigned m_timer = 0;
  unsigned m_repeat = 0;
};

}  // namespace platform
