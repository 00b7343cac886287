// The engine's colour cache on its own, driven as a session drives it: when it steps
// aside for content without repeats, and how it comes back.
#include "zirn/color_cache.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using zirn::ColorCache;

constexpr MatchColor kRgbMask{{0xFFFF, 0xFFFF, 0xFFFF, 0}};

class ColorCacheTest : public ::testing::Test {
 protected:
  // One call for key as a session makes it; true when it went through the cache (a hit,
  // or a slot to fill).
  bool Call(std::uint64_t key) {
    if (m_cache.Lookup(key) != nullptr) return true;
    ColorCache::Entry* slot = m_cache.SlotForMiss(key);
    if (slot == nullptr) return false;
    slot->key = key;
    return true;
  }
  // Calls for count keys from first on, each new; how many went through the cache.
  std::uint32_t NewKeys(std::uint64_t first, std::uint32_t count) {
    std::uint32_t cached = 0;
    for (std::uint32_t i = 0; i < count; ++i) cached += Call(first + i) ? 1 : 0;
    return cached;
  }

  ColorCache m_cache{kRgbMask, MatchColor{}};
};

TEST_F(ColorCacheTest, ContentWithoutRepeatsIsMatchedMostlyWithoutTheCache) {
  // 4M calls: a poor window at first, then the cache stands aside for longer and longer,
  // back for two windows each time (refill and judged).
  std::uint32_t cached = NewKeys(1, 1u << 22);
  EXPECT_GE(cached, ColorCache::kWindow);
  EXPECT_LT(cached, (1u << 22) / 50);
}

TEST_F(ColorCacheTest, WindowAfterSteppingAsideRefillsAndIsNotJudged) {
  // A window of new colours; its last call ends it, poor, and starts the calls without
  // the cache.
  EXPECT_EQ(NewKeys(1, ColorCache::kWindow - 1), ColorCache::kWindow - 1);
  EXPECT_EQ(NewKeys(1u << 24, ColorCache::kBypass), 0u);
  // Back with a table as cold as the content is new: these colours all miss...
  const std::uint64_t first = 1u << 28;
  EXPECT_EQ(NewKeys(first, ColorCache::kWindow), ColorCache::kWindow);
  // ...and still the colours that repeat them are found, and the cache stays.
  std::uint32_t hits = 0;
  for (int round = 0; round < 4; ++round) {
    for (std::uint32_t i = 0; i < ColorCache::kWindow; ++i) {
      if (m_cache.Lookup(first + i) != nullptr) {
        ++hits;
      } else {
        ASSERT_NE(m_cache.SlotForMiss(first + i), nullptr) << "the cache stepped aside";
      }
    }
  }
  EXPECT_GT(hits, 4 * ColorCache::kWindow * 9 / 10);
}

}  // namespace
