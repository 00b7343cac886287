// The colours a session has converted, so that converting one record at a time stays
// cheap: the system calls the engine once per pixel, and photographs repeat colours.
//
// Direct-mapped, keyed by the exact input components (all 64 bits of the record under
// a mask of the components the source uses), so a hit returns exactly what the
// transform returned for that input. Every slot always holds a valid conversion: the
// table starts filled with the conversion of the all-zero input, so there is no empty
// state to test.
//
// Content without repeats (noise) would only pay for the lookups, so the cache counts
// its misses in windows of calls and steps aside for a while when hits are too rare to
// pay. Lookup is the whole cost of a hit and stays small enough to inline (it counts
// the call and nothing else); everything at a miss goes through SlotForMiss.
#pragma once

#include <zirn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zirn {

class ColorCache {
 public:
  struct Entry {
    std::uint64_t key;
    std::uint16_t rgb[3];
  };

  // 256K entries, 4 MiB: a 12-megapixel photograph hits some 98% of the time, a
  // fractal plasma of 670,000 colours some 85%.
  static constexpr unsigned kIndexBits = 18;
  // Calls per window; a window with fewer than kMinHits hits is followed by calls
  // without the cache, kBypass at first and twice as many after each further poor
  // window, up to kMaxBypass. A hit saves a transform; a miss adds a lookup and an
  // insertion at a random place in a table that is mostly outside the processor's
  // caches, which costs a good part of a transform. The window after calls without the
  // cache refills the table and is not judged: judged, it would find the table as cold
  // as the content moved on from it, and content with many colours would never get the
  // cache back.
  static constexpr std::uint32_t kWindow = 4096;
  static constexpr std::uint32_t kMinHits = kWindow / 4;
  static constexpr std::uint32_t kBypass = 65536;
  static constexpr std::uint32_t kMaxBypass = 1u << 20;

  // keyMask selects the input components that matter; zeroResult is the conversion of
  // the all-zero input.
  ColorCache(const MatchColor& keyMask, const MatchColor& zeroResult);

  std::uint64_t KeyOf(const MatchColor& record) const {
    std::uint64_t raw;
    std::memcpy(&raw, &record, sizeof raw);
    return raw & m_keyMask;
  }

  // The entry holding key's conversion, or null: not there, the cache stands aside,
  // or a window just ended. Counts the call.
  const Entry* Lookup(std::uint64_t key) {
    if (--m_callsLeft == 0 || m_bypassing) return nullptr;
    const Entry& entry = m_table[Index(key)];
    return entry.key == key ? &entry : nullptr;
  }

  // After Lookup returned null: ends the window if it is over, then gives the entry for
  // key (which may hold key when Lookup stopped at a window's end), or null while the
  // cache stands aside.
  Entry* SlotForMiss(std::uint64_t key) {
    if (m_callsLeft == 0) EndWindow();
    if (m_bypassing) return nullptr;
    ++m_misses;
    return &m_table[Index(key)];
  }

 private:
  static std::size_t Index(std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kIndexBits));
  }
  void EndWindow();

  // At a 2 MiB boundary and advised for huge pages: lookups land all over the table, and
  // on 4 KiB pages nearly each would miss the TLB as well as the data caches.
  struct FreeTable {
    void operator()(Entry* table) const { std::free(table); }
  };
  std::unique_ptr<Entry[], FreeTable> m_table;
  std::uint64_t m_keyMask;
  std::uint32_t m_callsLeft = kWindow;
  std::uint32_t m_misses = 0;
  std::uint32_t m_bypassLength = kBypass;
  bool m_bypassing = false;
  bool m_refilling = false;
};

}  // namespace zirn
