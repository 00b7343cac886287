#include "pngfile.h"
#include "testdib.h"

#include <platform/surface.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

namespace {

TEST(SurfaceTest, SizeIsCheckedAndPixelsStartFilled) {
  EXPECT_THROW(platform::Surface(-1, 1), std::invalid_argument);
  EXPECT_THROW(platform::Surface(1, platform::Surface::kMaxSide + 1), std::invalid_argument);
  platform::Surface empty(0, 0);
  EXPECT_EQ(empty.Width(), 0);
  platform::Surface surface(3, 2, 0x00102030);
  EXPECT_EQ(surface.Pixel(2, 1), 0x102030u);
  EXPECT_THROW(surface.Pixel(3, 0), std::out_of_range);
  EXPECT_THROW(surface.Pixel(0, -1), std::out_of_range);
  EXPECT_THROW(surface.Row(2), std::out_of_range);
}

TEST(SurfaceTest, FillClipsToTheSurface) {
  platform::Surface surface(4, 4, 0);
  surface.Fill(RECT{-5, -5, 2, 2}, 7);
  surface.Fill(RECT{3, 3, 100, 100}, 9);
  surface.Fill(RECT{2, 0, 1, 4}, 5);  // empty
  int sevens = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) sevens += surface.Pixel(x, y) == 7;
  EXPECT_EQ(sevens, 4);
  EXPECT_EQ(surface.Pixel(1, 1), 7u);
  EXPECT_EQ(surface.Pixel(3, 3), 9u);
  EXPECT_EQ(surface.Pixel(2, 2), 0u);
}

TEST(SurfaceTest, ResizedSurfaceKeepsItsContextsWithinTheNewSize) {
  platform::Surface surface(4, 4, 0);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 4, 4});
  surface.Resize(2, 3, 1);
  EXPECT_EQ(surface.Width(), 2);
  EXPECT_EQ(surface.Height(), 3);
  EXPECT_EQ(surface.Pixel(1, 2), 1u);
  TestDib dib(4, 4, 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) dib.Set(x, y, 0x00ABCDEF);
  EXPECT_EQ(
      StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 4, 4, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
      4);
  EXPECT_EQ(surface.Pixel(1, 2), 0xABCDEFu);
  DeleteDC(dc);
}

TEST(SurfaceTest, WritesItsPixelsAsPng) {
  platform::Surface surface(3, 2, 0);
  const std::uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000001};
  for (int i = 0; i < 6; ++i) surface.Row(i / 3)[i % 3] = colours[i];
  std::string path = ::testing::TempDir() + "surface-" + std::to_string(getpid()) + ".png";
  ASSERT_TRUE(surface.WritePng(path));
  PngImage image = ReadPng(path);
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(image.At(i % 3, i / 3), colours[i]) << i;
  std::remove(path.c_str());
  EXPECT_FALSE(surface.WritePng("/nonexistent-directory/screen.png"));
}

TEST(SurfaceTest, DestroyingTheSurfaceDetachesItsContexts) {
  auto surface = std::make_unique<platform::Surface>(2, 2);
  HDC dc = platform::CreateSurfaceDC(*surface, POINT{0, 0}, RECT{0, 0, 2, 2});
  surface.reset();
  TestDib dib(1, 1, 24);
  EXPECT_EQ(
      StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
      GDI_ERROR);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);  // the context itself lives on
  EXPECT_TRUE(DeleteDC(dc));
}

}  // namespace
