#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

TEST(HeapTest, BlocksComeFromTheProcessHeapOnly) {
  auto* p = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0) << i;
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, p));
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));

  int other = 0;
  SetLastError(0);
  EXPECT_EQ(HeapAlloc(&other, 0, 8), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_FALSE(HeapFree(&other, 0, nullptr));
}

TEST(HeapTest, TheArmedAllocationFailsAndOnlyThatOne) {
  platform::faults::FailNthHeapAlloc(2);
  void* first = HeapAlloc(GetProcessHeap(), 0, 8);
  SetLastError(0);
  void* second = HeapAlloc(GetProcessHeap(), 0, 8);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_MEMORY});
  void* third = HeapAlloc(GetProcessHeap(), 0, 8);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_NE(third, nullptr);
  HeapFree(GetProcessHeap(), 0, first);
  HeapFree(GetProcessHeap(), 0, third);
}
