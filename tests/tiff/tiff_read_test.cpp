// The header and the first directory: byte orders, the header search, field types,
// the tag table, and directories that claim more than the file holds.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;
using tifftest::TempFile;
using tifftest::TiffBuilder;

// Read over the file's bytes; the reader is kept for its members.
int ReadBytes(const Bytes& contents, CTIFF* pTIFF) {
  TempFile file(contents);
  CFile f;
  EXPECT_TRUE(f.Open(file.Path().c_str(), CFile::modeRead | CFile::shareDenyWrite));
  return pTIFF->Read(&f);
}

TiffBuilder Basic(bool bBigEndian, size_t nPadding = 0) {
  TiffBuilder b(bBigEndian, nPadding);
  b.Longs(256, {7});
  b.Shorts(257, {5});
  return b;
}

TEST(TiffFieldTypes, SizesFollowTiff6AndUnknownTypesFail) {
  const int expected[] = {-1, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, -1, -1};
  for (int16_t type = 0; type < 15; ++type) {
    int16_t nStatus = 7;
    int nSize = CTIFF::FieldTypeSize(type, &nStatus);
    if (expected[type] < 0) {
      EXPECT_EQ(nStatus, -1) << type;
      EXPECT_EQ(nSize, 1) << type;
    } else {
      EXPECT_EQ(nStatus, 0) << type;
      EXPECT_EQ(nSize, expected[type]) << type;
    }
  }
}

TEST(TiffSwaps, SwapInPlaceAndBetweenOverlappingRanges) {
  BYTE ab[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  CTIFF::SwapShorts(ab, ab, 5);  // two units, the odd byte stays
  EXPECT_EQ(Bytes(ab, ab + 9), (Bytes{2, 1, 4, 3, 5, 6, 7, 8, 9}));
  BYTE abLong[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  CTIFF::SwapLongs(abLong, abLong, 8);
  EXPECT_EQ(Bytes(abLong, abLong + 8), (Bytes{4, 3, 2, 1, 8, 7, 6, 5}));
  BYTE abShift[6] = {1, 2, 3, 4, 0, 0};
  CTIFF::SwapShorts(abShift, abShift + 2, 4);
  EXPECT_EQ(Bytes(abShift, abShift + 6), (Bytes{1, 2, 2, 1, 4, 3}));
}

TEST(TiffHeader, BothByteOrdersGiveNativeValues) {
  for (bool bBig : {false, true}) {
    TiffBuilder b = Basic(bBig);
    b.Raw(282, 5, 1,
          bBig ? Bytes{0, 0, 0x01, 0x2C, 0, 0, 0, 1} : Bytes{0x2C, 0x01, 0, 0, 1, 0, 0, 0});
    b.Raw(269, 2, 8, Bytes{'M', 'M', 'I', 'I', 'x', 'y', 'z', 0});  // ASCII: unknown tag, skipped
    CTIFF tiff;
    ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
    EXPECT_EQ(tiff.m_wByteOrder, bBig ? 0x4D4D : 0x4949);
    EXPECT_EQ(tiff.m_wMagic, 42);
    EXPECT_EQ(tiff.m_lImageWidth, 7);
    EXPECT_EQ(tiff.m_lImageLength, 5);
    EXPECT_EQ(tiff.m_fXResolution, 300.0f);
  }
}

TEST(TiffHeader, BigEndianValuesOfEachTypeComeOutNative) {
  CTIFF tiff;
  tiff.m_wByteOrder = 0x4D4D;
  Bytes file = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  TempFile temp(file);
  CFile f;
  ASSERT_TRUE(f.Open(temp.Path().c_str(), CFile::modeRead));
  uint16_t aw[4];
  tiff.ReadValues(&f, 0, 4, 3, aw);
  EXPECT_EQ(aw[0], 0x1234);
  EXPECT_EQ(aw[3], 0xDEF0);
  uint32_t al[2];
  tiff.ReadValues(&f, 0, 1, 5, al);  // a RATIONAL is two LONGs
  EXPECT_EQ(al[0], 0x12345678u);
  EXPECT_EQ(al[1], 0x9ABCDEF0u);
  BYTE ab[8];
  for (int16_t type : {1, 2, 6, 7}) {
    tiff.ReadValues(&f, 0, 8, type, ab);
    EXPECT_EQ(Bytes(ab, ab + 8), file) << "type " << type << " stays as stored";
  }
}

TEST(TiffHeader, ValuesPastTheEndOfTheFileReadAsZero) {
  CTIFF tiff;
  tiff.m_wByteOrder = 0x4949;
  TempFile temp(Bytes{1, 2, 3});
  CFile f;
  ASSERT_TRUE(f.Open(temp.Path().c_str(), CFile::modeRead));
  uint32_t al[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_EQ(tiff.ReadValues(&f, 1, 2, 4, al), 0);
  EXPECT_EQ(al[0], 0x0302u);
  EXPECT_EQ(al[1], 0u);
  EXPECT_EQ(tiff.ReadValues(&f, 0xFFFFFFF0u, 2, 4, al), 0);
  EXPECT_EQ(al[0], 0u);
  EXPECT_EQ(tiff.ReadValues(&f, 0, 1, 13, al), -1);
}

TEST(TiffHeader, HeaderAfterEvenPaddingIsFoundAndOffsetsStayAbsolute) {
  // The builder writes absolute offsets that already count the padding.
  for (size_t nPadding : {2u, 10u, 5000u}) {
    CTIFF tiff;
    ASSERT_EQ(ReadBytes(Basic(false, nPadding).Build(), &tiff), 0) << nPadding;
    EXPECT_EQ(tiff.m_lHeaderPos, static_cast<int32_t>(nPadding));
    EXPECT_EQ(tiff.m_lImageWidth, 7);
  }
}

TEST(TiffHeader, WrongVersionOrEmptyOrOddPaddedFileFails) {
  Bytes v43 = Basic(false).Build();
  v43[2] = 43;
  std::vector<Bytes> files = {v43, {}, {'I'}, Bytes(100, 0)};
  Bytes odd = Basic(false).Build();
  odd.insert(odd.begin(), 'x');  // an odd number of bytes before the mark
  files.push_back(odd);
  for (const Bytes& file : files) {
    CTIFF tiff;
    EXPECT_EQ(ReadBytes(file, &tiff), 20) << file.size();
  }
}

TEST(TiffHeader, FailedReadClosesTheFile) {
  TempFile temp(Bytes(20, 0));
  CFile f;
  ASSERT_TRUE(f.Open(temp.Path().c_str(), CFile::modeRead | CFile::shareDenyWrite));
  CTIFF tiff;
  EXPECT_EQ(tiff.Read(&f), 20);
  EXPECT_EQ(f.m_hFile, CFile::hFileNull);
}

TEST(TiffDirectory, EntriesOfUnknownFieldTypeAreSkippedInEitherByteOrder) {
  for (bool bBig : {false, true}) {
    TiffBuilder b(bBig);
    b.Entry(256, 13, 1, 0x01000100);  // an ImageWidth of type 13: not applied
    b.Entry(34665, 13, 1, 8);
    b.Entry(257, 0, 1, 0);
    b.Shorts(257, {5});
    CTIFF tiff;
    ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0) << bBig;
    EXPECT_EQ(tiff.m_lImageWidth, 0);
    EXPECT_EQ(tiff.m_lImageLength, 5);
  }
  TiffDirEntry entry = {256, 13, 1, 0};
  CTIFF tiff;
  tifftest::TempFile temp(Bytes(16, 0));
  CFile f;
  ASSERT_TRUE(f.Open(temp.Path().c_str(), CFile::modeRead));
  EXPECT_EQ(tiff.ApplyDirEntry(&f, 0, &entry), -1);
  tiff.m_wByteOrder = 0x4D4D;
  EXPECT_EQ(tiff.ReadDirEntry(&f, 0, &entry), -1) << "a big-endian entry is checked at once";
}

TEST(TiffDirectory, AbsentFieldsKeepTheirConstructionValues) {
  TiffBuilder b(false);
  b.Shorts(259, {5});
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_wCompression, 5);
  EXPECT_EQ(tiff.m_lImageWidth, 0);
  EXPECT_EQ(tiff.m_lImageLength, 0);
  EXPECT_EQ(tiff.m_wBitsPerSample, 8);
  EXPECT_EQ(tiff.m_wSamplesPerPixel, 1);
  EXPECT_EQ(tiff.m_lRowsPerStrip, 0xFFFFFFFFu);
  EXPECT_EQ(tiff.m_wFillOrder, 1);
  EXPECT_EQ(tiff.m_wPlanarConfig, 1);
  EXPECT_EQ(tiff.m_wPredictor, 1);
  EXPECT_EQ(tiff.m_wResolutionUnit, 2);
  EXPECT_EQ(tiff.m_pColorMap, nullptr);
  EXPECT_EQ(tiff.m_lStripCount, 0);
}

TEST(TiffDirectory, ShortAndLongFieldsAndFirstBytes) {
  TiffBuilder b(true);
  b.Shorts(256, {40000});  // SHORT width: unsigned
  b.Longs(257, {70000});
  b.Shorts(258, {4, 4, 4});
  b.Shorts(266, {0x0102});  // first byte of a SHORT is its low byte
  b.Shorts(263, {0x00FE});  // a byte taken as signed
  b.Shorts(278, {0xFFFF});
  b.Shorts(297, {3, 9});
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_lImageWidth, 40000);
  EXPECT_EQ(tiff.m_lImageLength, 70000);
  EXPECT_EQ(tiff.m_wBitsPerSample, 4);
  EXPECT_EQ(tiff.m_wFillOrder, 2);
  EXPECT_EQ(tiff.m_wThreshholding, -2);
  EXPECT_EQ(tiff.m_lRowsPerStrip, 0xFFFFu);
  EXPECT_EQ(tiff.m_wPageNumber, 3);
}

TEST(TiffDirectory, ShortStripOffsetsWidenLikeLongOnes) {
  for (bool bBig : {false, true}) {
    TiffBuilder s(bBig), l(bBig);
    s.Shorts(273, {8, 40000, 65535});
    s.Shorts(279, {1, 40000, 2});
    l.Longs(273, {8, 40000, 65535});
    l.Longs(279, {1, 40000, 2});
    CTIFF a, c;
    ASSERT_EQ(ReadBytes(s.Build(), &a), 0);
    ASSERT_EQ(ReadBytes(l.Build(), &c), 0);
    ASSERT_EQ(a.m_lStripCount, 3);
    ASSERT_EQ(a.m_lStripByteCountCount, 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(a.m_plStripOffsets[i], c.m_plStripOffsets[i]);
      EXPECT_EQ(a.m_plStripByteCounts[i], c.m_plStripByteCounts[i]);
    }
    EXPECT_EQ(a.m_plStripOffsets[1], 40000);
    EXPECT_EQ(a.m_plStripByteCounts[1], 40000);
  }
}

TEST(TiffDirectory, ColorMapOf48768And900Values) {
  for (int nValues : {48, 768, 900, 2}) {
    std::vector<uint16_t> values(nValues);
    for (int i = 0; i < nValues; ++i) values[i] = static_cast<uint16_t>(i * 70);
    TiffBuilder b(true);
    b.Shorts(320, values);
    CTIFF tiff;
    ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
    int n = std::min(nValues / 3, 256);
    ASSERT_EQ(tiff.m_nColorMapEntries, n) << nValues;
    if (n == 0) {
      EXPECT_EQ(tiff.m_pColorMap, nullptr);
      continue;
    }
    EXPECT_EQ(tiff.m_pColorMap[0].red, 0);
    EXPECT_EQ(tiff.m_pColorMap[n - 1].red, (n - 1) * 70);
    EXPECT_EQ(tiff.m_pColorMap[0].green, n * 70);
    EXPECT_EQ(tiff.m_pColorMap[n - 1].blue, (3 * n - 1) * 70);
  }
}

TEST(TiffDirectory, CountZeroLeavesTheMemberUnchanged) {
  TiffBuilder b(false);
  b.Longs(256, {9});
  b.Entry(256, 4, 0, 5);
  b.Entry(273, 4, 0, 0);
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_lImageWidth, 9);
  EXPECT_EQ(tiff.m_plStripOffsets, nullptr);
}

TEST(TiffDirectory, ValuesThatCannotFitInTheFileAreSkipped) {
  TiffBuilder b(false);
  b.Entry(273, 4, 0x40000000, 8);  // 4 GiB of offsets in a small file
  b.Entry(320, 3, 0xFFFFFFFF, 8);
  b.Longs(256, {3});
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_plStripOffsets, nullptr);
  EXPECT_EQ(tiff.m_pColorMap, nullptr);
  EXPECT_EQ(tiff.m_lImageWidth, 3);
}

TEST(TiffDirectory, ValuesRunningPastTheEndReadAsZero) {
  // Six SHORT offsets of which only the first lies in the file, in its last 2 bytes.
  TiffBuilder b(false);
  b.Longs(256, {3});
  b.Entry(273, 3, 6, 0);
  Bytes file = b.Build();
  size_t nField = file.size() - 4 - 4;  // the last entry's value field
  file.insert(file.end(), {0x34, 0x12});
  uint32_t nOffset = static_cast<uint32_t>(file.size() - 2);
  std::memcpy(&file[nField], &nOffset, 4);
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(file, &tiff), 0);
  ASSERT_EQ(tiff.m_lStripCount, 6);
  EXPECT_EQ(tiff.m_plStripOffsets[0], 0x1234);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(tiff.m_plStripOffsets[i], 0) << i;
}

TEST(TiffDirectory, BytesForLongFieldsAreWidenedNotOverread) {
  TiffBuilder b(false);
  b.Raw(256, 1, 1, {200});  // a BYTE width
  b.Raw(279, 1, 3, {1, 2, 3});
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_lImageWidth, 200);
  ASSERT_EQ(tiff.m_lStripByteCountCount, 3);
  EXPECT_EQ(tiff.m_plStripByteCounts[0], 0x030201);
  EXPECT_EQ(tiff.m_plStripByteCounts[1], 0);
}

TEST(TiffDirectory, EntriesBeyondTheFileAreNotRead) {
  TiffBuilder b(false);
  b.Longs(256, {11});
  Bytes file = b.Build();
  // Claim 60000 entries: only the one the file holds is read.
  uint32_t nDirectory;
  std::memcpy(&nDirectory, &file[4], 4);
  file[nDirectory] = 0x60;
  file[nDirectory + 1] = 0xEA;
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(file, &tiff), 0);
  EXPECT_EQ(tiff.m_lImageWidth, 11);
}

TEST(TiffDirectory, NoDirectoryOrAnEmptyOneReadsNothing) {
  Bytes none = {'I', 'I', 42, 0, 0, 0, 0, 0};
  Bytes far = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0xFF};
  for (const Bytes& file : {none, far}) {
    CTIFF tiff;
    EXPECT_EQ(ReadBytes(file, &tiff), 0);
    EXPECT_EQ(tiff.m_lImageWidth, 0);
  }
}

TEST(TiffDirectory, RepeatedArraysReplaceTheEarlierOnes) {
  TiffBuilder b(false);
  b.Longs(273, {1, 2, 3});
  b.Longs(273, {4});
  b.Shorts(320, std::vector<uint16_t>(6, 1));
  b.Shorts(320, std::vector<uint16_t>(9, 2));
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_EQ(tiff.m_lStripCount, 1);
  EXPECT_EQ(tiff.m_plStripOffsets[0], 4);
  EXPECT_EQ(tiff.m_nColorMapEntries, 3);
  EXPECT_EQ(tiff.m_pColorMap[2].blue, 2);
}

TEST(TiffDirectory, TileTagsAndSampleFormatAreNoted) {
  TiffBuilder b(false);
  b.Shorts(322, {16});
  b.Shorts(339, {2});
  CTIFF tiff;
  ASSERT_EQ(ReadBytes(b.Build(), &tiff), 0);
  EXPECT_TRUE(tiff.m_bTiled);
  EXPECT_EQ(tiff.m_wSampleFormat, 2);
}

}  // namespace
