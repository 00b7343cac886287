#include <afxwin.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// A LOGPALETTE of n grey entries.
std::vector<std::uint8_t> Greys(int n) {
  std::vector<std::uint8_t> bytes(offsetof(LOGPALETTE, palPalEntry) + n * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(bytes.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(n);
  for (int i = 0; i < n; ++i) {
    PALETTEENTRY e{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), PC_RESERVED};
    std::memcpy(bytes.data() + offsetof(LOGPALETTE, palPalEntry) + i * sizeof e, &e, sizeof e);
  }
  return bytes;
}

class CPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override { m_live = platform::testing::LiveGdiObjects(); }
  void TearDown() override { CGdiObject::DeleteTempMap(); }
  std::size_t m_live = 0;
};

TEST_F(CPaletteTest, CreatesAndReadsItsEntries) {
  auto bytes = Greys(16);
  CPalette palette;
  EXPECT_EQ(palette.GetEntryCount(), 0);
  ASSERT_TRUE(palette.CreatePalette(reinterpret_cast<LPLOGPALETTE>(bytes.data())));
  EXPECT_EQ(palette.GetEntryCount(), 16);
  std::array<PALETTEENTRY, 2> entries{};
  EXPECT_EQ(palette.GetPaletteEntries(14, 4, entries.data()), 2u);
  EXPECT_EQ(entries[1].peRed, 15);
  EXPECT_EQ(entries[1].peFlags, PC_RESERVED);
  EXPECT_EQ(static_cast<HPALETTE>(palette), palette.GetSafeHandle());

  EXPECT_FALSE(palette.CreatePalette(reinterpret_cast<LPLOGPALETTE>(bytes.data())));
  EXPECT_EQ(platform::testing::LiveGdiObjects(), m_live + 1);  // nothing leaked
}

TEST_F(CPaletteTest, RefusesABadRecord) {
  auto bytes = Greys(1);
  reinterpret_cast<LOGPALETTE*>(bytes.data())->palVersion = 0x100;
  CPalette palette;
  EXPECT_FALSE(palette.CreatePalette(reinterpret_cast<LPLOGPALETTE>(bytes.data())));
  EXPECT_EQ(palette.GetSafeHandle(), nullptr);
}

TEST_F(CPaletteTest, FromHandleGivesPalettes) {
  EXPECT_EQ(CPalette::FromHandle(nullptr), nullptr);
  auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  CPalette* wrapper = CPalette::FromHandle(stock);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->GetEntryCount(), 20);

  auto bytes = Greys(3);
  HPALETTE handle = ::CreatePalette(reinterpret_cast<LPLOGPALETTE>(bytes.data()));
  CGdiObject plain;  // attached, but not as a palette object
  plain.Attach(handle);
  EXPECT_EQ(CPalette::FromHandle(handle), nullptr);
}

}  // namespace
