// Paints a window's non-client area: the 1-pixel border and the standard scroll
// bars (arrow buttons, trough, thumb at the position) in the classic look, with
// colours that are static on an 8-bit screen, so no palette changes them.
#pragma once

#include "windowmanager.h"

#include <cstdint>

namespace platform::user {

// origin: the window's top-left corner in the surface; nothing is drawn outside
// clip (surface coordinates).
void PaintFrame(const Window& window, Surface& surface, POINT origin, const RECT& clip);

// Where the thumb of a bar `length` pixels long lies, along the bar from its start;
// length 0 when no thumb is drawn (nothing to scroll, or no room between the arrows).
struct Thumb {
  int start = 0;
  int length = 0;
};
Thumb ThumbOf(const ScrollBar& bar, int length);

// 0x00BBGGRR as the surface's 0x00RRGGBB.
std::uint32_t SurfaceColour(COLORREF colour);

}  // namespace platform::user
