// The web build's PNG writer (stored blocks, no libpng) read back by libpng.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../../platform/win32/src/pngwriter.h"
#include "../pngfile.h"

namespace {

std::uint32_t Colour(int x, int y) {
  return static_cast<std::uint32_t>(x * 7919 + y * 104729) & 0xFFFFFF;
}

TEST(WebPngWriterTest, LibpngReadsBackEveryPixel) {
  // A row of 3 pixels fits one stored block, 30000 need two, and 21845 (65536 bytes with
  // the filter byte) overflow one by a byte.
  for (auto [w, h] : {std::pair{3, 2}, std::pair{30000, 3}, std::pair{21845, 2}, std::pair{1, 1}}) {
    const int width = w;  // named copies: a lambda may not capture structured bindings
    const int height = h;
    std::string path = (std::filesystem::temp_directory_path() / "web-pngwriter-test.png").string();
    ASSERT_TRUE(platform::gdi::WritePng(path, width, height, [&](int y, std::uint32_t* row) {
      for (int x = 0; x < width; ++x) row[x] = Colour(x, y);
    }));
    PngImage image = ReadPng(path);
    std::filesystem::remove(path);
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) ASSERT_EQ(image.At(x, y), Colour(x, y)) << x << "," << y;
    }
  }
}

TEST(WebPngWriterTest, RefusesAnEmptyImageAndAPlaceItCannotWrite) {
  auto rows = [](int, std::uint32_t*) {};
  EXPECT_FALSE(platform::gdi::WritePng("/tmp/web-pngwriter-empty.png", 0, 5, rows));
  EXPECT_FALSE(platform::gdi::WritePng("/nonexistent-dir/x.png", 2, 2, rows));
  EXPECT_FALSE(std::filesystem::exists("/tmp/web-pngwriter-empty.png"));
}

}  // namespace
