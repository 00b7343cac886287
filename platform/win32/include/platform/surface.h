// Surfaces: the pixels that windows and memory device contexts draw into.
//
// A surface is a width x height array of 32-bit 0x00RRGGBB pixels, owned by whoever
// created it (a window for its whole frame, a test, the host's screen). A device
// context draws into a surface through an origin offset and a clip rectangle, so a
// window can hand out a context for its client area only. A surface must not move,
// so it cannot be copied; destroying it detaches every context that draws into it
// (their drawing then fails) instead of leaving them pointing at freed pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Surface {
 public:
  static constexpr int kMaxSide = 32768;
  static constexpr std::uint32_t kWhite = 0x00FFFFFF;

  // Throws std::invalid_argument unless 0 <= width, height <= kMaxSide.
  Surface(int width, int height, std::uint32_t fill = kWhite);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }

  // The pixel at (x, y); throws std::out_of_range outside the surface.
  std::uint32_t Pixel(int x, int y) const;
  // Row y, Width() pixels; throws std::out_of_range outside the surface.
  std::uint32_t* Row(int y);
  const std::uint32_t* Row(int y) const;

  // Fills the part of rect that lies on the surface.
  void Fill(const RECT& rect, std::uint32_t colour);
  // New size, every pixel set to fill; same limits as the constructor. Contexts
  // drawing into the surface stay attached and clip to the new size.
  void Resize(int width, int height, std::uint32_t fill = kWhite);

  // Writes the surface as an 8-bit RGB PNG file; false when the file cannot be written
  // or the surface is empty.
  bool WritePng(const std::string& path) const;

 private:
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<std::uint32_t> m_pixels;
};

// A memory device context drawing into surface: logical (0, 0) is surface pixel
// origin, and nothing is drawn outside clip (surface coordinates, intersected with
// the surface). The caller deletes it with DeleteDC. NULL when the GDI table is full.
HDC CreateSurfaceDC(Surface& surface, POINT origin, RECT clip);

// The same for a window's device context: the window system builds GetDC and
// BeginPaint on it. window must not be NULL.
HDC CreateWindowSurfaceDC(HWND window, Surface& surface, POINT origin, RECT clip);

enum class DCKind { Window, Surface, Printer };

// What kind of context dc is; nothing for a stale or foreign handle.
std::optional<DCKind> GetDCKind(HDC dc);

// The window of a window device context; NULL for any other handle.
HWND GetDCWindow(HDC dc);

}  // namespace platform
