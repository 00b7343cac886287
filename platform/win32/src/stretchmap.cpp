// Nearest-pixel mapping of one axis (see the header).
#include "stretchmap.h"

#include <algorithm>

namespace platform::gdi {

AxisMap MapAxis(std::int64_t destStart, std::int64_t destLength, std::int64_t clipStart,
                std::int64_t clipEnd, std::int64_t srcStart, std::int64_t srcLength,
                std::int64_t bitmapLength) {
  AxisMap map;
  std::int64_t lo = std::max(destStart, clipStart);
  std::int64_t hi = std::min(destStart + destLength, clipEnd);
  if (lo >= hi) return map;
  // Lengths fit in 32 bits, so (2 * offset + 1) * srcLength stays below 2^63.
  auto sourceAt = [&](std::int64_t d) {
    return srcStart + (2 * (d - destStart) + 1) * srcLength / (2 * destLength);
  };
  // The source index only grows with d: trim the ends that fall off the bitmap.
  while (lo < hi && sourceAt(lo) < 0) ++lo;
  while (hi > lo && sourceAt(hi - 1) >= bitmapLength) --hi;
  map.first = lo;
  map.source.reserve(static_cast<std::size_t>(hi - lo));
  for (std::int64_t d = lo; d < hi; ++d) map.source.push_back(static_cast<int>(sourceAt(d)));
  return map;
}

}  // namespace platform::gdi
