#include "color_cache.h"

#include <algorithm>

namespace zirn {

ColorCache::ColorCache(const MatchColor& keyMask, const MatchColor& zeroResult)
    : m_table(new Entry[std::size_t{1} << kIndexBits]) {
  std::memcpy(&m_keyMask, &keyMask, sizeof m_keyMask);
  Entry zero{0, {zeroResult.c[0], zeroResult.c[1], zeroResult.c[2]}};
  std::fill_n(m_table.get(), std::size_t{1} << kIndexBits, zero);
}

void ColorCache::EndWindow() {
  if (m_bypassing) {
    m_bypassing = false;
    m_callsLeft = kWindow;
  } else if (m_hits < kMinHits) {
    m_bypassing = true;
    m_callsLeft = kBypass;
  } else {
    m_callsLeft = kWindow;
  }
  m_hits = 0;
}

}  // namespace zirn
