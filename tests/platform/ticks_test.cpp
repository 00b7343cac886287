#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(TicksTest, SleepPassesAtLeastItsTimeOnTheTickCount) {
  DWORD dwStart = GetTickCount();
  Sleep(30);
  DWORD dwElapsed = GetTickCount() - dwStart;
  EXPECT_GE(dwElapsed, 30u);
  EXPECT_LT(dwElapsed, 5000u);
}

}  // namespace
