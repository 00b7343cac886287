// Small DIBs built pixel by pixel for drawing tests: a BITMAPINFOHEADER with room
// for a full colour table, and rows padded to 4 bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

class TestDib {
 public:
  // height < 0: top-down. colours: the colour table (0x00RRGGBB), biClrUsed set to
  // its size when it is not empty.
  TestDib(int width, int height, int bitCount, std::vector<std::uint32_t> colours = {})
      : m_info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)) {
    BITMAPINFOHEADER& h = Header();
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biClrUsed = static_cast<DWORD>(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) SetColour(static_cast<int>(i), colours[i]);
    m_nStride = (bitCount * width + 31) / 32 * 4;
    m_bits.assign(static_cast<std::size_t>(m_nStride) * Rows(), 0);
  }

  BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(m_info.data()); }
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(m_info.data()); }
  const void* Bits() const { return m_bits.data(); }
  std::vector<std::uint8_t>& Bytes() { return m_bits; }
  int Stride() const { return m_nStride; }

  void SetColour(int index, std::uint32_t rgb) {
    std::uint8_t* q = m_info.data() + sizeof(BITMAPINFOHEADER) + 4 * index;
    q[0] = rgb & 0xFF;
    q[1] = (rgb >> 8) & 0xFF;
    q[2] = (rgb >> 16) & 0xFF;
    q[3] = 0;
  }

  // value: a colour-table index, or 0x00RRGGBB for 24 bits. row counts from the top
  // of the picture, whatever the row order.
  void Set(int x, int row, std::uint32_t value) {
    const BITMAPINFOHEADER& h = Header();
    int stored = h.biHeight < 0 ? row : Rows() - 1 - row;
    std::uint8_t* line = m_bits.data() + static_cast<std::size_t>(stored) * m_nStride;
    switch (h.biBitCount) {
      case 1:
        line[x / 8] = static_cast<std::uint8_t>((line[x / 8] & ~(0x80 >> (x % 8))) |
                                                ((value & 1) << (7 - x % 8)));
        break;
      case 4:
        line[x / 2] = static_cast<std::uint8_t>(x % 2 ? (line[x / 2] & 0xF0) | (value & 0x0F)
                                                      : (line[x / 2] & 0x0F) | (value << 4));
        break;
      case 8:
        line[x] = static_cast<std::uint8_t>(value);
        break;
      default:
        line[3 * x] = value & 0xFF;
        line[3 * x + 1] = (value >> 8) & 0xFF;
        line[3 * x + 2] = (value >> 16) & 0xFF;
        break;
    }
  }

 private:
  int Rows() const {
    LONG h = reinterpret_cast<const BITMAPINFOHEADER*>(m_info.data())->biHeight;
    return h < 0 ? -h : h;
  }

  std::vector<std::uint8_t> m_info;
  std::vector<std::uint8_t> m_bits;
  int m_nStride = 0;
};
