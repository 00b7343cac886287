// What the host sees of the window system: the pixels of windows and of the whole
// screen, and the window tree. Windows are made, moved and destroyed with the
// user32 calls; a top-level window's position (CreateWindowExA, MoveWindow) is its
// place on the screen.
#pragma once

#include <platform/surface.h>
#include <windows.h>

#include <memory>
#include <vector>

namespace platform {

// A copy of the window's whole rectangle as drawn now: frame, scroll bars, client
// area and the children in it. What the window's ancestors clip away is white.
// Null for a stale handle.
std::unique_ptr<Surface> CaptureWindow(HWND hwnd);

// The screen (platform::GetScreen's size) in the desktop colour, with every
// top-level window drawn at its place, later windows over earlier ones.
std::unique_ptr<Surface> CaptureScreen();

// Top-level windows, and a window's children, in creation order.
std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);

// The first descendant of parent (parent NULL: the first top-level window or
// descendant of one), in tree order, whose class has that name in any letter case;
// NULL when there is none.
HWND FindWindowOfClass(HWND parent, const char* className);

}  // namespace platform
