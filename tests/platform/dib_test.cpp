#include "testdib.h"

#include <platform/screen.h>
#include <platform/surface.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "../support/guarded_buffer.h"

namespace {

constexpr std::uint32_t kBack = 0x00ABCDEF;

// A distinct colour for every pixel of a small picture.
std::uint32_t Colour(int x, int row) { return 0x00110000u * (row + 1) + 0x11u * (x + 1); }

TestDib Picture(int width, int height) {
  TestDib dib(width, height, 24);
  for (int row = 0; row < (height < 0 ? -height : height); ++row)
    for (int x = 0; x < width; ++x) dib.Set(x, row, Colour(x, row));
  return dib;
}

class DibDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dc = platform::CreateSurfaceDC(m_surface, POINT{0, 0}, RECT{0, 0, 8, 8});
    ASSERT_NE(m_dc, nullptr);
  }
  void TearDown() override { EXPECT_TRUE(DeleteDC(m_dc)); }

  int Draw(const TestDib& dib, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs) {
    return StretchDIBits(m_dc, xd, yd, wd, hd, xs, ys, ws, hs, dib.Bits(), dib.Info(),
                         DIB_RGB_COLORS, SRCCOPY);
  }
  // Row y of the surface, first n pixels.
  std::vector<std::uint32_t> Line(int y, int n = 4) const {
    return std::vector<std::uint32_t>(m_surface.Row(y), m_surface.Row(y) + n);
  }
  std::vector<std::uint32_t> PictureLine(int row, int n = 4) const {
    std::vector<std::uint32_t> line;
    for (int x = 0; x < n; ++x) line.push_back(Colour(x, row));
    return line;
  }

  platform::Surface m_surface{8, 8, kBack};
  HDC m_dc = nullptr;
};

TEST_F(DibDrawTest, BottomUpSourceIsMeasuredFromTheLowerLeftCorner) {
  TestDib dib = Picture(4, 4);
  // Scrolled down by one row, as a viewer draws at offset y = 1.
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, -1, 4, 4), 4);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Line(y), PictureLine(y + 1)) << y;
  EXPECT_EQ(Line(3), std::vector<std::uint32_t>(4, kBack));  // below the bitmap: not drawn

  m_surface.Fill(RECT{0, 0, 8, 8}, kBack);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, 1, 4, 4), 4);  // a positive ySrc moves the picture down
  EXPECT_EQ(Line(0), std::vector<std::uint32_t>(4, kBack));
  for (int y = 1; y < 4; ++y) EXPECT_EQ(Line(y), PictureLine(y - 1)) << y;
}

TEST_F(DibDrawTest, TopDownSourceIsMeasuredFromTheLowerLeftCornerToo) {
  // GDI's rule for SRCCOPY: the same call shows the same rows for either row order.
  TestDib dib = Picture(4, -4);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, -1, 4, 4), 4);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Line(y), PictureLine(y + 1)) << y;
  EXPECT_EQ(Line(3), std::vector<std::uint32_t>(4, kBack));

  // A stretched copy of the lower half: rows 2 and 3, each twice.
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, 0, 4, 2), 4);
  EXPECT_EQ(Line(0), PictureLine(2));
  EXPECT_EQ(Line(1), PictureLine(2));
  EXPECT_EQ(Line(2), PictureLine(3));
  EXPECT_EQ(Line(3), PictureLine(3));
}

TEST_F(DibDrawTest, UnstretchedCopyFromTheOriginOfATopDownDibStartsAtTheTop) {
  // GDI's fast path: same size, source at (0, 0).
  TestDib topDown = Picture(4, -4);
  Draw(topDown, 0, 0, 4, 2, 0, 0, 4, 2);
  EXPECT_EQ(Line(0), PictureLine(0));
  EXPECT_EQ(Line(1), PictureLine(1));

  TestDib bottomUp = Picture(4, 4);
  Draw(bottomUp, 0, 0, 4, 2, 0, 0, 4, 2);
  EXPECT_EQ(Line(0), PictureLine(2));
  EXPECT_EQ(Line(1), PictureLine(3));
}

TEST(DibClipTest, ClipsToTheContextOnAllFourSides) {
  platform::Surface surface(12, 12, kBack);
  const POINT origin{2, 3};
  const RECT clip{2, 3, 10, 9};
  HDC dc = platform::CreateSurfaceDC(surface, origin, clip);
  TestDib dib = Picture(4, -4);
  struct Place {
    int x, y;
  };
  // Over the left and top edges, then over the right and bottom edges.
  for (Place place : {Place{-2, -2}, Place{6, 4}}) {
    surface.Fill(RECT{0, 0, 12, 12}, kBack);
    EXPECT_EQ(StretchDIBits(dc, place.x, place.y, 4, 4, 0, 0, 4, 4, dib.Bits(), dib.Info(),
                            DIB_RGB_COLORS, SRCCOPY),
              4);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        int px = x - origin.x - place.x, py = y - origin.y - place.y;
        bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        bool inPicture = px >= 0 && px < 4 && py >= 0 && py < 4;
        EXPECT_EQ(surface.Pixel(x, y), inClip && inPicture ? Colour(px, py) : kBack)
            << place.x << "," << place.y << " at " << x << "," << y;
      }
    }
  }
  DeleteDC(dc);
}

TEST_F(DibDrawTest, DestinationWhoseSourceIsOutsideTheBitmapIsNotDrawn) {
  TestDib dib = Picture(4, -4);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, -1, 0, 4, 4), 4);
  EXPECT_EQ(Line(0), (std::vector<std::uint32_t>{kBack, Colour(0, 0), Colour(1, 0), Colour(2, 0)}));

  m_surface.Fill(RECT{0, 0, 8, 8}, kBack);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 2, 0, 4, 4), 4);
  EXPECT_EQ(Line(3), (std::vector<std::uint32_t>{Colour(2, 3), Colour(3, 3), kBack, kBack}));

  m_surface.Fill(RECT{0, 0, 8, 8}, kBack);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 4, 0, 4, 4), 0);  // entirely outside: nothing at all
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, 4, 4, 4), 0);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(Line(y), std::vector<std::uint32_t>(4, kBack));
}

TEST_F(DibDrawTest, DestinationClippedAwayStillCountsTheBitmapRows) {
  TestDib dib = Picture(4, 4);
  EXPECT_EQ(Draw(dib, 20, 20, 4, 4, 0, 0, 4, 4), 4);
  EXPECT_EQ(Draw(dib, 0, 0, 4, 4, 0, 0, 1, 1), 4);
}

TEST_F(DibDrawTest, StretchesByNearestPixelWhateverTheMode) {
  EXPECT_EQ(SetStretchBltMode(m_dc, HALFTONE), BLACKONWHITE);
  TestDib small = Picture(2, -2);
  Draw(small, 0, 0, 4, 4, 0, 0, 2, 2);  // twice the size: every pixel repeated
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(Line(y), (std::vector<std::uint32_t>{Colour(0, y / 2), Colour(0, y / 2),
                                                   Colour(1, y / 2), Colour(1, y / 2)}));
  }
  m_surface.Fill(RECT{0, 0, 8, 8}, kBack);
  TestDib large = Picture(4, -4);
  Draw(large, 0, 0, 2, 2, 0, 0, 4, 4);  // half the size: the pixel under each centre
  EXPECT_EQ(Line(0, 3), (std::vector<std::uint32_t>{Colour(1, 1), Colour(3, 1), kBack}));
  EXPECT_EQ(Line(1, 3), (std::vector<std::uint32_t>{Colour(1, 3), Colour(3, 3), kBack}));
  EXPECT_EQ(Line(2, 3), std::vector<std::uint32_t>(3, kBack));
}

TEST_F(DibDrawTest, ReadsOneAndFourBitDibsThroughTheirColourTables) {
  TestDib mono(10, -1, 1, {0x00FF0000, 0x000000FF});
  for (int x = 0; x < 10; ++x) mono.Set(x, 0, x % 3 == 0);
  Draw(mono, 0, 0, 8, 1, 2, 0, 8, 1);
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(m_surface.Pixel(x, 0), (x + 2) % 3 == 0 ? 0x0000FFu : 0xFF0000u) << x;

  // Three colours in use: index 5 lies past the table and reads as black.
  TestDib nibbles(3, -1, 4, {0x00101010, 0x00202020, 0x00303030});
  nibbles.Set(0, 0, 2);
  nibbles.Set(1, 0, 5);
  nibbles.Set(2, 0, 1);
  Draw(nibbles, 0, 1, 3, 1, 0, 0, 3, 1);
  EXPECT_EQ(Line(1, 3), (std::vector<std::uint32_t>{0x303030, 0x000000, 0x202020}));
}

TEST_F(DibDrawTest, EightBitColourTableHonoursClrUsed) {
  TestDib full(2, -1, 8);  // biClrUsed 0: all 256 entries
  full.SetColour(200, 0x00123456);
  full.Set(0, 0, 200);
  Draw(full, 0, 0, 1, 1, 0, 0, 1, 1);
  EXPECT_EQ(m_surface.Pixel(0, 0), 0x123456u);

  TestDib some(2, -1, 8, {0x00AA0000, 0x0000BB00});
  some.SetColour(200, 0x00123456);  // beyond biClrUsed: not part of the table
  some.Set(0, 0, 1);
  some.Set(1, 0, 200);
  Draw(some, 0, 1, 2, 1, 0, 0, 2, 1);
  EXPECT_EQ(Line(1, 2), (std::vector<std::uint32_t>{0x00BB00, 0x000000}));

  some.Header().biClrUsed = 300;  // more than 8 bits can index: the full table
  Draw(some, 0, 2, 2, 1, 0, 0, 2, 1);
  EXPECT_EQ(Line(2, 2), (std::vector<std::uint32_t>{0x00BB00, 0x123456}));
}

TEST_F(DibDrawTest, RowsArePaddedToFourBytes) {
  TestDib dib = Picture(3, 2);  // 9 bytes of pixels and 3 of padding per row
  ASSERT_EQ(dib.Stride(), 12);
  for (int row = 0; row < 2; ++row)
    for (int pad = 9; pad < 12; ++pad) dib.Bytes()[row * 12 + pad] = 0xFF;
  Draw(dib, 0, 0, 3, 2, 0, 0, 3, 2);
  EXPECT_EQ(Line(0, 3), PictureLine(0, 3));
  EXPECT_EQ(Line(1, 3), PictureLine(1, 3));

  TestDib indexed(5, 2, 8, {0x000000, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555});
  ASSERT_EQ(indexed.Stride(), 8);
  for (int x = 0; x < 5; ++x) indexed.Set(x, 1, x + 1);
  Draw(indexed, 0, 2, 5, 2, 0, 0, 5, 2);
  EXPECT_EQ(Line(3, 5),
            (std::vector<std::uint32_t>{0x111111, 0x222222, 0x333333, 0x444444, 0x555555}));
}

TEST_F(DibDrawTest, ReadsCoreHeadersWithThreeByteColourEntries) {
  std::vector<std::uint8_t> info(sizeof(BITMAPCOREHEADER) + 256 * sizeof(RGBTRIPLE));
  BITMAPCOREHEADER core{sizeof(BITMAPCOREHEADER), 2, 2, 1, 8};
  std::memcpy(info.data(), &core, sizeof core);
  std::uint8_t* table = info.data() + sizeof core;
  const std::uint8_t entries[] = {0x30, 0x20, 0x10, 0x60, 0x50, 0x40};  // blue, green, red
  std::memcpy(table, entries, sizeof entries);
  std::uint8_t bits[8] = {0, 1, 0, 0, 1, 0, 0, 0};  // bottom row first, rows of 4 bytes
  EXPECT_EQ(
      StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 2, 2, bits,
                    reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY),
      2);
  EXPECT_EQ(Line(0, 2), (std::vector<std::uint32_t>{0x405060, 0x102030}));
  EXPECT_EQ(Line(1, 2), (std::vector<std::uint32_t>{0x102030, 0x405060}));
}

TEST_F(DibDrawTest, RefusesWhatItCannotDraw) {
  TestDib dib = Picture(2, 2);
  auto attempt = [&](const TestDib& d, UINT usage = DIB_RGB_COLORS, DWORD rop = SRCCOPY) {
    return StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 2, 2, d.Bits(), d.Info(), usage, rop);
  };
  EXPECT_EQ(
      StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 2, 2, nullptr, dib.Info(), DIB_RGB_COLORS, SRCCOPY),
      GDI_ERROR);
  EXPECT_EQ(
      StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 2, 2, dib.Bits(), nullptr, DIB_RGB_COLORS, SRCCOPY),
      GDI_ERROR);
  EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 2, 2, 0, 0, 2, 2, dib.Bits(), dib.Info(), DIB_RGB_COLORS,
                          SRCCOPY),
            GDI_ERROR);
  EXPECT_EQ(attempt(dib, DIB_PAL_COLORS), GDI_ERROR);
  EXPECT_EQ(attempt(dib, DIB_RGB_COLORS, 0x00EE0086 /* SRCPAINT */), GDI_ERROR);
  struct Bad {
    DWORD size;
    WORD bits;
    DWORD compression;
    LONG width, height;
  };
  for (Bad bad : {Bad{108, 24, BI_RGB, 2, 2}, Bad{40, 16, BI_RGB, 2, 2}, Bad{40, 32, BI_RGB, 2, 2},
                  Bad{40, 2, BI_RGB, 2, 2}, Bad{40, 8, 1 /* BI_RLE8 */, 2, 2},
                  Bad{40, 24, BI_RGB, 0, 2}, Bad{40, 24, BI_RGB, -2, 2}, Bad{40, 24, BI_RGB, 2, 0},
                  Bad{40, 24, BI_RGB, 1 << 20, 1 << 20}}) {
    TestDib d = Picture(2, 2);
    d.Header().biSize = bad.size;
    d.Header().biBitCount = bad.bits;
    d.Header().biCompression = bad.compression;
    d.Header().biWidth = bad.width;
    d.Header().biHeight = bad.height;
    EXPECT_EQ(attempt(d), GDI_ERROR) << bad.size << " " << bad.bits << " " << bad.width;
  }
  // Empty and negative extents draw nothing and are not errors (no mirroring).
  EXPECT_EQ(Draw(dib, 0, 0, 0, 2, 0, 0, 2, 2), 0);
  EXPECT_EQ(Draw(dib, 2, 0, -2, 2, 0, 0, 2, 2), 0);
  EXPECT_EQ(Draw(dib, 0, 0, 2, 2, 0, 0, 2, -2), 0);
  EXPECT_EQ(Draw(dib, 0, 0, 2, 2, 0, 0, 0, 2), 0);
  EXPECT_EQ(Line(0, 2), std::vector<std::uint32_t>(2, kBack));
}

TEST(DibStaleTest, DeletedContextFails) {
  platform::Surface surface(2, 2);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 2, 2});
  ASSERT_TRUE(DeleteDC(dc));
  TestDib dib = Picture(2, 2);
  EXPECT_EQ(
      StretchDIBits(dc, 0, 0, 2, 2, 0, 0, 2, 2, dib.Bits(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
      GDI_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(DibGuardTest, ReadsOnlyTheRowsThatAreVisible) {
  constexpr int kWidth = 4096, kHeight = 1024;  // 8 bits: one row per page
  // Pixels that must not be read are on pages that cannot be read.
  testsupport::GuardedBuffer bits(std::size_t{kWidth} * kHeight);
  // Bottom-up: ySrc 500, 8 rows high, is stored rows 500..507.
  std::memset(bits.Open(std::size_t{500} * kWidth, 8 * kWidth), 1, 8 * kWidth);
  TestDib header(kWidth, kHeight, 8, {0x000000, 0x00FEDCBA});
  platform::Surface surface(64, 8, kBack);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 64, 8});
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 64, 8, 100, 500, 64, 8, bits.Base(), header.Info(),
                          DIB_RGB_COLORS, SRCCOPY),
            kHeight);
  // A destination far larger than the surface, reaching rows 500..507 only.
  EXPECT_EQ(StretchDIBits(dc, -100000, 0, 1000000, 8, 0, 500, kWidth, 8, bits.Base(), header.Info(),
                          DIB_RGB_COLORS, SRCCOPY),
            kHeight);
  EXPECT_EQ(surface.Pixel(63, 7), 0xFEDCBAu);
  DeleteDC(dc);
}

TEST(DibGuardTest, NeverReadsPastTheLastRow) {
  TestDib dib = Picture(5, 3);                     // 16-byte rows, 48 bytes
  testsupport::GuardedInput last(dib.Bits(), 48);  // the next page cannot be read
  platform::Surface surface(20, 20, kBack);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 20, 20});
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 20, 20, -3, -4, 20, 20, last.Data(), dib.Info(), DIB_RGB_COLORS,
                          SRCCOPY),
            3);
  // The source rectangle's top is 20 - 4 = 16 rows above the bitmap's bottom, whose
  // top row (3 above) therefore lands on row 13.
  EXPECT_EQ(surface.Pixel(3, 13), Colour(0, 0));
  EXPECT_EQ(surface.Pixel(7, 15), Colour(4, 2));
  EXPECT_EQ(surface.Pixel(8, 15), kBack);
  EXPECT_EQ(surface.Pixel(3, 16), kBack);
  DeleteDC(dc);
}

}  // namespace
