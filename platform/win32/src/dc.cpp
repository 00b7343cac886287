// Device contexts: creation over surfaces, DeleteDC, GetDeviceCaps, mapping and
// stretching modes.
//
// Window and surface contexts draw into a platform::Surface and report the screen's
// capabilities; printer contexts (printer.cpp) report their page's. Mapping modes
// other than MM_TEXT are accepted and recorded, but drawing always uses MM_TEXT
// (one logical unit is one device pixel, y grows downwards).
#include "dc.h"

#include "palette.h"
#include "printjob.h"

#include <platform/screen.h>

using namespace platform::gdi;

namespace platform::gdi {

DeviceContext::DeviceContext(DCKind kind)
    : GdiObject(kKind), kind(kind), palette(DefaultPalette()) {}

DeviceContext::~DeviceContext() = default;

void DetachSurface(const Surface& surface) {
  ForEach(ObjectKind::DeviceContext, [&](void*, GdiObject& object) {
    auto& dc = static_cast<DeviceContext&>(object);
    if (dc.surface == &surface) dc.surface = nullptr;
  });
}

}  // namespace platform::gdi

namespace {

constexpr int kScreenDpi = 96;
constexpr int kRasterCaps =
    RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;

HDC CreateOverSurface(platform::DCKind kind, HWND window, platform::Surface& surface, POINT origin,
                      RECT clip) {
  auto dc = std::make_unique<DeviceContext>(kind);
  dc->window = window;
  dc->surface = &surface;
  dc->origin = origin;
  dc->clip = clip;
  return static_cast<HDC>(Insert(std::move(dc)));
}

int ScreenCaps(int index) {
  platform::ScreenMode screen = platform::GetScreen();
  bool palette = screen.depth == 8;
  switch (index) {
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
      return screen.width;
    case VERTRES:
      return screen.height;
    case BITSPIXEL:
      return screen.depth;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return palette ? 20 : -1;
    case RASTERCAPS:
      return kRasterCaps | (palette ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kScreenDpi;
    case SIZEPALETTE:
      return palette ? 256 : 0;
    case NUMRESERVED:
      return palette ? 20 : 0;
    case COLORRES:
      return palette ? 18 : 24;
    default:
      return 0;
  }
}

}  // namespace

namespace platform {

HDC CreateSurfaceDC(Surface& surface, POINT origin, RECT clip) {
  return CreateOverSurface(DCKind::Surface, nullptr, surface, origin, clip);
}

HDC CreateWindowSurfaceDC(HWND window, Surface& surface, POINT origin, RECT clip) {
  if (window == nullptr) return nullptr;
  return CreateOverSurface(DCKind::Window, window, surface, origin, clip);
}

std::optional<DCKind> GetDCKind(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) return std::nullopt;
  return context->kind;
}

HWND GetDCWindow(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  return context != nullptr ? context->window : nullptr;
}

}  // namespace platform

extern "C" {

/***********************************************************************
 * DeleteDC
 * Deletes any context. A printer context in the middle of a job abandons the job
 * first, as AbortDoc would. FALSE for a stale handle.
 */
BOOL WINAPI DeleteDC(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (context->print) context->print->Abandon();
  return Erase(dc) ? TRUE : FALSE;
}

/***********************************************************************
 * GetDeviceCaps
 * The screen's capabilities for window and surface contexts (LOGPIXELSX/Y 96;
 * NUMCOLORS -1 at depth 24, 20 at depth 8), the page's for printers. 0 for an index
 * that is not modelled and for a stale handle.
 */
int WINAPI GetDeviceCaps(HDC dc, int index) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return context->print ? context->print->DeviceCaps(index) : ScreenCaps(index);
}

/***********************************************************************
 * SetMapMode / GetMapMode
 * Records MM_TEXT .. MM_ANISOTROPIC and returns the previous mode; 0 for a stale
 * handle or another mode.
 */
int WINAPI SetMapMode(HDC dc, int mode) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr || mode < MM_TEXT || mode > MM_ANISOTROPIC) {
    SetLastError(context == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = context->mapMode;
  context->mapMode = mode;
  return previous;
}

int WINAPI GetMapMode(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  return context != nullptr ? context->mapMode : 0;
}

/***********************************************************************
 * SetStretchBltMode / GetStretchBltMode
 * Records BLACKONWHITE .. HALFTONE (a context starts with BLACKONWHITE) and returns
 * the previous mode; 0 for a stale handle or another mode. StretchDIBits stretches
 * by nearest pixel (COLORONCOLOR) whatever the mode.
 */
int WINAPI SetStretchBltMode(HDC dc, int mode) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr || mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(context == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = context->stretchMode;
  context->stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC dc) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  return context != nullptr ? context->stretchMode : 0;
}

}  // extern "C"
