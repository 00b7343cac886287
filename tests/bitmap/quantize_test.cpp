// QuantizeDIB on constructed images. The expected palettes were worked out by hand
// from the cutting rules; the comments give the working.
#include "bitmap/Quantize.h"
#include "bitmap/QuantContext.h"

#include <platform/person.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/message_recorder.h"

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

constexpr Rgb kGrey{123, 123, 123};
constexpr std::array<Rgb, 8> kCornerEntries = {
    Rgb{0, 0, 0},     Rgb{255, 0, 0},   Rgb{0, 255, 0},   Rgb{0, 0, 255},
    Rgb{255, 255, 0}, Rgb{0, 255, 255}, Rgb{255, 0, 255}, Rgb{255, 255, 255}};

Rgb Grey(int v) { return {v, v, v}; }

// A packed 24-bit DIB. Row padding is filled with a pattern that would show up in
// the result if it were ever read as pixels.
class PackedDib24 {
 public:
  using PixelAt = std::function<Rgb(int x, int y)>;  // y: stored row, first is 0

  PackedDib24(LONG width, LONG height, const PixelAt& pixel) {
    const size_t rowBytes = (24 * size_t(width) + 31) / 32 * 4;
    const size_t rows = size_t(height < 0 ? -int64_t{height} : height);
    m_bytes.assign(sizeof(BITMAPINFOHEADER) + rowBytes * rows, 0xA5);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(m_bytes.data(), &header, sizeof header);
    for (size_t y = 0; y < rows; ++y) {
      BYTE* row = m_bytes.data() + sizeof(BITMAPINFOHEADER) + y * rowBytes;
      for (LONG x = 0; x < width; ++x) {
        Rgb c = pixel(x, int(y));
        row[3 * x] = BYTE(c.b);
        row[3 * x + 1] = BYTE(c.g);
        row[3 * x + 2] = BYTE(c.r);
      }
    }
  }

  // One row holding runs of colours, in order.
  static PackedDib24 Runs(const std::vector<std::pair<Rgb, LONG>>& runs) {
    std::vector<Rgb> row;
    for (const auto& [colour, count] : runs) row.insert(row.end(), size_t(count), colour);
    return PackedDib24(LONG(row.size()), 1, [&](int x, int) { return row[size_t(x)]; });
  }

  const BITMAPINFOHEADER* header() const {
    return reinterpret_cast<const BITMAPINFOHEADER*>(m_bytes.data());
  }
  BITMAPINFOHEADER* mutable_header() { return reinterpret_cast<BITMAPINFOHEADER*>(m_bytes.data()); }

 private:
  std::vector<BYTE> m_bytes;
};

// Owns a QuantizeDIB result and releases it through its handle.
class Quantized {
 public:
  explicit Quantized(LPBITMAPINFOHEADER dib) : m_pDib(dib) {}
  ~Quantized() {
    if (m_pDib == nullptr) return;
    HGLOBAL handle = GlobalHandle(m_pDib);
    GlobalUnlock(handle);
    GlobalFree(handle);
  }
  Quantized(const Quantized&) = delete;
  Quantized& operator=(const Quantized&) = delete;

  explicit operator bool() const { return m_pDib != nullptr; }
  const BITMAPINFOHEADER& header() const { return *m_pDib; }
  size_t BlockSize() const { return GlobalSize(GlobalHandle(m_pDib)); }

  Rgb Entry(int i) const {
    const RGBQUAD& q = reinterpret_cast<const RGBQUAD*>(m_pDib + 1)[i];
    return {q.rgbRed, q.rgbGreen, q.rgbBlue};
  }
  BYTE Reserved(int i) const { return reinterpret_cast<const RGBQUAD*>(m_pDib + 1)[i].rgbReserved; }

  size_t RowBytes() const { return (8 * size_t(m_pDib->biWidth) + 31) / 32 * 4; }
  const BYTE* Row(int y) const {
    return reinterpret_cast<const BYTE*>(m_pDib) + 1064 + size_t(y) * RowBytes();
  }
  int Index(int x, int y) const { return Row(y)[x]; }

 private:
  LPBITMAPINFOHEADER m_pDib;
};

LPBITMAPINFOHEADER Quantize(const PackedDib24& dib, int dither = QUANT_DITHER_ORDERED) {
  return QuantizeDIB(dib.header(), QUANT_METHOD_MEDIAN_CUT, dither, nullptr);
}

// Checks entries 0..7 (corners), 8..greyTo (grey 123) and then the listed entries,
// which run to entry 255.
void ExpectPalette(const Quantized& q, int greyTo, const std::vector<Rgb>& last) {
  ASSERT_EQ(greyTo + 1 + int(last.size()), 256);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(q.Entry(i), kCornerEntries[size_t(i)]) << "entry " << i;
  for (int i = 8; i <= greyTo; ++i) EXPECT_EQ(q.Entry(i), kGrey) << "entry " << i;
  for (size_t k = 0; k < last.size(); ++k)
    EXPECT_EQ(q.Entry(greyTo + 1 + int(k)), last[k]) << "entry " << greyTo + 1 + k;
  for (int i = 0; i < 256; ++i) EXPECT_EQ(q.Reserved(i), 0) << "entry " << i;
}

// Every test also checks that, unless it expects one, no message was shown.
class QuantizeTest : public ::testing::Test {
 protected:
  void SetUp() override { m_previousPerson = platform::SetPerson(&person); }
  void TearDown() override {
    platform::faults::FailNthGlobalAlloc(0);
    platform::faults::FailNthHeapAlloc(0);
    platform::SetPerson(m_previousPerson);
    if (!m_expectMessage) {
      EXPECT_TRUE(person.messages.empty());
    }
  }

  testsupport::MessageRecorder person;
  bool m_expectMessage = false;

 private:
  platform::Person* m_previousPerson = nullptr;
};

TEST_F(QuantizeTest, NullInputGivesNullSilently) {
  EXPECT_EQ(QuantizeDIB(nullptr, QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr), nullptr);
}

TEST_F(QuantizeTest, OtherBitCountsAreRefusedWithTheMessage) {
  m_expectMessage = true;
  for (WORD bits : {1, 4, 8, 16, 32}) {
    PackedDib24 dib(4, 4, [](int, int) { return Rgb{1, 2, 3}; });
    dib.mutable_header()->biBitCount = bits;
    person.messages.clear();
    EXPECT_EQ(Quantize(dib), nullptr) << bits;
    ASSERT_EQ(person.messages.size(), 1u) << bits;
    EXPECT_EQ(person.messages[0].caption, "quant");
    EXPECT_EQ(person.messages[0].text, "Not a 24 bitmap");
    EXPECT_EQ(person.messages[0].style, unsigned(MB_OK));
  }
}

TEST_F(QuantizeTest, HeaderOfTheResult) {
  PackedDib24 dib(5, 3, [](int x, int y) { return Rgb{40 * x, 60 * y, 200}; });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  const BITMAPINFOHEADER& h = q.header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 5);
  EXPECT_EQ(h.biHeight, 3);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 8);
  EXPECT_EQ(h.biCompression, DWORD(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 8u * 3u);
  EXPECT_EQ(h.biXPelsPerMeter, 0);
  EXPECT_EQ(h.biYPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed, 256u);
  EXPECT_EQ(h.biClrImportant, 256u);
  EXPECT_EQ(q.BlockSize(), 1064u + 8u * 3u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(q.Entry(i), kCornerEntries[size_t(i)]);
}

// The one cell (12,18,25) is box 8 alone; each cut empties the lowest single-cell box
// and moves the cell to the new one, so it ends in 255 with the centre
// (12,18,25) * 255 / 31 = (98,148,205). Every dithered colour (offsets -14..+16)
// lies far nearer that entry than any other.
TEST_F(QuantizeTest, OneColourGivesCornersGreyAndItsCell) {
  PackedDib24 dib(7, 3, [](int, int) { return Rgb{100, 150, 200}; });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 254, {{98, 148, 205}});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(q.Index(x, y), 255) << x << "," << y;
  }
}

// Corner cells are not counted, so box 8 is empty (31..0, centre 15 -> 123) and so is
// every box cut from it. Each pixel, dithered, stays nearest its own corner.
TEST_F(QuantizeTest, OnlyCornerColoursGiveCornersAndGrey) {
  PackedDib24 dib(8, 4, [](int x, int) { return kCornerEntries[size_t(x)]; });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 255, {});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(q.Index(x, y), x) << x << "," << y;
  }
}

TEST_F(QuantizeTest, EmptyImageGivesHeaderAndTableOnly) {
  for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
    PackedDib24 dib(width, height, [](int, int) { return Rgb{9, 9, 9}; });
    Quantized q(Quantize(dib));
    ASSERT_TRUE(q);
    EXPECT_EQ(q.BlockSize(), 1064u);
    EXPECT_EQ(q.header().biSizeImage, 0u);
    EXPECT_EQ(q.header().biWidth, width);
    EXPECT_EQ(q.header().biHeight, height);
    ExpectPalette(q, 255, {});
  }
}

TEST_F(QuantizeTest, RowsArePaddedWithZeros) {
  for (LONG width : {1, 2, 3, 5, 6, 7, 9}) {
    // White, dithered, stays nearest white (entry 7), so every index byte is 7.
    PackedDib24 dib(width, 4, [](int, int) { return Rgb{255, 255, 255}; });
    Quantized q(Quantize(dib));
    ASSERT_TRUE(q);
    const size_t rowBytes = size_t(width + 3) / 4 * 4;
    ASSERT_EQ(q.BlockSize(), 1064 + rowBytes * 4);
    for (int y = 0; y < 4; ++y) {
      for (size_t x = 0; x < rowBytes; ++x) {
        EXPECT_EQ(q.Row(y)[x], x < size_t(width) ? 7 : 0) << "width " << width << " byte " << x;
      }
    }
  }
}

// Cells a = (2,10,10) with 300000 pixels (kept at 65535), b = (6,10,10) with 1000,
// c = (20,10,10) with 65535. Box 8: red mean (2*65535 + 6*1000 + 20*65535) / 132070
// = 10, so a and b stay in 8 and c goes to 9 (an unsaturated count would give mean 5
// and split a from b). Box 8 then splits at mean 2: 8 = a, 10 = b. The 245 cuts from
// n = 11 rotate [a, c, b], so 253 = b, 254 = a, 255 = c.
TEST_F(QuantizeTest, CellCountSaturatesAt65535) {
  const Rgb a{16, 80, 80}, b{48, 80, 80}, c{160, 80, 80};
  PackedDib24 dib = PackedDib24::Runs({{a, 300000}, {b, 1000}, {c, 65535}});
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 252, {{49, 82, 82}, {16, 82, 82}, {164, 82, 82}});
}

// Five cells of 70000 pixels on the red axis at 2, 5, 20, 23, 26 (green, blue 10).
// Box 8: mean 76 / 5 = 15, so 8 = {2, 5} and 9 = {20, 23, 26}: both populations are
// capped at 65535, and the tie goes to box 8 (uncapped, 9 would be larger).
// n = 10: 8 = {2}, 10 = {5}. n = 11: 9 = {20, 23}, 11 = {26}. n = 12: 9 = {20},
// 12 = {23}. The 243 cuts from n = 13 rotate [2, 20, 5, 26, 23] by 3:
// 251..255 = 26, 23, 2, 20, 5.
TEST_F(QuantizeTest, TiedCappedBoxesCutLowestNumberedFirst) {
  std::vector<std::pair<Rgb, LONG>> runs;
  for (int r5 : {2, 5, 20, 23, 26}) runs.push_back({Rgb{r5 * 8, 80, 80}, 70000});
  PackedDib24 dib = PackedDib24::Runs(runs);
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 250, {{213, 82, 82}, {189, 82, 82}, {16, 82, 82}, {164, 82, 82}, {41, 82, 82}});
}

// Grey cells 12, 13 and 14: box 8 has side 2 on every axis, so red is cut by the
// special rule: 9 keeps plane 12, 8 keeps plane 14 and cell 13 is dropped. The 246
// rotations leave 254 = cell 14 (115) and 255 = cell 12 (98). Without dither, 104
// and 111 both fall in cell 13; whichever comes first fixes the entry for both.
TEST_F(QuantizeTest, SideLengthTwoDropsTheMiddlePlaneAndTheCellCacheDecides) {
  {
    PackedDib24 dib =
        PackedDib24::Runs({{Grey(100), 1}, {Grey(104), 1}, {Grey(111), 1}, {Grey(116), 1}});
    Quantized q(Quantize(dib, QUANT_DITHER_NONE));
    ASSERT_TRUE(q);
    ExpectPalette(q, 253, {Grey(115), Grey(98)});
    EXPECT_EQ(std::vector<int>({q.Index(0, 0), q.Index(1, 0), q.Index(2, 0), q.Index(3, 0)}),
              std::vector<int>({255, 255, 255, 254}));
  }
  {
    PackedDib24 dib =
        PackedDib24::Runs({{Grey(116), 1}, {Grey(111), 1}, {Grey(104), 1}, {Grey(100), 1}});
    Quantized q(Quantize(dib, QUANT_DITHER_NONE));
    ASSERT_TRUE(q);
    ExpectPalette(q, 253, {Grey(115), Grey(98)});
    EXPECT_EQ(std::vector<int>({q.Index(0, 0), q.Index(1, 0), q.Index(2, 0), q.Index(3, 0)}),
              std::vector<int>({254, 254, 254, 255}));
  }
}

// Cells p, q, r in 5-bit units, 100 pixels each, where the first cut has two equally
// long sides. The preferred axis puts p and r together in box 8 (mean 16 / 3 = 5 on
// it), the next cut splits them (8 = p, 10 = r), and the 245 rotations of [p, q, r]
// give 253 = r, 254 = p, 255 = q. Cutting the other axis would give [p, r, q].
struct AxisTieCase {
  const char* name;
  Rgb p, q, r;
};

void PrintTo(const AxisTieCase& c, std::ostream* out) { *out << c.name; }

class AxisTieTest : public QuantizeTest, public ::testing::WithParamInterface<AxisTieCase> {};

TEST_P(AxisTieTest, TiesPreferRedThenGreen) {
  const AxisTieCase& c = GetParam();
  auto eight = [](Rgb v) { return Rgb{v.r * 8, v.g * 8, v.b * 8}; };
  auto entry = [](Rgb v) { return Rgb{v.r * 255 / 31, v.g * 255 / 31, v.b * 255 / 31}; };
  PackedDib24 dib = PackedDib24::Runs({{eight(c.p), 100}, {eight(c.q), 100}, {eight(c.r), 100}});
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 252, {entry(c.r), entry(c.p), entry(c.q)});
}

INSTANTIATE_TEST_SUITE_P(
    Axes, AxisTieTest,
    ::testing::Values(AxisTieCase{"RedOverGreen", {2, 2, 10}, {12, 12, 10}, {2, 12, 10}},
                      AxisTieCase{"RedOverBlue", {2, 10, 2}, {12, 10, 12}, {2, 10, 12}},
                      AxisTieCase{"GreenOverBlue", {10, 2, 2}, {10, 12, 12}, {10, 2, 12}}),
    [](const auto& info) { return std::string(info.param.name); });

// One pixel per row: it is the last of its row, so rows 0..3 add -14, 2, -10, 6.
// Greys 116 (cell 14, rows 0..3) and 100 (cell 12, rows 4..7) give the palette of the
// side-length test: 254 = 115, 255 = 98, grey 123 first at 8. Rows 0..3 become 102,
// 118, 106, 122 (cells 12, 14, 13, 15): nearest 98, 115, 98, 123. Rows 4..7 become 86,
// 102, 90, 106, all nearest 98 (102 and 106 through the cells rows 0 and 2 filled).
TEST_F(QuantizeTest, LastPixelOfARowGetsTheFirstColumnOfTheMatrix) {
  PackedDib24 dib(1, 8, [](int, int y) { return Grey(y < 4 ? 116 : 100); });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 253, {Grey(115), Grey(98)});
  std::vector<int> indices;
  for (int y = 0; y < 8; ++y) indices.push_back(q.Index(0, y));
  EXPECT_EQ(indices, std::vector<int>({255, 254, 255, 8, 255, 255, 255, 255}));
}

// Two pixels a row: the first is column 1 from the right (+10 in row 0, -6 in row 1),
// the second column 0 (-14, +2). Row 0 of 116 gives 126 -> grey (8) and 102 -> 98
// (255); counted from the left it would be the other way round.
TEST_F(QuantizeTest, DitherColumnCountsFromTheRightHandEnd) {
  PackedDib24 dib(2, 2, [](int, int y) { return Grey(y == 0 ? 116 : 100); });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);
  ExpectPalette(q, 253, {Grey(115), Grey(98)});
  EXPECT_EQ(q.Index(0, 0), 8);
  EXPECT_EQ(q.Index(1, 0), 255);
  EXPECT_EQ(q.Index(0, 1), 255);
  EXPECT_EQ(q.Index(1, 1), 255);
}

// The mapping pass against a plain model of it, on a noisy image and the palette the
// result carries: each cell takes the nearest entry (lowest on a tie) for the first
// dithered colour that reaches it, and every later colour of the cell gets the same.
TEST_F(QuantizeTest, MappingMatchesAModelOfTheCellCache) {
  std::mt19937 random(12345);
  std::vector<Rgb> pixels(64 * 48);
  for (Rgb& c : pixels) c = Rgb{int(random() % 256), int(random() % 256), int(random() % 256)};
  PackedDib24 dib(64, 48, [&](int x, int y) { return pixels[size_t(y * 64 + x)]; });
  Quantized q(Quantize(dib));
  ASSERT_TRUE(q);

  constexpr int kMatrix[4][4] = {{-7, 1, -5, 3}, {5, -3, 7, -1}, {-4, 4, -6, 2}, {8, 0, 6, -2}};
  std::vector<int> cellEntry(32768, -1);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int d = 2 * kMatrix[(64 - 1 - x) % 4][y % 4];
      const Rgb p = pixels[size_t(y * 64 + x)];
      const Rgb c{std::clamp(p.r + d, 0, 255), std::clamp(p.g + d, 0, 255),
                  std::clamp(p.b + d, 0, 255)};
      int& entry = cellEntry[size_t((c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3))];
      if (entry == -1) {
        int best = 0, bestDistance = INT_MAX;
        for (int i = 0; i < 256; ++i) {
          const Rgb e = q.Entry(i);
          int distance =
              (c.r - e.r) * (c.r - e.r) + (c.g - e.g) * (c.g - e.g) + (c.b - e.b) * (c.b - e.b);
          if (distance < bestDistance) best = i, bestDistance = distance;
        }
        entry = best;
      }
      ASSERT_EQ(q.Index(x, y), entry) << x << "," << y;
    }
  }
}

// A top-down input is quantized row for row like the same rows bottom-up; the
// result keeps the negative height.
TEST_F(QuantizeTest, NegativeHeightKeepsItsSignAndStoredRowOrder) {
  auto pixel = [](int x, int y) { return Rgb{30 * x, 255 - 20 * y, 7 * x * y}; };
  PackedDib24 bottomUp(6, 9, pixel);
  PackedDib24 topDown(6, -9, pixel);
  Quantized a(Quantize(bottomUp));
  Quantized b(Quantize(topDown));
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  EXPECT_EQ(b.header().biHeight, -9);
  EXPECT_EQ(b.header().biSizeImage, 8u * 9u);
  EXPECT_EQ(b.BlockSize(), a.BlockSize());
  for (int i = 0; i < 256; ++i) EXPECT_EQ(b.Entry(i), a.Entry(i)) << i;
  for (int y = 0; y < 9; ++y) EXPECT_EQ(std::memcmp(a.Row(y), b.Row(y), 8), 0) << y;
}

// Only a header: a size check that let any of these through would read pixels that
// are not there.
TEST_F(QuantizeTest, HostileSizesAreRefusedBeforeAnyPixelIsRead) {
  struct Case {
    LONG width, height;
  };
  for (Case c : {Case{INT_MAX, INT_MAX}, Case{INT_MAX, 1}, Case{1, INT_MIN}, Case{-1, 1},
                 Case{INT_MIN, 4}, Case{1, 1 << 30},  // 24-bit rows: 2^32 bytes
                 Case{1, 1073741558}}) {              // 8-bit block: 1064 + 4 * rows = 2^32
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = c.width;
    header.biHeight = c.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    EXPECT_EQ(QuantizeDIB(&header, QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr), nullptr)
        << c.width << " x " << c.height;
  }
}

TEST_F(QuantizeTest, ShortHeaderAndUnknownModesAreRefused) {
  PackedDib24 dib(4, 4, [](int x, int y) { return Rgb{x * 60, y * 60, 90}; });
  EXPECT_EQ(QuantizeDIB(dib.header(), 1, QUANT_DITHER_ORDERED, nullptr), nullptr);
  EXPECT_EQ(QuantizeDIB(dib.header(), QUANT_METHOD_MEDIAN_CUT, 2, nullptr), nullptr);
  EXPECT_EQ(QuantizeDIB(dib.header(), QUANT_METHOD_MEDIAN_CUT, -1, nullptr), nullptr);
  dib.mutable_header()->biSize = sizeof(BITMAPCOREHEADER);
  EXPECT_EQ(Quantize(dib), nullptr);
}

// A colour table declared by a 40-byte header is skipped to find the pixels.
TEST_F(QuantizeTest, PixelsFollowADeclaredColourTable) {
  PackedDib24 plain(3, 2, [](int, int) { return Rgb{100, 150, 200}; });
  const size_t tableBytes = 2 * sizeof(RGBQUAD), pixelBytes = 2 * 12;
  std::vector<BYTE> withTable(sizeof(BITMAPINFOHEADER) + tableBytes + pixelBytes, 0xEE);
  std::memcpy(withTable.data(), plain.header(), sizeof(BITMAPINFOHEADER));
  std::memcpy(withTable.data() + sizeof(BITMAPINFOHEADER) + tableBytes, plain.header() + 1,
              pixelBytes);
  reinterpret_cast<BITMAPINFOHEADER*>(withTable.data())->biClrUsed = 2;
  Quantized q(QuantizeDIB(reinterpret_cast<const BITMAPINFOHEADER*>(withTable.data()),
                          QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr));
  ASSERT_TRUE(q);
  ExpectPalette(q, 254, {{98, 148, 205}});
}

// GlobalAlloc 1 is the cell table, 2 the output. Cells: one for (100,150,200), eight
// corners, then the first dithered colour of the mapping pass, (116,166,216).
TEST_F(QuantizeTest, EveryAllocationFailureGivesNullAndFreesEverything) {
  PackedDib24 dib(4, 2, [](int, int) { return Rgb{100, 150, 200}; });
  for (unsigned long n : {1, 2}) {
    platform::faults::FailNthGlobalAlloc(n);
    EXPECT_EQ(Quantize(dib), nullptr) << "global allocation " << n;
    platform::faults::FailNthGlobalAlloc(0);
  }
  for (unsigned long n : {1, 2, 9, 10}) {
    platform::faults::FailNthHeapAlloc(n);
    EXPECT_EQ(Quantize(dib), nullptr) << "cell " << n;
    platform::faults::FailNthHeapAlloc(0);
  }
  platform::faults::FailNthHeapAlloc(30);  // more cells than this image needs
  Quantized q(Quantize(dib));
  EXPECT_TRUE(q);
}

std::vector<int> g_progress;
void CALLBACK RecordProgress(int percent) { g_progress.push_back(percent); }

TEST_F(QuantizeTest, ProgressGrowsToOneHundred) {
  PackedDib24 dib(16, 40, [](int x, int y) { return Rgb{x * 16, y * 6, 77}; });
  g_progress.clear();
  Quantized q(
      QuantizeDIB(dib.header(), QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, RecordProgress));
  ASSERT_TRUE(q);
  ASSERT_FALSE(g_progress.empty());
  for (size_t i = 1; i < g_progress.size(); ++i) EXPECT_LT(g_progress[i - 1], g_progress[i]);
  EXPECT_GT(g_progress.front(), 0);
  EXPECT_EQ(g_progress.back(), 100);
  EXPECT_NE(std::find(g_progress.begin(), g_progress.end(), 50), g_progress.end());

  PackedDib24 empty(0, 0, [](int, int) { return Rgb{}; });
  g_progress.clear();
  Quantized e(
      QuantizeDIB(empty.header(), QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, RecordProgress));
  EXPECT_EQ(g_progress, std::vector<int>({50, 100}));
}

// Half the cube full of saturated cells: the weighted red sum, 65535 * 1024 * 376,
// is far beyond 32 bits, and the means must still be exact.
TEST(QuantContextTest, ShrinkMeansDoNotOverflow) {
  std::unique_ptr<QuantContext> context = QuantContext::Create();
  ASSERT_TRUE(context);
  for (int r = 16; r < 32; ++r) {
    for (int g = 0; g < 32; ++g) {
      for (int b = 0; b < 32; ++b)
        ASSERT_NE(context->NewCell(QuantContext::CellNumber(r, g, b), 65535), nullptr);
    }
  }
  ColorBox box{0, 31, 0, 31, 0, 31, 0, 0, 0, 0};
  context->Shrink(box);
  EXPECT_EQ(box.rMin, 16);
  EXPECT_EQ(box.rMax, 31);
  EXPECT_EQ(box.gMin, 0);
  EXPECT_EQ(box.bMax, 31);
  EXPECT_EQ(box.rMean, 23u);
  EXPECT_EQ(box.gMean, 15u);
  EXPECT_EQ(box.bMean, 15u);
  EXPECT_EQ(box.population, 65535u);
}

}  // namespace
