// One matching session: a LittleCMS transform from the source profile to the monitor
// profile, and a cache for one-record calls.
//
// The transform uses LittleCMS's plain formats (3, 1 or 4 input channels, RGB out),
// for which it has its fastest packing code: the input is read straight from the
// record (its first components), the output goes through a small buffer so that
// component 3 keeps its value.
#pragma once

#include <zirn.h>

#include <cstdint>

#include "color_cache.h"
#include "lcms_handles.h"

namespace zirn {

class MatchSession {
 public:
  // keyMask has all bits set in the components the transform's input format reads.
  MatchSession(TransformPtr transform, const MatchColor& keyMask);

  // A hit costs only what is inline here; the rest is out of line, so the common call
  // needs no stack frame.
  void MatchOne(MatchColor* record) {
    const std::uint64_t key = m_cache.KeyOf(*record);
    if (const ColorCache::Entry* hit = m_cache.Lookup(key)) {
      std::memcpy(record->c, hit->rgb, sizeof hit->rgb);
      return;
    }
    MatchMissed(record, key);
  }

  [[gnu::noinline]] void MatchMany(std::uint32_t count, MatchColor* records);

 private:
  [[gnu::noinline]] void MatchMissed(MatchColor* record, std::uint64_t key);

  TransformPtr m_transform;
  ColorCache m_cache;
};

}  // namespace zirn
