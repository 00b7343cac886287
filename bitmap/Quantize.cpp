// QuantizeDIB: two passes over the input (histogram, mapping) around the median cut
// of QuantContext. Sizes come from the header only, so they are checked in 64 bits
// before anything is read or allocated.
#include "bitmap/Quantize.h"

#include "bitmap/QuantContext.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace {

constexpr uint64_t kMaxBlockBytes = 0xFFFFFFFFu;  // what biSizeImage can describe
constexpr uint64_t kOutputHeaderBytes =
    sizeof(BITMAPINFOHEADER) + QuantContext::kPaletteSize * sizeof(RGBQUAD);

// The ordered dither matrix, first index across (counted from the right-hand end of
// the row), second index down.
constexpr int kOrderedMatrix[4][4] = {
    {-7, 1, -5, 3}, {5, -3, 7, -1}, {-4, 4, -6, 2}, {8, 0, 6, -2}};

struct Layout {
  LONG width;
  uint64_t rows;
  uint64_t inRowBytes;
  uint64_t outRowBytes;
  uint64_t outBytes;
  const BYTE* bits;
};

uint64_t RowBytes(uint64_t bitsPerPixel, uint64_t width) {
  return (bitsPerPixel * width + 31) / 32 * 4;
}

// Where the pixels start: after the header and its colour table. Only a 40-byte
// header declares its table by biClrUsed; a 24-bit DIB has none otherwise.
const BYTE* FindDIBBits(const BITMAPINFOHEADER& header) {
  uint64_t table =
      header.biSize == sizeof(BITMAPINFOHEADER) ? uint64_t{header.biClrUsed} * sizeof(RGBQUAD) : 0;
  return reinterpret_cast<const BYTE*>(&header) + header.biSize + table;
}

std::optional<Layout> MeasureDIB(const BITMAPINFOHEADER& header) {
  if (header.biWidth < 0) return std::nullopt;
  Layout layout;
  layout.width = header.biWidth;
  layout.rows = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
  layout.inRowBytes = RowBytes(24, layout.width);
  layout.outRowBytes = RowBytes(8, layout.width);
  if (layout.inRowBytes * layout.rows > kMaxBlockBytes) return std::nullopt;
  layout.outBytes = kOutputHeaderBytes + layout.outRowBytes * layout.rows;
  if (layout.outBytes > kMaxBlockBytes) return std::nullopt;
  layout.bits = FindDIBBits(header);
  return layout;
}

struct Progress {
  QUANTPROGRESSPROC proc;
  int last;  // the percentage last reported
};

// Reports the share from `from` to `to` percent reached when `done` of `total` rows
// are finished.
void ReportRows(Progress& progress, uint64_t done, uint64_t total, int from, int to) {
  if (progress.proc == nullptr) return;
  int percent = total == 0 ? to : from + static_cast<int>(done * (to - from) / total);
  if (percent <= progress.last) return;
  progress.last = percent;
  progress.proc(percent);
}

// A component plus a dither offset (-14..+16), clamped to 0..255: one look-up.
class ClampTable {
 public:
  static constexpr int kLowest = -14;
  constexpr ClampTable() : m_abValues{} {
    for (int i = 0; i < int(sizeof m_abValues); ++i) {
      int v = i + kLowest;
      m_abValues[i] = static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
  }
  BYTE operator()(int v) const { return m_abValues[v - kLowest]; }

 private:
  BYTE m_abValues[14 + 256 + 16];
};
constexpr ClampTable Clamp;

bool CountPixels(QuantContext& context, const Layout& layout, Progress& progress) {
  for (uint64_t y = 0; y < layout.rows; ++y) {
    const BYTE* pixel = layout.bits + y * layout.inRowBytes;
    for (LONG x = 0; x < layout.width; ++x, pixel += 3) {
      if (!context.CountColor(pixel[2], pixel[1], pixel[0])) return false;
    }
    ReportRows(progress, y + 1, layout.rows, 0, 50);
  }
  ReportRows(progress, layout.rows, layout.rows, 0, 50);
  return true;
}

bool MapPixels(QuantContext& context, const Layout& layout, int dither, BYTE* out,
               Progress& progress) {
  for (uint64_t y = 0; y < layout.rows; ++y) {
    int offsets[4];
    for (int column = 0; column < 4; ++column) {
      offsets[column] = dither == QUANT_DITHER_ORDERED ? 2 * kOrderedMatrix[column][y % 4] : 0;
    }
    const BYTE* pixel = layout.bits + y * layout.inRowBytes;
    BYTE* index = out + y * layout.outRowBytes;
    int column = (layout.width - 1) & 3;  // (width - 1 - x) mod 4, for x = 0
    for (LONG x = 0; x < layout.width; ++x, pixel += 3) {
      int d = offsets[column];
      column = (column - 1) & 3;
      int entry =
          context.PaletteIndex(Clamp(pixel[2] + d), Clamp(pixel[1] + d), Clamp(pixel[0] + d));
      if (entry < 0) return false;
      index[x] = static_cast<BYTE>(entry);
    }
    ReportRows(progress, y + 1, layout.rows, 50, 100);
  }
  ReportRows(progress, layout.rows, layout.rows, 50, 100);
  return true;
}

void WriteHeaderAndPalette(const BITMAPINFOHEADER& input, const QuantContext& context,
                           const Layout& layout, LPBITMAPINFOHEADER header) {
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = input.biWidth;
  header->biHeight = input.biHeight;
  header->biPlanes = 1;
  header->biBitCount = 8;
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(layout.outRowBytes * layout.rows);
  header->biXPelsPerMeter = 0;
  header->biYPelsPerMeter = 0;
  header->biClrUsed = QuantContext::kPaletteSize;
  header->biClrImportant = QuantContext::kPaletteSize;
  auto* table = reinterpret_cast<RGBQUAD*>(header + 1);
  for (int i = 0; i < QuantContext::kPaletteSize; ++i) {
    table[i].rgbRed = static_cast<BYTE>(context.red[i]);
    table[i].rgbGreen = static_cast<BYTE>(context.green[i]);
    table[i].rgbBlue = static_cast<BYTE>(context.blue[i]);
    table[i].rgbReserved = 0;
  }
}

// The mapping pass: a new locked output block, or NULL with nothing allocated.
LPBITMAPINFOHEADER BuildOutput(const BITMAPINFOHEADER& input, QuantContext& context,
                               const Layout& layout, int dither, Progress& progress) {
  HGLOBAL hOut = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, layout.outBytes);
  if (hOut == nullptr) return nullptr;
  auto* header = static_cast<LPBITMAPINFOHEADER>(GlobalLock(hOut));
  if (header == nullptr) {
    GlobalFree(hOut);
    return nullptr;
  }
  WriteHeaderAndPalette(input, context, layout, header);
  if (!MapPixels(context, layout, dither, reinterpret_cast<BYTE*>(header) + kOutputHeaderBytes,
                 progress)) {
    GlobalUnlock(hOut);
    GlobalFree(hOut);
    return nullptr;
  }
  return header;
}

}  // namespace

LPBITMAPINFOHEADER QuantizeDIB(const BITMAPINFOHEADER* lpbi, int method, int dither,
                               QUANTPROGRESSPROC progress) {
  if (lpbi == nullptr) return nullptr;
  // A shorter (OS/2 core) header keeps its fields elsewhere.
  if (lpbi->biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
  if (lpbi->biBitCount != 24) {
    MessageBoxA(nullptr, "Not a 24 bitmap", "quant", MB_OK);
    return nullptr;
  }
  if (method != QUANT_METHOD_MEDIAN_CUT) return nullptr;
  if (dither != QUANT_DITHER_NONE && dither != QUANT_DITHER_ORDERED) return nullptr;
  std::optional<Layout> layout = MeasureDIB(*lpbi);
  if (!layout) return nullptr;

  std::unique_ptr<QuantContext> context = QuantContext::Create();
  if (!context) return nullptr;
  Progress reporter{progress, -1};
  if (!CountPixels(*context, *layout, reporter)) return nullptr;
  if (!context->MedianCut()) return nullptr;
  return BuildOutput(*lpbi, *context, *layout, dither, reporter);
}
