#include <platform/memory.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

class GlobalMemTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::faults::FailNthGlobalAlloc(0);
    platform::faults::SetGlobalAllocLimit(0);
  }
};

TEST_F(GlobalMemTest, MoveableBlockKnowsItsSizeAndLockCount) {
  std::size_t before = platform::testing::LiveGlobalBlocks();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 100u);
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(p[i], 0) << i;
  EXPECT_EQ(GlobalLock(h), p);
  EXPECT_TRUE(GlobalUnlock(h));   // still locked once
  EXPECT_FALSE(GlobalUnlock(h));  // now unlocked
  EXPECT_EQ(platform::testing::LiveGlobalBlocks(), before + 1);
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(platform::testing::LiveGlobalBlocks(), before);
}

TEST_F(GlobalMemTest, StaleAndForeignHandlesFail) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalFree(h), h);
  int local = 0;
  EXPECT_EQ(GlobalLock(&local), nullptr);
}

TEST_F(GlobalMemTest, FixedBlockHandleIsItsAddress) {
  HGLOBAL h = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalLock(h), h);
  EXPECT_EQ(GlobalSize(h), 16u);
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST_F(GlobalMemTest, HandleIsFoundFromTheLockedAddress) {
  HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 32);
  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 32);
  ASSERT_NE(moveable, nullptr);
  ASSERT_NE(fixed, nullptr);
  auto* p = static_cast<unsigned char*>(GlobalLock(moveable));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GlobalHandle(p), moveable);
  EXPECT_EQ(GlobalHandle(fixed), fixed);
  // Only the first byte of a block names it.
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GlobalHandle(p + 1), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  int local = 0;
  EXPECT_EQ(GlobalHandle(&local), nullptr);
  EXPECT_EQ(GlobalHandle(nullptr), nullptr);
  GlobalUnlock(moveable);
  ASSERT_EQ(GlobalFree(moveable), nullptr);
  EXPECT_EQ(GlobalHandle(p), nullptr);
  GlobalFree(fixed);
}

TEST_F(GlobalMemTest, NthAllocationFailsOnce) {
  platform::faults::FailNthGlobalAlloc(2);
  HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 4);
  HGLOBAL second = GlobalAlloc(GMEM_MOVEABLE, 4);
  HGLOBAL third = GlobalAlloc(GMEM_MOVEABLE, 4);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_NE(third, nullptr);
  GlobalFree(first);
  GlobalFree(third);
}

TEST_F(GlobalMemTest, CeilingRefusesLargerBlocks) {
  EXPECT_EQ(platform::GlobalAllocLimit(), std::size_t{1} << 30);
  platform::faults::SetGlobalAllocLimit(1000);
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 1001), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 1000);
  EXPECT_NE(h, nullptr);
  GlobalFree(h);
}

TEST_F(GlobalMemTest, ZeroSizeBlockIsValid) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_NE(GlobalLock(h), nullptr);
  GlobalUnlock(h);
  GlobalFree(h);
}

// Blocks about the size where large blocks change their source: every byte is the
// zero-init or fill byte, writable to the end, and the handle calls know the block.
TEST_F(GlobalMemTest, LargeBlocksKeepEveryProperty) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  struct Case {
    std::size_t bytes;
    UINT flags;
    int fill;
  };
  const Case cases[] = {
      {kMiB / 4 - 1, GMEM_MOVEABLE, 0x3C},
      {kMiB / 4, GMEM_MOVEABLE | GMEM_ZEROINIT, 0x3C},
      {2 * kMiB - 1, GMEM_MOVEABLE | GMEM_ZEROINIT, 0xA5},
      {2 * kMiB, GMEM_FIXED | GMEM_ZEROINIT, -1},
      {2 * kMiB + 1, GMEM_MOVEABLE, 0x5A},
      {5 * kMiB + 3, GMEM_FIXED, 0xC3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    platform::testing::SetGlobalAllocFill(c.fill);
    std::size_t before = platform::testing::LiveGlobalBlocks();
    HGLOBAL h = GlobalAlloc(c.flags, c.bytes);
    HGLOBAL other = GlobalAlloc(c.flags, c.bytes);
    platform::testing::SetGlobalAllocFill(-1);
    ASSERT_NE(h, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(GlobalSize(h), c.bytes);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p, GlobalLock(other));
    EXPECT_EQ(GlobalHandle(p), h);
    unsigned char expected = (c.flags & GMEM_ZEROINIT) ? 0 : static_cast<unsigned char>(c.fill);
    EXPECT_EQ(std::count(p, p + c.bytes, expected), static_cast<std::ptrdiff_t>(c.bytes));
    p[c.bytes - 1] = 1;
    GlobalUnlock(h);
    GlobalUnlock(other);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(other), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(platform::testing::LiveGlobalBlocks(), before);
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define GLOBALMEM_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLOBALMEM_TEST_ASAN 1
#endif
#endif

// Memory that large blocks leave is taken again, by either kind of large block, but never
// where zeroes were asked for: each case frees a dirty block, then asks again.
TEST_F(GlobalMemTest, FreedLargeMemoryIsReusedButZeroInitStaysZero) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  enum Kind { kGlobal, kGlobalZeroed, kLibrary };
  struct Case {
    Kind first;
    std::size_t firstBytes;
    Kind second;
    std::size_t secondBytes;
    bool sameAddress;  // where the heap is not the sanitizer's
  };
  const Case cases[] = {
      {kLibrary, 36 * kMiB, kGlobal, 36 * kMiB, true},
      {kGlobal, 9 * kMiB, kLibrary, 9 * kMiB + 5, true},
      {kGlobal, 12 * kMiB, kGlobal, 3 * kMiB, true},  // a larger spare, its tail given back
      {kGlobal, kMiB / 2, kGlobal, kMiB / 3, true},   // a strip's scratch, block after block
      {kLibrary, 8 * kMiB, kGlobalZeroed, 8 * kMiB, false},
      {kGlobal, 4 * kMiB, kGlobal, 6 * kMiB, false},
      {kLibrary, 1000, kLibrary, 1000, false},
      {kLibrary, 0, kGlobal, 0, false},
  };
  struct Taken {
    HGLOBAL handle = nullptr;
    unsigned char* data = nullptr;
  };
  auto take = [](Kind kind, std::size_t bytes) {
    if (kind == kLibrary)
      return Taken{nullptr, static_cast<unsigned char*>(platform::AllocateLargeBlock(bytes))};
    HGLOBAL h = GlobalAlloc(kind == kGlobalZeroed ? GMEM_FIXED | GMEM_ZEROINIT : GMEM_FIXED, bytes);
    return Taken{h, static_cast<unsigned char*>(h)};
  };
  auto give = [](Kind kind, const Taken& taken, std::size_t bytes) {
    if (kind == kLibrary)
      platform::FreeLargeBlock(taken.data, bytes);
    else
      EXPECT_EQ(GlobalFree(taken.handle), nullptr);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstBytes);
    Taken first = take(c.first, c.firstBytes);
    ASSERT_NE(first.data, nullptr);
    std::memset(first.data, 0xEE, c.firstBytes);
    give(c.first, first, c.firstBytes);

    Taken second = take(c.second, c.secondBytes);
    ASSERT_NE(second.data, nullptr);
#ifndef GLOBALMEM_TEST_ASAN
    if (c.sameAddress) {
      EXPECT_EQ(second.data, first.data);
    }
#endif
    if (c.second == kGlobalZeroed) {
      EXPECT_EQ(std::count(second.data, second.data + c.secondBytes, 0),
                static_cast<std::ptrdiff_t>(c.secondBytes));
    }
    std::memset(second.data, 0x11, c.secondBytes);
    give(c.second, second, c.secondBytes);
  }
}

}  // namespace
