#include "testdib.h"

#include <platform/printer.h>
#include <platform/screen.h>
#include <platform/surface.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

const HWND kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x5151});

// A LOGPALETTE with room for its entries.
class Logical {
 public:
  explicit Logical(std::vector<PALETTEENTRY> entries)
      : m_bytes(offsetof(LOGPALETTE, palPalEntry) + entries.size() * sizeof(PALETTEENTRY)) {
    auto* palette = reinterpret_cast<LOGPALETTE*>(m_bytes.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(entries.size());
    std::memcpy(m_bytes.data() + offsetof(LOGPALETTE, palPalEntry), entries.data(),
                entries.size() * sizeof(PALETTEENTRY));
  }
  LOGPALETTE* Get() { return reinterpret_cast<LOGPALETTE*>(m_bytes.data()); }

 private:
  std::vector<std::uint8_t> m_bytes;
};

// n colours that are not static colours: (1 + i, first, 7), all distinct.
std::vector<PALETTEENTRY> Ramp(int n, BYTE first, BYTE flags = 0) {
  std::vector<PALETTEENTRY> entries;
  for (int i = 0; i < n; ++i)
    entries.push_back(PALETTEENTRY{static_cast<BYTE>(1 + i), first, 7, flags});
  return entries;
}

HPALETTE Create(std::vector<PALETTEENTRY> entries) {
  return CreatePalette(Logical(std::move(entries)).Get());
}

std::array<PALETTEENTRY, 256> SystemEntries(HDC dc) {
  std::array<PALETTEENTRY, 256> entries{};
  EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 256, entries.data()), 256u);
  return entries;
}

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

TEST(PaletteTest, CreateValidatesAndCopies) {
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  Logical wrongVersion(Ramp(2, 0));
  wrongVersion.Get()->palVersion = 0x200;
  EXPECT_EQ(CreatePalette(wrongVersion.Get()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  Logical none(Ramp(1, 0));
  none.Get()->palNumEntries = 0;
  EXPECT_EQ(CreatePalette(none.Get()), nullptr);
  EXPECT_EQ(Create(Ramp(257, 0)), nullptr);

  Logical source(Ramp(256, 9));
  HPALETTE palette = CreatePalette(source.Get());
  ASSERT_NE(palette, nullptr);
  std::memset(source.Get(), 0, sizeof(LOGPALETTE));  // the palette keeps its own copy
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
  std::array<PALETTEENTRY, 4> some{};
  EXPECT_EQ(GetPaletteEntries(palette, 254, 4, some.data()), 2u);
  EXPECT_EQ(some[1].peRed, 0);  // 1 + 255 wraps
  EXPECT_EQ(some[0].peRed, 255);
  EXPECT_EQ(some[0].peGreen, 9);
  EXPECT_EQ(GetPaletteEntries(palette, 256, 4, some.data()), 0u);
  EXPECT_TRUE(DeleteObject(palette));
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u);
  EXPECT_FALSE(DeleteObject(palette));
}

TEST(PaletteTest, StockDefaultPaletteHoldsTheStaticColours) {
  std::size_t live = platform::testing::LiveGdiObjects();
  auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(GetStockObject(0), nullptr);  // other stock objects are not modelled
  EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_PAL));
  std::array<PALETTEENTRY, 20> entries{};
  ASSERT_EQ(GetPaletteEntries(stock, 0, 20, entries.data()), 20u);
  EXPECT_TRUE(Same(entries[0], PALETTEENTRY{0, 0, 0, 0}));
  EXPECT_TRUE(Same(entries[8], PALETTEENTRY{0xC0, 0xDC, 0xC0, 0}));   // money green
  EXPECT_TRUE(Same(entries[10], PALETTEENTRY{0xFF, 0xFB, 0xF0, 0}));  // cream
  EXPECT_TRUE(Same(entries[19], PALETTEENTRY{0xFF, 0xFF, 0xFF, 0}));
  EXPECT_TRUE(DeleteObject(stock));  // succeeds and deletes nothing
  EXPECT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);
  EXPECT_EQ(platform::testing::LiveGdiObjects(), live);
}

TEST(PaletteTest, SelectReturnsThePreviousPaletteAndPinsTheSelectedOne) {
  platform::Surface surface(1, 1);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 1, 1});
  auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  HPALETTE palette = Create(Ramp(3, 0));
  EXPECT_EQ(SelectPalette(dc, palette, TRUE), stock);  // a context starts with the default
  EXPECT_EQ(SelectPalette(dc, nullptr, FALSE), nullptr);
  EXPECT_EQ(SelectPalette(nullptr, palette, FALSE), nullptr);
  EXPECT_FALSE(DeleteObject(palette));  // still selected
  EXPECT_EQ(SelectPalette(dc, stock, FALSE), palette);
  EXPECT_TRUE(DeleteObject(palette));

  HPALETTE second = Create(Ramp(3, 1));
  SelectPalette(dc, second, FALSE);
  EXPECT_TRUE(DeleteDC(dc));  // deleting the context lets the palette go
  EXPECT_TRUE(DeleteObject(second));
}

class PaletteScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::SetScreen(1024, 768, 8));
    m_dc = platform::CreateWindowSurfaceDC(kWindow, m_surface, POINT{0, 0}, RECT{0, 0, 4, 4});
  }
  void TearDown() override {
    SelectPalette(m_dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    for (HPALETTE p : m_palettes) EXPECT_TRUE(DeleteObject(p));
    EXPECT_TRUE(DeleteDC(m_dc));
    platform::SetPaletteChangeListener(nullptr);
    ASSERT_TRUE(platform::SetScreen(1024, 768, 24));
  }

  HPALETTE Make(std::vector<PALETTEENTRY> entries) {
    m_palettes.push_back(Create(std::move(entries)));
    return m_palettes.back();
  }
  UINT Realize(HPALETTE palette, bool background) {
    SelectPalette(m_dc, palette, background);
    return RealizePalette(m_dc);
  }
  int Holding(BYTE green) {  // system entries holding colours made by Ramp(.., green)
    int n = 0;
    for (const PALETTEENTRY& e : SystemEntries(m_dc)) n += e.peGreen == green && e.peBlue == 7;
    return n;
  }

  platform::Surface m_surface{4, 4, 0};
  HDC m_dc = nullptr;
  std::vector<HPALETTE> m_palettes;
};

TEST_F(PaletteScreenTest, SystemPaletteStartsWithTheStaticColoursAtBothEnds) {
  EXPECT_EQ(GetSystemPaletteEntries(m_dc, 0, 0, nullptr), 256u);
  auto entries = SystemEntries(m_dc);
  auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  std::array<PALETTEENTRY, 20> statics{};
  GetPaletteEntries(stock, 0, 20, statics.data());
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(Same(entries[i], statics[i])) << i;
    EXPECT_TRUE(Same(entries[246 + i], statics[10 + i])) << i;
  }
  for (int i = 10; i < 246; ++i) EXPECT_TRUE(Same(entries[i], PALETTEENTRY{0, 0, 0, 0})) << i;
  std::array<PALETTEENTRY, 8> tail{};
  EXPECT_EQ(GetSystemPaletteEntries(m_dc, 250, 8, tail.data()), 6u);
  EXPECT_EQ(Realize(stock, false), 0u);  // every default colour is already there
}

TEST_F(PaletteScreenTest, ForegroundTakesEveryFreeEntryAndRealisingAgainTakesNone) {
  HPALETTE big = Make(Ramp(240, 1));
  EXPECT_EQ(Realize(big, false), 236u);
  EXPECT_EQ(Holding(1), 236);
  EXPECT_EQ(Realize(big, false), 0u);
  EXPECT_EQ(Realize(big, true), 0u);
  HPALETTE late = Make(Ramp(10, 2));
  EXPECT_EQ(Realize(late, true), 0u);  // nothing left for a background palette
  EXPECT_EQ(Holding(2), 0);
}

TEST_F(PaletteScreenTest, BackgroundUsesOnlyEntriesTheForegroundLeft) {
  HPALETTE front = Make(Ramp(100, 1));
  EXPECT_EQ(Realize(front, false), 100u);
  std::vector<PALETTEENTRY> mixed = Ramp(50, 1);  // 50 colours front already holds
  for (const PALETTEENTRY& e : Ramp(150, 3)) mixed.push_back(e);
  HPALETTE back = Make(mixed);
  EXPECT_EQ(Realize(back, true), 136u);  // shares 50, fills the 136 entries left
  EXPECT_EQ(Holding(1), 100);
  EXPECT_EQ(Holding(3), 136);
  EXPECT_EQ(Realize(back, true), 0u);
  EXPECT_EQ(Realize(front, false), 0u);  // still the foreground palette: nothing moves
  EXPECT_EQ(Holding(3), 136);

  HPALETTE next = Make(Ramp(5, 4));
  EXPECT_EQ(Realize(next, false), 5u);  // a new foreground palette clears the rest
  EXPECT_EQ(Holding(1), 0);
  EXPECT_EQ(Holding(3), 0);
  EXPECT_EQ(Realize(back, true), 200u);  // all 200 of its colours fit now
}

TEST_F(PaletteScreenTest, ReservedAndNoCollapseEntriesDoNotShareColours) {
  HPALETTE plain = Make({PALETTEENTRY{0xFF, 0xFF, 0xFF, 0}, PALETTEENTRY{0x80, 0, 0, 0}});
  EXPECT_EQ(Realize(plain, true), 0u);  // both are static colours
  HPALETTE reserved =
      Make({PALETTEENTRY{0xFF, 0xFF, 0xFF, PC_RESERVED}, PALETTEENTRY{0x80, 0, 0, PC_NOCOLLAPSE}});
  EXPECT_EQ(Realize(reserved, true), 2u);
  EXPECT_EQ(Realize(reserved, true), 0u);  // its own entries are kept, not taken again
  auto entries = SystemEntries(m_dc);
  EXPECT_TRUE(Same(entries[10], PALETTEENTRY{0xFF, 0xFF, 0xFF, 0}));
  EXPECT_TRUE(Same(entries[11], PALETTEENTRY{0x80, 0, 0, 0}));
}

TEST_F(PaletteScreenTest, DeletingAPaletteReleasesItsEntries) {
  HPALETTE first = Make(Ramp(236, 1));
  EXPECT_EQ(Realize(first, true), 236u);
  SelectPalette(m_dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  EXPECT_TRUE(DeleteObject(first));
  m_palettes.erase(m_palettes.begin());
  EXPECT_EQ(Holding(1), 0);
  HPALETTE second = Make(Ramp(20, 2));
  EXPECT_EQ(Realize(second, true), 20u);
}

TEST_F(PaletteScreenTest, ChangesAreReportedWithTheRealisingWindow) {
  std::vector<HWND> changers;
  platform::SetPaletteChangeListener([&](HWND w) { changers.push_back(w); });
  HPALETTE palette = Make(Ramp(3, 1));
  Realize(palette, true);
  Realize(palette, true);  // no change, no report
  platform::Surface other(1, 1);
  HDC memory = platform::CreateSurfaceDC(other, POINT{0, 0}, RECT{0, 0, 1, 1});
  HPALETTE more = Make(Ramp(3, 2));
  SelectPalette(memory, more, TRUE);
  RealizePalette(memory);
  EXPECT_EQ(changers, (std::vector<HWND>{kWindow, nullptr}));
  SelectPalette(memory, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  DeleteDC(memory);
}

TEST_F(PaletteScreenTest, DrawingMapsEveryColourToTheNearestSystemEntry) {
  TestDib indexed(2, -1, 8, {0x00810000, 0x00123456});
  indexed.Set(1, 0, 1);
  TestDib rgb(1, 1, 24);
  rgb.Set(0, 0, 0x00FE0201);
  auto draw = [&](const TestDib& dib, int y) {
    StretchDIBits(m_dc, 0, y, 2, 1, 0, 0, 2, 1, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
  };
  draw(indexed, 0);
  EXPECT_EQ(m_surface.Pixel(0, 0), 0x800000u);  // the static dark red
  EXPECT_NE(m_surface.Pixel(1, 0), 0x123456u);
  StretchDIBits(m_dc, 0, 1, 1, 1, 0, 0, 1, 1, rgb.Bits(), rgb.Info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(m_surface.Pixel(0, 1), 0xFF0000u);

  HPALETTE palette = Make({PALETTEENTRY{0x12, 0x34, 0x56, 0}});
  EXPECT_EQ(Realize(palette, true), 1u);
  draw(indexed, 2);
  EXPECT_EQ(m_surface.Pixel(1, 2), 0x123456u);  // realised: drawn exactly
}

TEST(PaletteTrueColourTest, PalettesChangeNothingOnATrueColourScreenOrAPrinter) {
  ASSERT_EQ(platform::GetScreen().depth, 24);
  platform::Surface surface(2, 1, 0);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 2, 1});
  HDC printer = platform::CreatePrinterDC(platform::PrinterSetup{});
  HPALETTE palette = Create(Ramp(20, 1));
  for (HDC context : {dc, printer}) {
    SelectPalette(context, palette, FALSE);
    EXPECT_EQ(RealizePalette(context), 0u);
    EXPECT_EQ(GetSystemPaletteEntries(context, 0, 0, nullptr), 0u);
  }
  TestDib dib(1, 1, 24);
  dib.Set(0, 0, 0x00123457);
  StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(surface.Pixel(0, 0), 0x123457u);
  EXPECT_EQ(RealizePalette(nullptr), static_cast<UINT>(GDI_ERROR));
  DeleteDC(dc);
  DeleteDC(printer);
  EXPECT_TRUE(DeleteObject(palette));
}

TEST(PaletteScreenResetTest, SetScreenForgetsRealisedColours) {
  ASSERT_TRUE(platform::SetScreen(800, 600, 8));
  platform::Surface surface(1, 1);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 1, 1});
  HPALETTE palette = Create(Ramp(5, 1));
  SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(RealizePalette(dc), 5u);
  ASSERT_TRUE(platform::SetScreen(800, 600, 8));
  std::array<PALETTEENTRY, 1> entry{};
  GetSystemPaletteEntries(dc, 10, 1, entry.data());
  EXPECT_TRUE(Same(entry[0], PALETTEENTRY{0, 0, 0, 0}));
  EXPECT_EQ(RealizePalette(dc), 5u);
  DeleteDC(dc);
  DeleteObject(palette);
  ASSERT_TRUE(platform::SetScreen(1024, 768, 24));
}

}  // namespace
