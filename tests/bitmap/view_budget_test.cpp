#include "bitmap/ViewBudget.h"

#include "tests/support/scratchdir.h"

#include <platform/memory.h>

#include <gtest/gtest.h>

namespace {

constexpr ULONGLONG kMaxBytes = ~ULONGLONG{0};

TEST(ViewBudgetTest, CountsTheReadersBlockTheTwoBitmapBlocksAndThePaletteScreensCopies) {
  const struct {
    LONG lWidth, lHeight;
    WORD wReaderBits, wBitCount;
    BOOL bPalette;
    ULONGLONG nBytes;
  } cases[] = {
      {3, 2, 24, 24, FALSE, 3 * 12 * 2},           // rows of 9 bytes padded to 12
      {3, 2, 24, 24, TRUE, (3 * 12 + 2 * 4) * 2},  // and two 8-bit blocks
      {5, 1, 8, 24, FALSE, 8 + 2 * 16},            // a grey decoder array
      {5, 1, 8, 8, TRUE, 3 * 8},                   // 8-bit images are not quantized
      {18000, 18000, 24, 24, FALSE, 3ull * 54000 * 18000},
      {-4, 10, 24, 24, TRUE, 0},
      {4, -10, 24, 24, TRUE, 0},
      {0x7FFFFFFF, 0x7FFFFFFF, 24, 24, TRUE, kMaxBytes},  // saturates, never wraps
  };
  for (const auto& c : cases)
    EXPECT_EQ(ViewBytes(c.lWidth, c.lHeight, c.wReaderBits, c.wBitCount, c.bPalette), c.nBytes)
        << c.lWidth << " x " << c.lHeight << (c.bPalette ? " palette" : "");
}

TEST(ViewBudgetTest, TheBudgetComesFromTheEnvironmentOrIsTwoGibibytes) {
  const struct {
    const char* text;  // nullptr: unset
    size_t nBudget;
  } cases[] = {
      {nullptr, size_t{2} << 30}, {"", size_t{2} << 30},    {"0", size_t{2} << 30},
      {"-5", size_t{2} << 30},    {"12x", size_t{2} << 30}, {"27648", 27648},
  };
  for (const auto& c : cases) {
    testsupport::ScopedEnv env("PLATFORM_VIEW_BUDGET", c.text != nullptr
                                                           ? std::optional<std::string>(c.text)
                                                           : std::nullopt);
    EXPECT_EQ(platform::ViewMemoryBudget(), c.nBudget) << (c.text != nullptr ? c.text : "unset");
  }
}

}  // namespace
