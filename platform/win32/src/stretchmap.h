// How StretchDIBits maps device pixels to source pixels.
//
// Stretching is nearest-pixel (COLORONCOLOR) whatever the stretch mode: device
// pixel d of a destination [start, start + length) takes the source pixel under its
// centre, srcStart + floor((d - start + 0.5) * srcLength / length). Doubling
// repeats every pixel; halving takes pixels 1, 3, 5, ... A device pixel whose source
// lies outside the bitmap is not drawn, nor is one outside the clip.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::gdi {

// One StretchDIBits call in device coordinates, source rows counted from the top.
struct StretchRect {
  std::int64_t destX, destY, destWidth, destHeight;
  std::int64_t srcX, srcTop, srcWidth, srcHeight;
};

// The visible device pixels of one axis and the source pixel of each.
struct AxisMap {
  std::int64_t first = 0;
  std::vector<int> source;  // for device coordinates first, first + 1, ...

  bool Empty() const { return source.empty(); }
  std::int64_t End() const { return first + static_cast<std::int64_t>(source.size()); }
};

// Lengths must be positive; the clip range must be small (it is bounded by a
// surface or a page), since the work is proportional to it.
AxisMap MapAxis(std::int64_t destStart, std::int64_t destLength, std::int64_t clipStart,
                std::int64_t clipEnd, std::int64_t srcStart, std::int64_t srcLength,
                std::int64_t bitmapLength);

}  // namespace platform::gdi
