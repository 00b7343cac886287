// Painting: update rectangles, WM_PAINT, window device contexts, scrolling the
// client pixels and filling with system colours.
#include "dc.h"
#include "framepainter.h"
#include "systempalette.h"
#include "windowmanager.h"

#include <platform/screen.h>

#include <algorithm>
#include <cstring>
#include <set>

using platform::user::Intersect;
using platform::user::IsEmpty;
using platform::user::Offset;
using platform::user::Union;
using platform::user::Window;
using platform::user::WindowManager;

namespace {

// Beyond this a scroll uncovers everything anyway; the cap keeps sums small.
constexpr int kMaxScroll = 65536;

// Moves the pixels of dst's source (dst - (dx, dy)) to dst, in surface
// coordinates; dst and its source lie on the surface.
void MovePixels(platform::Surface& surface, const RECT& dst, int dx, int dy) {
  if (IsEmpty(dst)) return;
  const std::size_t bytes = static_cast<std::size_t>(dst.right - dst.left) * sizeof(std::uint32_t);
  auto copyRow = [&](LONG y) {
    std::memmove(surface.Row(y) + dst.left, surface.Row(y - dy) + (dst.left - dx), bytes);
  };
  if (dy > 0) {
    for (LONG y = dst.bottom - 1; y >= dst.top; --y) copyRow(y);
  } else {
    for (LONG y = dst.top; y < dst.bottom; ++y) copyRow(y);
  }
}

// GetDC(NULL): a context on the screen, which answers the screen's capabilities.
// The screen's pixels are the host's to compose, so drawing on it changes nothing.
platform::Surface& ScreenSurface() {
  static platform::Surface surface(0, 0);
  return surface;
}

std::set<HDC>& ScreenDCs() {
  static std::set<HDC> dcs;
  return dcs;
}

std::uint32_t DrawnColour(std::uint32_t rgb) {
  if (platform::GetScreen().depth != 8) return rgb;
  return platform::gdi::ScreenPalette().Nearest(rgb);
}

}  // namespace

extern "C" {

/***********************************************************************
 * GetSysColor
 * The colour of a system colour index: the fixed grey-and-teal scheme of a
 * standard desktop, never changed by any setting. 0 (black) for an index it does not
 * know.
 */
DWORD WINAPI GetSysColor(int index) {
  switch (index) {
    case COLOR_SCROLLBAR:
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
      return RGB(0xC0, 0xC0, 0xC0);
    case COLOR_BACKGROUND:
      return RGB(0x00, 0x80, 0x80);
    case COLOR_WINDOW:
    case COLOR_BTNHIGHLIGHT:
      return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_BTNSHADOW:
      return RGB(0x80, 0x80, 0x80);
    case COLOR_WINDOWFRAME:
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_3DDKSHADOW:
      return RGB(0x00, 0x00, 0x00);
    default:
      return 0;
  }
}

/***********************************************************************
 * FillRect
 * Fills the rectangle (logical coordinates) with a brush. Only system-colour brushes
 * (COLOR_* + 1) exist here, so any other brush fails; on an 8-bit screen the colour
 * is mapped to the nearest system palette entry. 0 for such a brush, a null
 * rectangle, or a stale context or one without pixels.
 */
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  const auto index = reinterpret_cast<std::uintptr_t>(brush);
  if (rect == nullptr || index == 0 || index > COLOR_3DLIGHT + 1) return 0;
  const std::uint32_t colour =
      DrawnColour(platform::user::SurfaceColour(GetSysColor(static_cast<int>(index - 1))));
  platform::gdi::Guard guard(platform::gdi::Lock());
  auto* dc = platform::gdi::FindAs<platform::gdi::DeviceContext>(hdc);
  if (dc == nullptr || dc->surface == nullptr) return 0;
  dc->surface->Fill(Intersect(Offset(*rect, dc->origin.x, dc->origin.y), dc->clip), colour);
  return 1;
}

/***********************************************************************
 * InvalidateRect
 * Adds the rectangle (client coordinates; NULL: the whole client area) to the
 * window's update rectangle, to be erased first when erase is set; NULL hwnd
 * invalidates every top-level window. The update area is one rectangle, not a region.
 * FALSE with ERROR_INVALID_WINDOW_HANDLE for a stale window.
 */
BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  WindowManager& wm = WindowManager::Get();
  if (hwnd == nullptr) {
    for (HWND top : wm.TopLevels()) wm.Invalidate(*wm.Find(top), nullptr, erase != FALSE);
    return TRUE;
  }
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return FALSE;
  wm.Invalidate(*window, rect, erase != FALSE);
  return TRUE;
}

/***********************************************************************
 * ValidateRect
 * Removes the rectangle (NULL: everything) from the update rectangle; what is left
 * is kept as the one rectangle bounding it. FALSE for a stale window.
 */
BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return FALSE;
  if (rect == nullptr) {
    window->update = RECT{};
  } else {
    RECT rest;
    platform::user::Subtract(window->update, *rect, &rest);
    window->update = rest;
  }
  if (IsEmpty(window->update)) window->erase = false;
  return TRUE;
}

/***********************************************************************
 * GetUpdateRect
 * Copies the update rectangle (client coordinates) when rect is given, and sends
 * WM_ERASEBKGND first when erase is set and an erase is pending. TRUE when there is
 * something to paint, FALSE when not and for a stale window.
 */
BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return FALSE;
  const RECT update = window->update;
  if (rect != nullptr) *rect = update;
  if (IsEmpty(update)) return FALSE;
  if (erase && window->erase) {
    HDC hdc = wm.CreateDC(*window, true, update);
    if (hdc != nullptr) {
      LRESULT erased = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
      wm.ReleaseDC(hwnd, hdc);
      window = wm.Find(hwnd);
      if (window != nullptr && erased != 0) window->erase = false;
    }
  }
  return TRUE;
}

/***********************************************************************
 * UpdateWindow
 * Draws a damaged frame, then sends WM_PAINT straight to the window when its update
 * rectangle is not empty, and does the same for each child. FALSE for a stale window.
 */
BOOL WINAPI UpdateWindow(HWND hwnd) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return FALSE;
  if (window->frameDirty) wm.DrawFrame(*window);
  if (!IsEmpty(window->update)) {
    SendMessageA(hwnd, WM_PAINT, 0, 0);
    window = wm.Find(hwnd);
    if (window == nullptr) return TRUE;
  }
  std::vector<HWND> children = window->children;
  for (HWND child : children) {
    if (wm.Find(child) != nullptr) UpdateWindow(child);
  }
  return TRUE;
}

/***********************************************************************
 * BeginPaint
 * Draws a damaged frame, fills paint with the client part of the update rectangle
 * and a context clipped to it, clears the update rectangle, and sends WM_ERASEBKGND
 * when an erase is pending (fErase tells whether it went unhandled). NULL for a stale
 * window, a null paint, or when no context can be made.
 */
HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr || paint == nullptr) return nullptr;
  if (window->frameDirty) wm.DrawFrame(*window);
  const RECT area = Intersect(window->update, window->ClientRect());
  const bool erase = window->erase;
  window->update = RECT{};
  window->erase = false;
  *paint = PAINTSTRUCT{};
  paint->rcPaint = area;
  paint->hdc = wm.CreateDC(*window, true, area);
  if (paint->hdc == nullptr) return nullptr;
  if (erase) {
    LRESULT erased = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
    paint->fErase = erased == 0;
  }
  return paint->hdc;
}

/***********************************************************************
 * EndPaint
 * Releases the context BeginPaint made. Always TRUE.
 */
BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (paint != nullptr && paint->hdc != nullptr) WindowManager::Get().ReleaseDC(hwnd, paint->hdc);
  return TRUE;
}

/***********************************************************************
 * GetDC
 * A context on the window's client area, or with NULL hwnd a context on the screen:
 * that one answers the screen's capabilities, but the screen's pixels belong to the
 * host, so drawing on it changes nothing. NULL for a stale window or a full table.
 */
HDC WINAPI GetDC(HWND hwnd) {
  if (hwnd == nullptr) {
    HDC hdc = platform::CreateSurfaceDC(ScreenSurface(), POINT{}, RECT{});
    if (hdc != nullptr) ScreenDCs().insert(hdc);
    return hdc;
  }
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return nullptr;
  return wm.CreateDC(*window, false, RECT{});
}

/***********************************************************************
 * ReleaseDC
 * Releases and deletes a context from GetDC (1). 0 with ERROR_DC_NOT_FOUND when the
 * context is not the window's.
 */
int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
  if (hwnd == nullptr && ScreenDCs().erase(hdc) != 0) {
    DeleteDC(hdc);
    return 1;
  }
  if (!WindowManager::Get().ReleaseDC(hwnd, hdc)) {
    SetLastError(ERROR_DC_NOT_FOUND);
    return 0;
  }
  return 1;
}

/***********************************************************************
 * WindowFromDC
 * The window of a window context; NULL for any other context.
 */
HWND WINAPI WindowFromDC(HDC hdc) { return WindowManager::Get().WindowOfDC(hdc); }

/***********************************************************************
 * ScrollWindowEx
 * Moves the client pixels of scroll (NULL: the client area) inside clip by (dx, dy),
 * moves the update rectangle with them, and returns the uncovered part in update
 * (SW_INVALIDATE, SW_ERASE: also invalidates it). Returns NULLREGION, SIMPLEREGION or
 * COMPLEXREGION, ERROR for a stale window. There are no regions, so a non-NULL
 * updateRegion fails with ERROR_INVALID_HANDLE; SW_SCROLLCHILDREN fails with
 * ERROR_INVALID_PARAMETER: children stay where they are and repaint instead.
 */
int WINAPI ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip,
                          HRGN updateRegion, LPRECT update, UINT flags) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.FindOrFail(hwnd);
  if (window == nullptr) return ERROR;
  // This GDI has no region objects, so no HRGN can be valid; children are not moved.
  if (updateRegion != nullptr || (flags & SW_SCROLLCHILDREN) != 0) {
    SetLastError(updateRegion != nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  dx = std::clamp(dx, -kMaxScroll, kMaxScroll);
  dy = std::clamp(dy, -kMaxScroll, kMaxScroll);
  const RECT client = window->ClientRect();
  const RECT area = Intersect(scroll != nullptr ? *scroll : client, client);
  const RECT limit = clip != nullptr ? Intersect(*clip, client) : client;
  const RECT source = Intersect(area, limit);
  const RECT target = Intersect(Offset(source, dx, dy), limit);

  // Pixels: only where the window is visible, reading only from the surface.
  Window& top = wm.TopLevelOf(*window);
  if (top.surface && (dx != 0 || dy != 0)) {
    POINT origin = wm.OriginInSurface(*window);
    const long long ox = static_cast<long long>(origin.x) + window->client.left;
    const long long oy = static_cast<long long>(origin.y) + window->client.top;
    const RECT surfaceBounds{0, 0, top.surface->Width(), top.surface->Height()};
    RECT dst = Intersect(Offset(target, ox, oy), wm.VisibleClientInSurface(*window));
    dst = Intersect(dst, Offset(surfaceBounds, dx, dy));
    MovePixels(*top.surface, dst, dx, dy);
  }

  RECT uncovered;
  int kind = platform::user::Subtract(source, target, &uncovered);
  if (dx == 0 && dy == 0) {
    uncovered = RECT{};
    kind = NULLREGION;
  }
  if (update != nullptr) *update = uncovered;

  // What was invalid moves with the pixels.
  RECT movedUpdate = Intersect(Offset(Intersect(window->update, source), dx, dy), limit);
  if (!IsEmpty(movedUpdate)) window->update = Union(window->update, movedUpdate);
  if ((flags & SW_INVALIDATE) != 0) wm.Invalidate(*window, &uncovered, (flags & SW_ERASE) != 0);
  // Children are drawn in the same pixels: the ones that were moved must repaint.
  if (dx != 0 || dy != 0) {
    for (HWND hwndChild : window->children) {
      Window* child = wm.Find(hwndChild);
      if (IsEmpty(Intersect(child->rect, Union(source, target)))) continue;
      child->frameDirty = true;
      wm.Invalidate(*child, nullptr, true);
    }
  }
  return kind;
}

}  // extern "C"
