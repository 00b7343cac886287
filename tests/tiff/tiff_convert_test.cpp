// ConvertToDIB over files built byte by byte: row layouts, sample layouts, strips
// that are short, missing or corrupt, refusals and failed allocations.
#include <gtest/gtest.h>

#include <platform/testing.h>

#include <cstring>
#include <vector>

#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;
using tifftest::DecodeBytes;
using tifftest::Decoded;
using tifftest::DibRows;
using tifftest::PaddedRow;
using tifftest::TiffBuilder;

Bytes Sequence(size_t n, int nStart = 1) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(nStart + i);
  return b;
}

// Packs codes 9 bits wide, most significant bit first (enough for short strips).
Bytes Lzw9(const std::vector<int>& codes) {
  Bytes out;
  uint32_t acc = 0;
  int nHeld = 0;
  for (int code : codes) {
    acc = (acc << 9) | static_cast<uint32_t>(code);
    nHeld += 9;
    while (nHeld >= 8) {
      out.push_back(static_cast<uint8_t>(acc >> (nHeld - 8)));
      nHeld -= 8;
    }
  }
  if (nHeld > 0) out.push_back(static_cast<uint8_t>(acc << (8 - nHeld)));
  return out;
}

Bytes LzwLiterals(const Bytes& data) {
  // Clear before every 200 literals keeps the width at 9 bits.
  std::vector<int> codes;
  for (size_t i = 0; i < data.size(); ++i) {
    if (i % 200 == 0) codes.push_back(256);
    codes.push_back(data[i]);
  }
  codes.push_back(257);
  return Lzw9(codes);
}

class ConvertTest : public tifftest::FilledBlocksTest {
 protected:
  void TearDown() override {
    FilledBlocksTest::TearDown();
    EXPECT_TRUE(m_messages.messages.empty()) << m_messages.messages.front().text;
  }

  tifftest::MessageRecorder m_messages;
};

TEST_F(ConvertTest, Width5Grey8WithoutPredictorCopiesWholeBitmapRows) {
  TiffBuilder b;
  b.StripImage(5, 3, 1, 8, 1, 3, {Sequence(15)});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(d.pDIB->BitCount(), 8);
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 0), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 1), (Bytes{6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 2), (Bytes{11, 12, 13, 14, 15, 0, 0, 0}));
  EXPECT_EQ(d.pTIFF->m_pColorMap, nullptr);
}

TEST_F(ConvertTest, Width5Grey8WithPredictorPutsEachRowAtTheStride) {
  TiffBuilder b;
  b.StripImage(5, 2, 1, 8, 1, 2, {Bytes{10, 1, 1, 1, 250, 0, 255, 1, 0, 0}});
  b.Shorts(317, {2});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 0), (Bytes{10, 11, 12, 13, 7, 0, 0, 0}));
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 1), (Bytes{0, 255, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ConvertTest, RgbRowsBecomeBlueGreenRedWithPadding) {
  TiffBuilder b;
  b.StripImage(2, 2, 3, 8, 2, 1, {Bytes{1, 2, 3, 4, 5, 6}, Bytes{7, 8, 9, 10, 11, 12}});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(d.pDIB->BitCount(), 24);
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 0), (Bytes{3, 2, 1, 6, 5, 4, 0, 0}));
  EXPECT_EQ(PaddedRow(d.pDIB.get(), 1), (Bytes{9, 8, 7, 12, 11, 10, 0, 0}));
}

TEST_F(ConvertTest, RgbPredictorAddsChannelByChannel) {
  TiffBuilder b;
  b.StripImage(3, 1, 3, 8, 2, 1, {Bytes{100, 200, 0, 1, 100, 255, 255, 0, 2}});
  b.Shorts(317, {2});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{0, 200, 100, 255, 44, 101, 1, 44, 100}));
}

TEST_F(ConvertTest, CmykFormulaWhiteRedAndBlack) {
  TiffBuilder b;
  Bytes pixels = {0, 0, 0, 0, 255, 0, 0, 0, 10, 20, 30, 255, 100, 50, 20, 30, 200, 0, 0, 60};
  b.StripImage(5, 1, 4, 8, 5, 1, {pixels});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0],
            (Bytes{255, 255, 255, 255, 255, 0, 0, 0, 0, 205, 175, 125, 195, 195, 0}));
}

TEST_F(ConvertTest, CmykPredictorIsUndone) {
  TiffBuilder b;
  b.StripImage(2, 1, 4, 8, 5, 1, {Bytes{10, 20, 30, 40, 5, 5, 5, 5}});
  b.Shorts(317, {2});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  // Pixel 2 is (15, 25, 35, 45): red 255 - 15 - 45.
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{185, 195, 205, 175, 185, 195}));
}

TEST_F(ConvertTest, PackedSamplesAreUnpackedOneIndexAPixel) {
  struct Case {
    uint16_t wBits;
    uint16_t wPhotometric;
    Bytes row;
    Bytes expected;
  };
  const Case cases[] = {
      {1, 1, {0xA5, 0x80}, {255, 0, 255, 0, 0, 255, 0, 255, 255}},
      {1, 0, {0xA5, 0x80}, {0, 255, 0, 255, 255, 0, 255, 0, 0}},
      {1, 3, {0xA5, 0x80}, {1, 0, 1, 0, 0, 1, 0, 1, 1}},
      {2, 1, {0x1B, 0xC0, 0x40}, {0, 85, 170, 255, 255, 0, 0, 0, 85}},
      {4, 3, {0x12, 0x34, 0x56, 0x78, 0x9F}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {4, 0, {0x0F, 0x00, 0x00, 0x00, 0x80}, {255, 0, 255, 255, 255, 255, 255, 255, 119}},
  };
  for (const Case& c : cases) {
    TiffBuilder b;
    Bytes strip = c.row;
    strip.insert(strip.end(), c.row.begin(), c.row.end());  // a second, equal row
    b.StripImage(9, 2, 1, c.wBits, c.wPhotometric, 2, {strip});
    Decoded d = DecodeBytes(b.Build());
    ASSERT_TRUE(d.Ok()) << c.wBits;
    std::vector<Bytes> rows = DibRows(d.pDIB.get());
    EXPECT_EQ(d.pDIB->BitCount(), 8);
    EXPECT_EQ(rows[0], c.expected) << c.wBits << "/" << c.wPhotometric;
    EXPECT_EQ(rows[1], c.expected) << "rows start on a byte";
  }
}

TEST_F(ConvertTest, EightBitWhiteIsZeroIsInverted) {
  TiffBuilder b;
  b.StripImage(4, 1, 1, 8, 0, 1, {Bytes{0, 1, 128, 255}});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{255, 254, 127, 0}));
}

TEST_F(ConvertTest, MissingRowsPerStripMakesOneStrip) {
  TiffBuilder b;
  uint32_t nOffset = b.AddData(Sequence(12));
  b.Longs(256, {4});
  b.Longs(257, {3});
  b.Shorts(262, {1});
  b.Longs(273, {nOffset});
  b.Longs(279, {12});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  std::vector<Bytes> rows = DibRows(d.pDIB.get());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], (Bytes{9, 10, 11, 12}));
}

TEST_F(ConvertTest, EveryCompressionButNoneAndLzwIsRefused) {
  // CCITT, JPEG (old and new), Deflate (both codes), PackBits, LZMA, ZSTD, WebP.
  for (uint16_t wCompression : {2, 3, 4, 6, 7, 8, 32773, 32946, 34925, 50000, 50001}) {
    TiffBuilder b;
    b.StripImage(4, 1, 1, 8, 1, 1, {Sequence(4)}, wCompression);
    Decoded d = DecodeBytes(b.Build());
    EXPECT_EQ(d.nRead, 0);
    EXPECT_EQ(d.nConvert, -1) << wCompression;
  }
}

TEST_F(ConvertTest, GreyWithoutPhotometricHasBlackAtZero) {
  TiffBuilder b;
  b.Longs(256, {4});
  b.Longs(257, {1});
  b.Longs(273, {b.AddData(Bytes{0, 1, 128, 255})});
  b.Longs(279, {4});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{0, 1, 128, 255}));
}

TEST_F(ConvertTest, LzwStripsDecodeAndACorruptOneEndsTheImage) {
  TiffBuilder b;
  Bytes corrupt = Lzw9({256, 1, 300, 257});
  b.StripImage(4, 4, 1, 8, 1, 1,
               {LzwLiterals(Sequence(4, 1)), LzwLiterals(Sequence(4, 5)), corrupt,
                LzwLiterals(Sequence(4, 13))},
               5);
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  std::vector<Bytes> rows = DibRows(d.pDIB.get());
  EXPECT_EQ(rows[0], Sequence(4, 1));
  EXPECT_EQ(rows[1], Sequence(4, 5));
  EXPECT_EQ(rows[2], Bytes(4, 0));
  EXPECT_EQ(rows[3], Bytes(4, 0));
}

TEST_F(ConvertTest, LzwPaletteWithPredictor) {
  TiffBuilder b;
  b.StripImage(4, 1, 1, 8, 3, 1, {LzwLiterals({5, 1, 1, 253})}, 5);
  b.Shorts(317, {2});
  b.Shorts(320, std::vector<uint16_t>(768, 0x8080));
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{5, 6, 7, 4}));
  EXPECT_EQ(d.pTIFF->m_nColorMapEntries, 256);
}

TEST_F(ConvertTest, StripsWithoutByteCountsAreSkipped) {
  TiffBuilder b;
  uint32_t a = b.AddData(Sequence(4, 1));
  uint32_t c = b.AddData(Sequence(4, 9));
  b.Longs(256, {4});
  b.Longs(257, {2});
  b.Shorts(262, {1});
  b.Longs(278, {1});
  b.Longs(273, {a, c});
  b.Longs(279, {4});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  std::vector<Bytes> rows = DibRows(d.pDIB.get());
  EXPECT_EQ(rows[0], Sequence(4, 1));
  EXPECT_EQ(rows[1], Bytes(4, 0));

  TiffBuilder none;
  none.Longs(256, {4});
  none.Longs(257, {2});
  none.Longs(273, {a});
  Decoded e = DecodeBytes(none.Build());
  ASSERT_TRUE(e.Ok());
  EXPECT_EQ(DibRows(e.pDIB.get())[0], Bytes(4, 0));
}

TEST_F(ConvertTest, ByteCountsBeyondTheFileAreCutAtItsEnd) {
  // A strip claiming 4 GiB: the reader reads what the file holds.
  TiffBuilder b;
  uint32_t nOffset = b.AddData(Sequence(8));
  b.Longs(256, {4});
  b.Longs(257, {2});
  b.Shorts(262, {1});
  b.Longs(273, {nOffset});
  b.Longs(279, {0xFFFFFFF0});
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[1], Sequence(4, 5));
}

TEST_F(ConvertTest, StripsBeyondTheImageWriteNothingPastIt) {
  TiffBuilder b;
  std::vector<Bytes> strips(50, Sequence(12));
  b.StripImage(4, 2, 3, 8, 2, 2, strips);
  Decoded d = DecodeBytes(b.Build());
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get()).size(), 2u);
  EXPECT_EQ(GlobalSize(d.pDIB->m_hBits), 2u * 12);
}

TEST_F(ConvertTest, EmptyImagesConvertToNothing) {
  for (uint32_t nWidth : {0u, 3u}) {
    TiffBuilder b;
    b.StripImage(nWidth, nWidth == 0 ? 3 : 0, 3, 8, 2, 1, {Sequence(9)});
    Decoded d = DecodeBytes(b.Build());
    ASSERT_TRUE(d.Ok()) << nWidth;
    EXPECT_EQ(d.pDIB->Width(), static_cast<int>(nWidth));
  }
}

TEST_F(ConvertTest, LayoutsNotConvertedAreRefused) {
  struct Case {
    const char* what;
    uint16_t wSamples, wBits, wPhotometric, wTag, wValue;
  };
  const Case cases[] = {
      {"16-bit samples", 1, 16, 1, 0, 0},
      {"3-bit samples", 1, 3, 1, 0, 0},
      {"planar RGB", 3, 8, 2, 284, 2},
      {"fill order 2", 1, 8, 1, 266, 2},
      {"tiles", 1, 8, 1, 322, 16},
      {"RGB with an extra sample", 4, 8, 2, 0, 0},
      {"grey with alpha", 2, 8, 1, 0, 0},
      {"CMYK with an extra sample", 5, 8, 5, 0, 0},
      {"RGB of 4-bit samples", 3, 4, 2, 0, 0},
      {"signed samples", 1, 8, 1, 339, 2},
      {"differenced 4-bit samples", 1, 4, 1, 317, 2},
      {"YCbCr", 3, 8, 6, 0, 0},
      {"CIELab", 3, 8, 8, 0, 0},
      {"ICCLab", 3, 8, 9, 0, 0},
      {"ITULab", 3, 8, 10, 0, 0},
      {"three inks", 3, 8, 5, 0, 0},
      {"RGB of palette indices", 3, 8, 3, 0, 0},
      {"four samples RGB", 4, 8, 2, 0, 0},
      {"transparency mask", 1, 1, 4, 0, 0},
      {"one ink", 1, 8, 5, 0, 0},
      {"CIELab lightness only", 1, 8, 8, 0, 0},
      {"LogL", 1, 8, 32844, 0, 0},
  };
  for (const Case& c : cases) {
    TiffBuilder b;
    b.StripImage(4, 1, c.wSamples, c.wBits, c.wPhotometric, 1, {Sequence(64)});
    if (c.wTag != 0) b.Shorts(c.wTag, {c.wValue});
    Decoded d = DecodeBytes(b.Build());
    EXPECT_EQ(d.nRead, 0) << c.what;
    EXPECT_EQ(d.nConvert, -1) << c.what;
  }
  // Planar configuration 2 of one sample is the same layout as 1.
  TiffBuilder b;
  b.StripImage(4, 1, 1, 8, 1, 1, {Sequence(4)});
  b.Shorts(284, {2});
  EXPECT_TRUE(DecodeBytes(b.Build()).Ok());
}

TEST_F(ConvertTest, FailedOrTooLargeAllocationsEndTheConversion) {
  TiffBuilder b;
  b.StripImage(4, 2, 3, 8, 2, 2, {Sequence(24)});
  tifftest::TempFile file(b.Build());
  // Create's pixel block, then the output block.
  for (unsigned long n : {1ul, 2ul}) {
    CTIFF tiff;
    CDIB dib;
    CFile f;
    ASSERT_TRUE(f.Open(file.Path().c_str(), CFile::modeRead));
    ASSERT_EQ(tiff.Read(&f), 0);
    platform::faults::FailNthGlobalAlloc(n);
    EXPECT_EQ(tiff.ConvertToDIB(&f, &dib), -108) << n;
    platform::faults::FailNthGlobalAlloc(0);
  }
  TiffBuilder huge;
  huge.StripImage(60000, 60000, 3, 8, 2, 1, {Sequence(24)});
  EXPECT_EQ(DecodeBytes(huge.Build()).nConvert, -108);
}

TEST_F(ConvertTest, OnlyTheFirstImageIsRead) {
  TiffBuilder b;
  b.StripImage(2, 1, 1, 8, 1, 1, {Bytes{7, 8}});
  Bytes file = b.Build();
  // Point the next-directory field at the first directory again.
  uint32_t nDirectory;
  std::memcpy(&nDirectory, &file[4], 4);
  std::memcpy(&file[file.size() - 4], &nDirectory, 4);
  Decoded d = DecodeBytes(file);
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(DibRows(d.pDIB.get())[0], (Bytes{7, 8}));
}

}  // namespace
