// The host's view of the window system: captures and the window tree.
#include <platform/screen.h>
#include <platform/windows_system.h>

#include "framepainter.h"
#include "windowmanager.h"

#include <algorithm>
#include <cstring>

using platform::user::Intersect;
using platform::user::IsEmpty;
using platform::user::Window;
using platform::user::WindowManager;

namespace platform {
namespace {

// Copies source's rectangle `from` (source coordinates) to target at (x, y), as
// far as both surfaces reach.
void Blit(const Surface& source, const RECT& from, Surface& target, long long x, long long y) {
  RECT src = Intersect(from, RECT{0, 0, source.Width(), source.Height()});
  const long long dx = x - from.left;
  const long long dy = y - from.top;
  RECT dst = Intersect(user::Offset(src, dx, dy), RECT{0, 0, target.Width(), target.Height()});
  if (IsEmpty(dst)) return;
  const std::size_t bytes = static_cast<std::size_t>(dst.right - dst.left) * sizeof(std::uint32_t);
  for (LONG row = dst.top; row < dst.bottom; ++row) {
    std::memcpy(target.Row(row) + dst.left,
                source.Row(static_cast<int>(row - dy)) + (dst.left - dx), bytes);
  }
}

}  // namespace

std::unique_ptr<Surface> CaptureWindow(HWND hwnd) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.Find(hwnd);
  if (window == nullptr) return nullptr;
  auto capture = std::make_unique<Surface>(window->Width(), window->Height());
  const Window& top = wm.TopLevelOf(*window);
  if (!top.surface) return capture;
  const POINT origin = wm.OriginInSurface(*window);
  const RECT visible = wm.VisibleWindowInSurface(*window);
  Blit(*top.surface, visible, *capture, static_cast<long long>(visible.left) - origin.x,
       static_cast<long long>(visible.top) - origin.y);
  return capture;
}

std::unique_ptr<Surface> CaptureScreen() {
  const ScreenMode screen = GetScreen();
  auto capture = std::make_unique<Surface>(screen.width, screen.height,
                                           user::SurfaceColour(GetSysColor(COLOR_BACKGROUND)));
  WindowManager& wm = WindowManager::Get();
  for (HWND hwnd : wm.TopLevels()) {
    const Window* window = wm.Find(hwnd);
    if (!window->surface) continue;
    Blit(*window->surface, RECT{0, 0, window->Width(), window->Height()}, *capture,
         window->rect.left, window->rect.top);
  }
  return capture;
}

std::vector<HWND> TopLevelWindows() { return WindowManager::Get().TopLevels(); }

std::vector<HWND> ChildWindows(HWND parent) {
  const Window* window = WindowManager::Get().Find(parent);
  return window != nullptr ? window->children : std::vector<HWND>{};
}

HWND FindWindowOfClass(HWND parent, const char* className) {
  WindowManager& wm = WindowManager::Get();
  const user::WindowClass* cls = wm.FindClass(className);
  if (cls == nullptr) return nullptr;
  std::vector<HWND> roots = parent != nullptr ? std::vector<HWND>{parent} : wm.TopLevels();
  for (HWND root : roots) {
    for (HWND hwnd : wm.Subtree(root)) {
      if (hwnd != parent && wm.Find(hwnd)->windowClass == cls) return hwnd;
    }
  }
  return nullptr;
}

}  // namespace platform
