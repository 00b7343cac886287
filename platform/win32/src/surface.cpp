// Surfaces: pixel storage for windows and memory device contexts.
#include <platform/surface.h>

#include "dc.h"
#include "gdiobj.h"
#include "pngwriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace platform {
namespace {

void CheckSize(int width, int height) {
  if (width < 0 || height < 0 || width > Surface::kMaxSide || height > Surface::kMaxSide) {
    throw std::invalid_argument("surface size out of range");
  }
}

}  // namespace

Surface::Surface(int width, int height, std::uint32_t fill) { Resize(width, height, fill); }

Surface::~Surface() {
  gdi::Guard guard(gdi::Lock());
  gdi::DetachSurface(*this);
}

void Surface::Resize(int width, int height, std::uint32_t fill) {
  CheckSize(width, height);
  gdi::Guard guard(gdi::Lock());  // a context may be drawing into it
  m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  m_nWidth = width;
  m_nHeight = height;
}

std::uint32_t Surface::Pixel(int x, int y) const {
  if (x < 0 || x >= m_nWidth) throw std::out_of_range("surface column out of range");
  return Row(y)[x];
}

std::uint32_t* Surface::Row(int y) {
  if (y < 0 || y >= m_nHeight) throw std::out_of_range("surface row out of range");
  return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth);
}

const std::uint32_t* Surface::Row(int y) const { return const_cast<Surface*>(this)->Row(y); }

void Surface::Fill(const RECT& rect, std::uint32_t colour) {
  int left = std::clamp<int>(rect.left, 0, m_nWidth),
      right = std::clamp<int>(rect.right, 0, m_nWidth);
  int top = std::clamp<int>(rect.top, 0, m_nHeight),
      bottom = std::clamp<int>(rect.bottom, 0, m_nHeight);
  for (int y = top; y < bottom && left < right; ++y)
    std::fill(Row(y) + left, Row(y) + right, colour);
}

bool Surface::WritePng(const std::string& path) const {
  return gdi::WritePng(path, m_nWidth, m_nHeight, [this](int y, std::uint32_t* row) {
    std::memcpy(row, Row(y), static_cast<std::size_t>(m_nWidth) * sizeof(std::uint32_t));
  });
}

}  // namespace platform
