#include "testdib.h"

#include <platform/printer.h>
#include <platform/screen.h>
#include <platform/surface.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const HWND kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x4242});

class ScreenTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_TRUE(platform::SetScreen(1024, 768, 24)); }
};

TEST_F(ScreenTest, TrueColourScreenHasNoColourTable) {
  ASSERT_TRUE(platform::SetScreen(800, 600, 24));
  platform::Surface surface(1, 1);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 1, 1});
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 24);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB, 0);
  EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 0);  // displays have no page
  EXPECT_EQ(GetDeviceCaps(dc, 200), 0);
  DeleteDC(dc);
}

TEST_F(ScreenTest, PaletteScreenHasTwentyReservedColours) {
  ASSERT_TRUE(platform::SetScreen(640, 480, 8));
  platform::Surface surface(1, 1);
  HDC dc = platform::CreateWindowSurfaceDC(kWindow, surface, POINT{0, 0}, RECT{0, 0, 1, 1});
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 640);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), 20);
  EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 256);
  EXPECT_EQ(GetDeviceCaps(dc, NUMRESERVED), 20);
  DeleteDC(dc);
}

TEST_F(ScreenTest, SetScreenRefusesOtherDepthsAndSizes) {
  ASSERT_TRUE(platform::SetScreen(1280, 1024, 24));
  EXPECT_FALSE(platform::SetScreen(1280, 1024, 16));
  EXPECT_FALSE(platform::SetScreen(1280, 1024, 32));
  EXPECT_FALSE(platform::SetScreen(0, 1024, 8));
  EXPECT_FALSE(platform::SetScreen(1280, 40000, 8));
  platform::ScreenMode screen = platform::GetScreen();
  EXPECT_EQ(screen.width, 1280);
  EXPECT_EQ(screen.height, 1024);
  EXPECT_EQ(screen.depth, 24);
}

TEST(DcKindTest, ContextsTellWhatTheyDrawInto) {
  std::size_t live = platform::testing::LiveGdiObjects();
  platform::Surface surface(4, 4);
  HDC memory = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 4, 4});
  HDC window = platform::CreateWindowSurfaceDC(kWindow, surface, POINT{1, 1}, RECT{1, 1, 3, 3});
  HDC printer = platform::CreatePrinterDC(platform::PrinterSetup{});
  EXPECT_EQ(platform::CreateWindowSurfaceDC(nullptr, surface, POINT{0, 0}, RECT{0, 0, 4, 4}),
            nullptr);
  EXPECT_EQ(platform::testing::LiveGdiObjects(), live + 3);

  EXPECT_EQ(platform::GetDCKind(memory), platform::DCKind::Surface);
  EXPECT_EQ(platform::GetDCKind(window), platform::DCKind::Window);
  EXPECT_EQ(platform::GetDCKind(printer), platform::DCKind::Printer);
  EXPECT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetObjectType(window), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetObjectType(printer), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(platform::GetDCWindow(window), kWindow);
  EXPECT_EQ(platform::GetDCWindow(memory), nullptr);

  for (HDC dc : {memory, window, printer}) EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(memory));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(platform::GetDCKind(memory).has_value());
  EXPECT_EQ(GetObjectType(memory), 0u);
  EXPECT_EQ(GetDeviceCaps(memory, HORZRES), 0);
  EXPECT_EQ(platform::testing::LiveGdiObjects(), live);
}

TEST(DcKindTest, WindowContextDrawsThroughItsOriginAndClip) {
  platform::Surface frame(6, 6, 0);
  HDC client = platform::CreateWindowSurfaceDC(kWindow, frame, POINT{1, 2}, RECT{1, 2, 5, 5});
  TestDib dib(8, -8, 24);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) dib.Set(x, y, 0x00FFFFFF);
  StretchDIBits(client, 0, 0, 8, 8, 0, 0, 8, 8, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
  int drawn = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) drawn += frame.Pixel(x, y) != 0;
  EXPECT_EQ(drawn, 4 * 3);  // the client area only
  EXPECT_EQ(frame.Pixel(1, 2), 0xFFFFFFu);
  EXPECT_EQ(frame.Pixel(4, 4), 0xFFFFFFu);
  EXPECT_EQ(frame.Pixel(0, 2), 0u);
  DeleteDC(client);
}

TEST(DcModeTest, ModesAreRecordedAndReturnThePreviousOne) {
  platform::Surface surface(2, 2);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 2, 2});
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, 9), 0);
  EXPECT_EQ(SetMapMode(dc, 0), 0);
  EXPECT_EQ(GetMapMode(dc), MM_ANISOTROPIC);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_ANISOTROPIC);

  EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc, 5), 0);
  EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
  DeleteDC(dc);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), 0);
  EXPECT_EQ(GetMapMode(dc), 0);
  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), 0);
  EXPECT_EQ(GetStretchBltMode(dc), 0);
}

TEST(DcModeTest, OtherMappingModesStillDrawInPixels) {
  platform::Surface surface(4, 4, 0);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 4, 4});
  SetMapMode(dc, MM_LOENGLISH);
  TestDib dib(1, 1, 24);
  dib.Set(0, 0, 0x00123456);
  StretchDIBits(dc, 2, 1, 1, 1, 0, 0, 1, 1, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(surface.Pixel(2, 1), 0x123456u);
  DeleteDC(dc);
}

TEST(GdiQuotaTest, LiveObjectsAreCappedAtTheProcessQuota) {
  std::size_t live = platform::testing::LiveGdiObjects();
  LOGPALETTE logical{0x300, 1, {{1, 2, 3, 0}}};
  std::vector<HPALETTE> palettes;
  for (HPALETTE p; (p = CreatePalette(&logical)) != nullptr && palettes.size() < 20000;)
    palettes.push_back(p);
  EXPECT_EQ(live + palettes.size(), 10000u);
  for (HPALETTE p : palettes) EXPECT_TRUE(DeleteObject(p));
  EXPECT_EQ(platform::testing::LiveGdiObjects(), live);
  HPALETTE again = CreatePalette(&logical);
  EXPECT_NE(again, nullptr);
  EXPECT_TRUE(std::find(palettes.begin(), palettes.end(), again) ==
              palettes.end());  // never reused
  DeleteObject(again);
}

}  // namespace
