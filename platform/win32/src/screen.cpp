// The screen's size and depth, its system palette, and the palette-change listener.
#include "gdiobj.h"
#include "systempalette.h"

#include <platform/screen.h>
#include <platform/surface.h>

namespace platform {
namespace {

ScreenMode g_screen;
PaletteChangeListener g_paletteListener;

}  // namespace

bool SetScreen(int width, int height, int depth) {
  if ((depth != 8 && depth != 24) || width < 1 || height < 1 || width > Surface::kMaxSide ||
      height > Surface::kMaxSide) {
    return false;
  }
  gdi::Guard guard(gdi::Lock());
  g_screen = ScreenMode{width, height, depth};
  gdi::ScreenPalette().Reset();
  return true;
}

ScreenMode GetScreen() {
  gdi::Guard guard(gdi::Lock());
  return g_screen;
}

PaletteChangeListener SetPaletteChangeListener(PaletteChangeListener listener) {
  gdi::Guard guard(gdi::Lock());
  std::swap(g_paletteListener, listener);
  return listener;
}

namespace gdi {

SystemPalette& ScreenPalette() {
  static SystemPalette* palette = new SystemPalette;  // outlives other modules' statics
  return *palette;
}

void NotifyPaletteChanged(HWND changer) {
  PaletteChangeListener listener = g_paletteListener;  // the listener may replace itself
  if (listener) listener(changer);
}

}  // namespace gdi
}  // namespace platform
