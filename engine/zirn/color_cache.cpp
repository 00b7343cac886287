#include "color_cache.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace zirn {
namespace {

constexpr std::size_t kTableBytes = sizeof(ColorCache::Entry) << ColorCache::kIndexBits;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

ColorCache::Entry* NewTable() {
  void* table = std::aligned_alloc(kHugePage, kTableBytes);
  if (table == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(table, kTableBytes, MADV_HUGEPAGE);
#endif
  return static_cast<ColorCache::Entry*>(table);
}

}  // namespace

ColorCache::ColorCache(const MatchColor& keyMask, const MatchColor& zeroResult)
    : m_table(NewTable()) {
  std::memcpy(&m_keyMask, &keyMask, sizeof m_keyMask);
  Entry zero{0, {zeroResult.c[0], zeroResult.c[1], zeroResult.c[2]}};
  std::fill_n(m_table.get(), std::size_t{1} << kIndexBits, zero);
}

void ColorCache::EndWindow() {
  if (m_bypassing) {
    // Back to the cache, first for a window that refills it.
    m_bypassing = false;
    m_refilling = true;
    m_callsLeft = kWindow;
  } else if (m_refilling) {
    m_refilling = false;
    m_callsLeft = kWindow;
  } else if (m_misses > kWindow - kMinHits) {
    m_bypassing = true;
    m_callsLeft = m_bypassLength;
    m_bypassLength = std::min(m_bypassLength * 2, kMaxBypass);
  } else {
    m_callsLeft = kWindow;
    m_bypassLength = kBypass;
  }
  m_misses = 0;
}

}  // namespace zirn
