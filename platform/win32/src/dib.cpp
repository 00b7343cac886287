// StretchDIBits: drawing a DIB into a window, surface or printer context.
//
// Only the visible destination pixels are visited, so drawing a 12-megapixel bitmap
// into an 800 x 600 window costs about 800 x 600 pixel reads. On an 8-bit screen
// every colour drawn into a window or surface is mapped to the nearest entry of the
// system palette; printers keep full colour.
#include "dc.h"
#include "dibsource.h"
#include "printjob.h"
#include "stretchmap.h"
#include "systempalette.h"

#include <platform/screen.h>

#include <algorithm>

using namespace platform::gdi;

namespace {

// GDI measures ySrc from the lower-left corner of the bitmap, for bottom-up and
// top-down DIBs alike, except in its fast path: an unstretched copy from the source
// origin of a top-down DIB starts at the top row.
std::int64_t SourceTop(const DibSource& dib, int xSrc, int ySrc, int destWidth, int destHeight,
                       int srcWidth, int srcHeight) {
  bool fromOrigin = xSrc == 0 && ySrc == 0 && srcWidth == destWidth && srcHeight == destHeight;
  if (dib.TopDown() && fromOrigin) return 0;
  return std::int64_t{dib.Height()} - ySrc - srcHeight;
}

void DrawIntoSurface(const DeviceContext& dc, const DibSource& dib, const StretchRect& rect) {
  platform::Surface& surface = *dc.surface;
  std::int64_t clipLeft = std::max<std::int64_t>(dc.clip.left, 0);
  std::int64_t clipTop = std::max<std::int64_t>(dc.clip.top, 0);
  std::int64_t clipRight = std::min<std::int64_t>(dc.clip.right, surface.Width());
  std::int64_t clipBottom = std::min<std::int64_t>(dc.clip.bottom, surface.Height());
  AxisMap xs = MapAxis(rect.destX, rect.destWidth, clipLeft, clipRight, rect.srcX, rect.srcWidth,
                       dib.Width());
  AxisMap ys = MapAxis(rect.destY, rect.destHeight, clipTop, clipBottom, rect.srcTop,
                       rect.srcHeight, dib.Height());
  if (xs.Empty() || ys.Empty()) return;

  bool mapToPalette = platform::GetScreen().depth == 8;
  SystemPalette& palette = ScreenPalette();
  std::array<std::uint32_t, 256> table = dib.Colours();
  if (mapToPalette && dib.BitCount() <= 8) {
    for (auto& colour : table) colour = palette.Nearest(colour);
  }
  for (std::size_t j = 0; j < ys.source.size(); ++j) {
    std::uint32_t* out = surface.Row(static_cast<int>(ys.first + j)) + xs.first;
    dib.ReadPixels(ys.source[j], xs.source, table.data(), out);
    if (mapToPalette && dib.BitCount() > 8) {
      for (std::size_t i = 0; i < xs.source.size(); ++i) out[i] = palette.Nearest(out[i]);
    }
  }
}

}  // namespace

extern "C" {

/***********************************************************************
 * StretchDIBits
 * Draws the source rectangle of a DIB (DIB_RGB_COLORS, SRCCOPY) stretched by
 * nearest pixel into the destination rectangle, clipped to the context and to the
 * bitmap. Returns the bitmap's number of rows, as GDI does, when the source
 * rectangle overlaps the bitmap, whether or not anything was visible; 0 when it
 * does not, and for empty or negative extents (mirroring is not supported).
 * GDI_ERROR for a stale context, a context whose surface is gone, a printer with no
 * page open, null bits or header, a header size other than 40 or 12, compression,
 * a bit count other than 1, 4, 8 or 24, DIB_PAL_COLORS or another raster operation.
 */
int WINAPI StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                         int ySrc, int srcWidth, int srcHeight, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) {
  Guard guard(Lock());
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GDI_ERROR;
  }
  DibSource dib;
  if (bits == nullptr || info == nullptr || usage != DIB_RGB_COLORS || rop != SRCCOPY ||
      !dib.Parse(info, bits)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return GDI_ERROR;
  }
  bool printer = context->kind == platform::DCKind::Printer;
  if ((!printer && context->surface == nullptr) || (printer && !context->print->PageOpen())) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GDI_ERROR;
  }
  if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return 0;
  std::int64_t top = SourceTop(dib, xSrc, ySrc, destWidth, destHeight, srcWidth, srcHeight);
  if (xSrc >= dib.Width() || std::int64_t{xSrc} + srcWidth <= 0 || top >= dib.Height() ||
      top + srcHeight <= 0) {
    return 0;
  }
  StretchRect rect{xDest, yDest, destWidth, destHeight, xSrc, top, srcWidth, srcHeight};
  if (printer) {
    context->print->Draw(dib, rect);
  } else {
    rect.destX += context->origin.x;
    rect.destY += context->origin.y;
    DrawIntoSurface(*context, dib, rect);
  }
  return dib.Height();
}

}  // extern "C"
