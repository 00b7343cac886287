// Reading DIB headers, colour tables and pixels for StretchDIBits.
#include "dibsource.h"

#include <cstring>
#include <limits>

namespace platform::gdi {
namespace {

// Larger pixel arrays cannot have come from one global block and are refused.
constexpr std::uint64_t kMaxImageBytes = std::numeric_limits<std::int32_t>::max();

std::uint32_t Rgb(BYTE red, BYTE green, BYTE blue) {
  return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
}

}  // namespace

bool DibSource::Parse(const BITMAPINFO* info, const void* bits) {
  const BYTE* header = reinterpret_cast<const BYTE*>(info);
  DWORD size = info->bmiHeader.biSize;
  std::int64_t width = 0, height = 0;
  int bitCount = 0;
  std::uint64_t colours = 0;
  std::size_t entryBytes = 0;
  if (size == sizeof(BITMAPINFOHEADER)) {
    const BITMAPINFOHEADER& bih = info->bmiHeader;
    if (bih.biCompression != BI_RGB) return false;
    width = bih.biWidth;
    height = bih.biHeight;
    bitCount = bih.biBitCount;
    colours = bih.biClrUsed;
    entryBytes = sizeof(RGBQUAD);
  } else if (size == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, header, sizeof core);
    width = core.bcWidth;
    height = core.bcHeight;  // core DIBs are always bottom-up
    bitCount = core.bcBitCount;
    entryBytes = sizeof(RGBTRIPLE);
  } else {
    return false;
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return false;
  if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) return false;
  std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  std::uint64_t stride = (static_cast<std::uint64_t>(bitCount) * width + 31) / 32 * 4;
  if (stride * rows > kMaxImageBytes) return false;

  m_pBits = static_cast<const BYTE*>(bits);
  m_nWidth = static_cast<int>(width);
  m_nHeight = static_cast<int>(rows);
  m_bTopDown = height < 0;
  m_nBitCount = bitCount;
  m_nStride = static_cast<std::size_t>(stride);
  m_colours.fill(0);
  if (bitCount <= 8) {
    std::uint64_t full = std::uint64_t{1} << bitCount;
    if (colours == 0 || colours > full) colours = full;
    const BYTE* table = header + size;
    for (std::uint64_t i = 0; i < colours; ++i) {
      const BYTE* entry = table + i * entryBytes;  // blue, green, red[, reserved]
      m_colours[i] = Rgb(entry[2], entry[1], entry[0]);
    }
  }
  return true;
}

const BYTE* DibSource::RowBits(int row) const {
  int stored = m_bTopDown ? row : m_nHeight - 1 - row;
  return m_pBits + static_cast<std::size_t>(stored) * m_nStride;
}

void DibSource::ReadPixels(int row, std::span<const int> columns, const std::uint32_t* table,
                           std::uint32_t* out) const {
  const BYTE* bits = RowBits(row);
  // Nearest-pixel columns either repeat (enlarging) or skip (reducing), never both, so
  // a span as long as the list means consecutive columns.
  bool contiguous =
      !columns.empty() && columns.back() - columns.front() + 1 == static_cast<int>(columns.size());
  if (contiguous && m_nBitCount >= 8) {
    // Unstretched rows, the common case of painting: no column lookups.
    const BYTE* p = bits + static_cast<std::size_t>(columns.front()) * (m_nBitCount / 8);
    std::size_t n = columns.size();
    if (m_nBitCount == 8) {
      for (std::size_t i = 0; i < n; ++i) out[i] = table[p[i]];
    } else {
      for (std::size_t i = 0; i < n; ++i) out[i] = Rgb(p[3 * i + 2], p[3 * i + 1], p[3 * i]);
    }
    return;
  }
  switch (m_nBitCount) {
    case 1:
      for (int x : columns) *out++ = table[(bits[x >> 3] >> (7 - (x & 7))) & 1];
      break;
    case 4:
      for (int x : columns) *out++ = table[(x & 1) ? bits[x >> 1] & 0x0F : bits[x >> 1] >> 4];
      break;
    case 8:
      for (int x : columns) *out++ = table[bits[x]];
      break;
    default:
      for (int x : columns) {
        const BYTE* p = bits + static_cast<std::size_t>(x) * 3;
        *out++ = Rgb(p[2], p[1], p[0]);
      }
      break;
  }
}

}  // namespace platform::gdi
