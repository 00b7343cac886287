// The window system's state: window classes, the window tree behind the HWND
// table, and the geometry every user32 family shares (frames, client areas,
// surfaces, window device contexts, update rectangles).
//
// Windows belong to one thread, the user-interface thread, as the system needs:
// everything here except the posted-message queue (messagequeue.h) is used from
// that thread only. Nothing here is held while a window procedure runs, and a
// procedure may destroy any window, so callers look a window up again by its
// handle after every message they send.
#pragma once

#include "rectmath.h"

#include <platform/surface.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::user {

inline constexpr int kScrollBarSize = 17;
inline constexpr int kMaxCoordinate = 32767;

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  HINSTANCE instance = nullptr;
  int windowExtra = 0;
  int windows = 0;  // live windows of the class
};

struct ScrollBar {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  // While the person drags the thumb: the position it stands for and where the
  // pointer holds it (pixels along the bar); -1 when it is not dragged.
  int trackPos = 0;
  int dragThumb = -1;
};

struct Window {
  HWND handle = nullptr;
  HWND parent = nullptr;       // child windows
  HWND owner = nullptr;        // top-level windows
  std::vector<HWND> children;  // creation order
  WindowClass* windowClass = nullptr;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  WNDPROC proc = nullptr;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  std::vector<unsigned char> extra;  // the class's window extra bytes

  RECT rect{};    // in the parent's client coordinates; on the screen for top-level windows
  RECT client{};  // the client area in window coordinates, as the frame was last laid out
  bool border = false;
  bool barShown[2] = {false, false};  // SB_HORZ, SB_VERT, as laid out
  ScrollBar bars[2];

  RECT update{};  // client coordinates; empty when valid
  bool erase = false;
  bool frameDirty = false;  // something was drawn over the frame since it was drawn
  bool destroying = false;

  std::unique_ptr<Surface> surface;  // top-level windows: the whole window's pixels

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
  // (0, 0, client width, client height).
  RECT ClientRect() const;
};

class WindowManager {
 public:
  static WindowManager& Get();

  // Classes. FindClass takes a name (any letter case) or an atom.
  WindowClass* FindClass(LPCSTR nameOrAtom);
  ATOM RegisterClass(const WNDCLASSA& wndClass);
  bool UnregisterClass(LPCSTR nameOrAtom);

  // The window behind a handle; null for a null, stale or foreign handle. FindOrFail
  // also sets ERROR_INVALID_WINDOW_HANDLE.
  Window* Find(HWND hwnd) const;
  Window* FindOrFail(HWND hwnd) const;
  HWND Insert(std::unique_ptr<Window> window);
  // Takes the window out of the tree and the table; its surface detaches its DCs.
  void Erase(HWND hwnd);
  const std::vector<HWND>& TopLevels() const { return m_topLevels; }
  // The window and its descendants, parents first.
  std::vector<HWND> Subtree(HWND hwnd) const;
  bool IsDescendant(HWND hwnd, HWND ancestor) const;
  // Sends WM_PALETTECHANGED (wParam: changer) to every window, top-level windows
  // and their descendants in tree order.
  void BroadcastPaletteChanged(HWND changer);

  Window& TopLevelOf(Window& window) const;
  // The window's top-left corner in its top-level window's surface.
  POINT OriginInSurface(const Window& window) const;
  // The window's top-left corner on the screen.
  POINT OriginOnScreen(const Window& window) const;
  // The part of the client area (or of the whole window) that its ancestors' client
  // areas and the surface leave visible, in surface coordinates.
  RECT VisibleClientInSurface(const Window& window) const;
  RECT VisibleWindowInSurface(const Window& window) const;

  // Takes the frame (border, scroll bars) from the style bits, then lays the client
  // area out inside the frame.
  void ReadFrameStyle(Window& window);
  void LayoutClient(Window& window);
  // Moves or resizes the window (relayout: takes the frame from the style again).
  // With redraw, invalidates what the change disturbed: the parent's area under the
  // old rectangle, the whole client area when the window moved or was resized (a
  // top-level surface is cleared by a resize), else what the frame gave back, and
  // draws the frame. Returns whether the client size changed, or nothing (with
  // ERROR_NOT_ENOUGH_MEMORY) when the surface cannot take the new size.
  std::optional<bool> Reshape(Window& window, const RECT& rect, bool relayout, bool redraw);
  // Whether a top-level window of that size may have a surface.
  static bool SurfaceFits(int width, int height);
  // Draws border and scroll bars into the surface and clears frameDirty.
  void DrawFrame(Window& window);

  // Adds rect (client coordinates, null: all) to the update rectangle and to the
  // overlapped children's, marking their frames to be drawn again.
  void Invalidate(Window& window, const RECT* rect, bool erase);

  // Window device contexts: GetDC (paint false) and BeginPaint (clipped to
  // paintRect, client coordinates). Null when GDI has no room.
  HDC CreateDC(Window& window, bool paint, const RECT& paintRect);
  // Deletes a DC that CreateDC made for hwnd; false for any other.
  bool ReleaseDC(HWND hwnd, HDC hdc);
  HWND WindowOfDC(HDC hdc) const;
  // Recomputes the origin and clip of the DCs of the window and its descendants
  // after they moved or their frames changed.
  void RefreshDCs(const Window& window);
  // Forgets the DCs of a window being destroyed; drawing with them fails.
  void DetachDCs(HWND hwnd);

 private:
  WindowManager();

  struct WindowDC {
    HWND window;
    bool paint;
    RECT paintRect;
  };
  void PlaceDC(HDC hdc, const WindowDC& record);

  std::unordered_map<std::string, std::unique_ptr<WindowClass>> m_classes;  // by lower-case name
  ATOM m_nextAtom = 0xC000;
  std::unordered_map<HWND, std::unique_ptr<Window>> m_windows;
  std::vector<HWND> m_topLevels;  // creation order
  std::uintptr_t m_nextHandle = 0x10000;
  std::unordered_map<HDC, WindowDC> m_dcs;
};

}  // namespace platform::user
