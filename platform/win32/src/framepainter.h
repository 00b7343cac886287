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

// 0x00BBGGRR as the surface's 0x00RRGGBB.
std::uint32_t SurfaceColour(COLORREF colour);

}  // namespace platform::user
