// The device context record: what a context draws into and the state that
// SelectPalette, SetMapMode and SetStretchBltMode keep.
#pragma once

#include "gdiobj.h"

#include <platform/surface.h>

#include <memory>

namespace platform::gdi {

class PrintJob;

class DeviceContext : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::DeviceContext;
  explicit DeviceContext(DCKind kind);
  ~DeviceContext() override;

  DCKind kind;
  HWND window = nullptr;            // window contexts
  Surface* surface = nullptr;       // window and surface contexts; null once it is gone
  POINT origin{};                   // surface pixel of logical (0, 0)
  RECT clip{};                      // in surface pixels
  std::unique_ptr<PrintJob> print;  // printer contexts

  HPALETTE palette;  // starts as the stock default palette
  bool paletteBackground = false;
  int mapMode = MM_TEXT;
  int stretchMode = BLACKONWHITE;
};

// Detaches every context drawing into surface (called as it is destroyed).
void DetachSurface(const Surface& surface);

}  // namespace platform::gdi
