// The desktop: a real display (X11 or Wayland) reached through GTK 3. A program that
// finds one shows its windows with DesktopScreen and asks DesktopPerson its questions;
// without one it keeps the off-screen screen and the default person.
#pragma once

namespace platform::desktop {

// $DISPLAY or $WAYLAND_DISPLAY names a display.
bool DisplayNamed();

// Opens the named display through the toolkit, once per process. False when no display
// is named or it cannot be opened.
bool OpenDisplay();

}  // namespace platform::desktop
