// Palettes: CreatePalette, GetPaletteEntries, SelectPalette, RealizePalette,
// GetSystemPaletteEntries, and the stock default palette.
//
// On a 24-bit screen and on printers palettes change nothing: realising maps no
// entry and there is no system palette to read. On an 8-bit screen the realisation
// model of systempalette.h applies.
#include "palette.h"

#include "dc.h"
#include "systempalette.h"

#include <platform/screen.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

using namespace platform::gdi;

namespace platform::gdi {

HPALETTE DefaultPalette() {
  static void* handle =
      Insert(std::make_unique<LogicalPalette>(std::vector<PALETTEENTRY>(
                 SystemPalette::StaticColours().begin(), SystemPalette::StaticColours().end())),
             true);
  return static_cast<HPALETTE>(handle);
}

}  // namespace platform::gdi

namespace {

bool IsPaletteDevice(const DeviceContext& dc) {
  return dc.kind != platform::DCKind::Printer && platform::GetScreen().depth == 8;
}

}  // namespace

extern "C" {

/***********************************************************************
 * CreatePalette
 * Copies the entries of a version 0x300 LOGPALETTE of 1 to 256 entries. NULL with
 * ERROR_INVALID_PARAMETER for anything else.
 */
HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
  if (palette == nullptr || palette->palVersion != 0x300 || palette->palNumEntries == 0 ||
      palette->palNumEntries > 256) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The entries run past the one-element array the record declares.
  std::vector<PALETTEENTRY> entries(palette->palNumEntries);
  std::memcpy(entries.data(),
              reinterpret_cast<const BYTE*>(palette) + offsetof(LOGPALETTE, palPalEntry),
              entries.size() * sizeof(PALETTEENTRY));
  return static_cast<HPALETTE>(Insert(std::make_unique<LogicalPalette>(std::move(entries))));
}

/***********************************************************************
 * GetPaletteEntries
 * Copies up to count entries from start; returns how many. With no buffer, returns
 * the palette's number of entries. 0 for a stale handle or a start past the end.
 */
UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries) {
  Guard guard(Lock());
  auto* logical = FindAs<LogicalPalette>(palette);
  if (logical == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const auto& all = logical->Entries();
  if (entries == nullptr) return static_cast<UINT>(all.size());
  if (start >= all.size()) return 0;
  UINT n = static_cast<UINT>(std::min<std::size_t>(count, all.size() - start));
  std::memcpy(entries, all.data() + start, n * sizeof(PALETTEENTRY));
  return n;
}

/***********************************************************************
 * SelectPalette
 * Selects a palette into a context, to be realised in the background when
 * forceBackground is set. Returns the previously selected palette; NULL for a stale
 * context or palette.
 */
HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr || FindAs<LogicalPalette>(palette) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HPALETTE previous = context->palette;
  context->palette = palette;
  context->paletteBackground = forceBackground != FALSE;
  return previous;
}

/***********************************************************************
 * RealizePalette
 * Maps the context's palette into the system palette of an 8-bit screen and
 * returns the number of entries newly taken (0 when nothing changed, always 0 on a
 * 24-bit screen and on printers). GDI_ERROR for a stale context. A change is
 * reported to the palette-change listener.
 */
UINT WINAPI RealizePalette(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<UINT>(GDI_ERROR);
  }
  if (!IsPaletteDevice(*context)) return 0;
  auto* logical = FindAs<LogicalPalette>(context->palette);
  UINT taken =
      ScreenPalette().Realize(context->palette, logical->Entries(), context->paletteBackground);
  if (taken != 0) NotifyPaletteChanged(context->window);
  return taken;
}

/***********************************************************************
 * GetSystemPaletteEntries
 * Copies up to count entries of the 8-bit screen's system palette from start and
 * returns how many; with no buffer returns 256. 0 on a 24-bit screen, for a
 * printer and for a stale context.
 */
UINT WINAPI GetSystemPaletteEntries(HDC dc, UINT start, UINT count, LPPALETTEENTRY entries) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!IsPaletteDevice(*context)) return 0;
  const auto& system = ScreenPalette().Entries();
  if (entries == nullptr) return SystemPalette::kSize;
  if (start >= system.size()) return 0;
  UINT n = static_cast<UINT>(std::min<std::size_t>(count, system.size() - start));
  std::memcpy(entries, system.data() + start, n * sizeof(PALETTEENTRY));
  return n;
}

}  // extern "C"
