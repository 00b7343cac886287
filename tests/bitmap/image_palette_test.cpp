// CImagePalette and CDIB::MakePalette with the TIFF reader as colour source: entries
// the colour map has come from it, the rest from the bitmap's own colour table, and
// nothing past the map is read.
#include "bitmap/Dib.h"
#include "bitmap/ImagePalette.h"
#include "tiff/Tiff.h"

#include <platform/testing.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Entry {
  int r, g, b, flags;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
  return out << "(" << e.r << "," << e.g << "," << e.b << " flags " << e.flags << ")";
}

std::vector<Entry> Entries(const CPalette& palette) {
  auto handle = static_cast<HPALETTE>(palette.GetSafeHandle());
  std::vector<PALETTEENTRY> raw(GetPaletteEntries(handle, 0, 0, nullptr));
  GetPaletteEntries(handle, 0, UINT(raw.size()), raw.data());
  std::vector<Entry> entries;
  for (const PALETTEENTRY& e : raw) entries.push_back({e.peRed, e.peGreen, e.peBlue, e.peFlags});
  return entries;
}

RGBQUAD* Table(CDIB& dib) { return reinterpret_cast<RGBQUAD*>(dib.m_pInfo + 1); }

Entry TableEntry(CDIB& dib, int i) {
  const RGBQUAD& q = Table(dib)[i];
  return {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
}

// An 8-bit bitmap whose colour table is not grey, so that its entries are told apart
// from mapped ones.
void PaintTable(CDIB& dib) {
  for (int i = 0; i < 256; ++i) Table(dib)[i] = RGBQUAD{BYTE(i / 2), BYTE(255 - i), BYTE(i), 0};
}

// A reader with a colour map of exactly n entries, allocated as the reader does.
void GiveColorMap(CTIFF& tiff, int n) {
  tiff.m_pColorMap = new ColorMapEntry[size_t(n)];
  tiff.m_nColorMapEntries = n;
  for (int i = 0; i < n; ++i) {
    tiff.m_pColorMap[i] =
        ColorMapEntry{uint16_t(i * 4369), uint16_t(65535 - i * 257), uint16_t(i * 256)};
  }
}

// c x 255 / 65535, truncated.
Entry Mapped(const ColorMapEntry& c) {
  return {int(c.red * 255u / 65535u), int(c.green * 255u / 65535u), int(c.blue * 255u / 65535u),
          PC_RESERVED};
}

using ImagePaletteTest = ::testing::Test;

TEST_F(ImagePaletteTest, WithoutSourceItIsTheBitmapsGreyTable) {
  CDIB dib;
  CImagePalette palette;
  EXPECT_EQ(palette.GetSafeHandle(), nullptr);
  ASSERT_TRUE(palette.CreateFromDIB(&dib, nullptr));
  std::vector<Entry> entries = Entries(palette);
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(entries[size_t(i)], (Entry{i, i, i, 0})) << i;
}

TEST_F(ImagePaletteTest, ASixteenEntryMapGivesSixteenEntriesAndTheTableTheRest) {
  CDIB dib;
  PaintTable(dib);
  CTIFF tiff;
  GiveColorMap(tiff, 16);
  const ColorMapEntry* map = tiff.m_pColorMap;
  CImagePalette palette;
  ASSERT_TRUE(palette.CreateFromDIB(&dib, &tiff));
  std::vector<Entry> entries = Entries(palette);
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 16; ++i) {
    Entry mapped = Mapped(map[i]);
    ASSERT_EQ(entries[size_t(i)], mapped) << i;
    mapped.flags = 0;
    ASSERT_EQ(TableEntry(dib, i), mapped) << "colour table entry " << i << " not rewritten";
  }
  for (int i = 16; i < 256; ++i) {
    ASSERT_EQ(entries[size_t(i)], (Entry{i, 255 - i, i / 2, 0})) << i;
    ASSERT_EQ(TableEntry(dib, i), (Entry{i, 255 - i, i / 2, 0})) << i;
  }
  EXPECT_EQ(tiff.m_pColorMap, map) << "the reader's map pointer moved";
}

TEST_F(ImagePaletteTest, ScalesSixteenBitValuesByTruncation) {
  CDIB dib;
  CTIFF tiff;
  GiveColorMap(tiff, 1);
  tiff.m_pColorMap[0] = ColorMapEntry{65535, 32768, 256};  // 255, 127.5, 0.996
  CImagePalette palette;
  ASSERT_TRUE(palette.CreateFromDIB(&dib, &tiff));
  EXPECT_EQ(Entries(palette)[0], (Entry{255, 127, 0, PC_RESERVED}));
}

TEST_F(ImagePaletteTest, AReaderWithoutMapGivesTheBitmapsOwnTable) {
  CDIB dib;
  CTIFF tiff;
  tiff.m_nColorMapEntries = 256;  // a count without a map is not trusted
  CImagePalette palette;
  ASSERT_TRUE(palette.CreateFromDIB(&dib, &tiff));
  std::vector<Entry> entries = Entries(palette);
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(entries[size_t(i)], (Entry{i, i, i, 0})) << i;
}

TEST_F(ImagePaletteTest, AMapLongerThanTheTableIsReadOnlyAsFarAsTheTable) {
  CDIB dib;
  dib.m_pInfo->biClrUsed = 16;
  CTIFF tiff;
  GiveColorMap(tiff, 256);
  CImagePalette palette;
  ASSERT_TRUE(palette.CreateFromDIB(&dib, &tiff));
  std::vector<Entry> entries = Entries(palette);
  ASSERT_EQ(entries.size(), 16u);
  for (int i = 0; i < 16; ++i) ASSERT_EQ(entries[size_t(i)], Mapped(tiff.m_pColorMap[i])) << i;
  EXPECT_EQ(TableEntry(dib, 16), (Entry{16, 16, 16, 0}));
}

TEST_F(ImagePaletteTest, ATrueColourBitmapGivesNoPalette) {
  CDIB dib;
  dib.SetBitCount(24);
  CImagePalette palette;
  EXPECT_FALSE(palette.CreateFromDIB(&dib, nullptr));
  EXPECT_EQ(palette.GetSafeHandle(), nullptr);
}

TEST_F(ImagePaletteTest, ReportsThePaletteClassAndDeletesItsObject) {
  std::size_t before = platform::testing::LiveGdiObjects();
  auto palette = std::make_unique<CImagePalette>();
  EXPECT_EQ(palette->GetRuntimeClass(), RUNTIME_CLASS(CPalette));
  CDIB dib;
  ASSERT_TRUE(palette->CreateFromDIB(&dib, nullptr));
  EXPECT_EQ(GetObjectType(palette->GetSafeHandle()), DWORD(OBJ_PAL));
  EXPECT_EQ(platform::testing::LiveGdiObjects(), before + 1);
  // A second build replaces the first palette.
  ASSERT_TRUE(palette->CreateFromDIB(&dib, nullptr));
  EXPECT_EQ(platform::testing::LiveGdiObjects(), before + 1);
  palette.reset();
  EXPECT_EQ(platform::testing::LiveGdiObjects(), before);
}

TEST_F(ImagePaletteTest, MakePaletteTakesTheSameEntriesFromTheSource) {
  CDIB dib, reference;
  PaintTable(dib);
  PaintTable(reference);
  CTIFF tiff;
  GiveColorMap(tiff, 16);
  ASSERT_TRUE(dib.MakePalette(&tiff));
  CImagePalette palette;
  ASSERT_TRUE(palette.CreateFromDIB(&reference, &tiff));
  EXPECT_EQ(Entries(*dib.m_pPalette), Entries(palette));
  EXPECT_EQ(0, std::memcmp(Table(dib), Table(reference), 256 * sizeof(RGBQUAD)));
  EXPECT_EQ(Entries(*dib.m_pPalette)[0].flags, PC_RESERVED);
}

}  // namespace
