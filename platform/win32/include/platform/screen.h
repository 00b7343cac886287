// The screen: a size and a colour depth, set by the host.
//
// Depth 24 is a true-colour display: GetDeviceCaps(NUMCOLORS) is -1 and palettes
// change nothing. Depth 8 is a display with a colour table: NUMCOLORS is 20,
// RASTERCAPS has RC_PALETTE, and there is a 256-entry system palette whose first and
// last 10 entries hold the 20 static VGA colours. RealizePalette places a logical
// palette's colours in the 236 free entries between them; drawing on a window or
// surface device context maps every colour to the nearest entry of the system
// palette (see palette.cpp for the realisation model).
#pragma once

#include <windows.h>

#include <functional>

namespace platform {

struct ScreenMode {
  int width = 1024;
  int height = 768;
  int depth = 24;
};

// Sets the screen and resets the system palette to its static colours. False, and
// nothing changes, unless depth is 8 or 24 and both sides are 1..32768.
bool SetScreen(int width, int height, int depth);
ScreenMode GetScreen();

// Called after a realisation changed the system palette, with the window of the
// context that realised (NULL for a surface context): the window system sends
// WM_PALETTECHANGED from here. Returns the previous listener; an empty one removes it.
using PaletteChangeListener = std::function<void(HWND changer)>;
PaletteChangeListener SetPaletteChangeListener(PaletteChangeListener listener);

}  // namespace platform
