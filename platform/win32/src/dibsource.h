// A DIB as StretchDIBits reads it: a BITMAPINFOHEADER (40 bytes) or an OS/2
// BITMAPCOREHEADER (12 bytes), its colour table and rows padded to 4 bytes.
//
// Only uncompressed 1-, 4-, 8- and 24-bit DIBs are read. The colour table has
// biClrUsed entries (0: the full 2^bits), never more than 2^bits; a pixel value
// past the table reads as black. The size of the pixel buffer cannot be known here,
// as in GDI: the rows the header describes are trusted, and only rows and columns
// inside the bitmap are ever read.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>

namespace platform::gdi {

class DibSource {
 public:
  // Reads the header and colour table; false for a layout StretchDIBits refuses.
  bool Parse(const BITMAPINFO* info, const void* bits);

  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }  // rows, whatever the row order
  bool TopDown() const { return m_bTopDown; }
  int BitCount() const { return m_nBitCount; }
  // 0x00RRGGBB colours of the table, black past its end.
  const std::array<std::uint32_t, 256>& Colours() const { return m_colours; }

  // The pixels at columns (each 0 <= c < Width) of row (0 <= row < Height, counted
  // from the top) into out, as 0x00RRGGBB; indexed pixels through table.
  void ReadPixels(int row, std::span<const int> columns, const std::uint32_t* table,
                  std::uint32_t* out) const;

 private:
  const BYTE* RowBits(int row) const;

  const BYTE* m_pBits = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
  bool m_bTopDown = false;
  int m_nBitCount = 0;
  std::size_t m_nStride = 0;
  std::array<std::uint32_t, 256> m_colours{};
};

}  // namespace platform::gdi
