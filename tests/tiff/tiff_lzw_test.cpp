// The LZW decoder on code sequences packed by hand and on strips libtiff's encoder
// wrote.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <platform/testing.h>

#include <string>
#include <utility>
#include <vector>

#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;

// Packs codes of the given widths most significant bit first.
Bytes PackWithWidths(const std::vector<std::pair<int, int>>& codes) {
  Bytes out;
  uint32_t acc = 0;
  int nHeld = 0;
  for (auto [code, width] : codes) {
    acc = (acc << width) | static_cast<uint32_t>(code);
    nHeld += width;
    while (nHeld >= 8) {
      out.push_back(static_cast<uint8_t>(acc >> (nHeld - 8)));
      nHeld -= 8;
    }
  }
  if (nHeld > 0) out.push_back(static_cast<uint8_t>(acc << (8 - nHeld)));
  return out;
}

// Packs codes at the widths TIFF's schedule gives them: 9 bits after Clear, one more
// bit each time the next free code reaches 511, 1023 and 2047.
Bytes Pack(const std::vector<int>& codes) {
  std::vector<std::pair<int, int>> widths;
  int width = 9, counter = 258, limit = 512;
  for (int code : codes) {
    widths.push_back({code, width});
    if (code == 256) {
      width = 9, counter = 258, limit = 512;
    } else if (++counter == limit && width < 12) {
      ++width;
      limit *= 2;
    }
  }
  return PackWithWidths(widths);
}

// A reader whose strips hold nRows rows of nWidth 8-bit pixels.
std::unique_ptr<CTIFF> Reader(int32_t nWidth, uint32_t nRows = 1) {
  auto pTIFF = std::make_unique<CTIFF>();
  pTIFF->m_lImageWidth = nWidth;
  pTIFF->m_lImageLength = static_cast<int32_t>(nRows);
  pTIFF->m_lRowsPerStrip = nRows;
  return pTIFF;
}

struct Result {
  bool bOk;
  std::string bytes;
};

Result Decode(CTIFF& tiff, const Bytes& strip) {
  DWORD dwLength = 12345;
  std::unique_ptr<BYTE[]> p =
      tiff.DecodeLzwStrip(strip.data(), static_cast<DWORD>(strip.size()), &dwLength);
  if (!p) return {false, std::to_string(dwLength)};
  return {true, std::string(reinterpret_cast<const char*>(p.get()), dwLength)};
}

Result Decode(const Bytes& strip, int32_t nWidth = 64) { return Decode(*Reader(nWidth), strip); }

int32_t UnpackStatus(const Bytes& strip, size_t nCapacity = 100000) {
  std::vector<WORD> codes(nCapacity);
  int32_t lStatus = 1;
  int16_t nResult = Reader(64)->UnpackLzwCodes(strip.data(), codes.data(), nCapacity,
                                               static_cast<DWORD>(strip.size()), &lStatus);
  EXPECT_EQ(nResult == 0, lStatus > 0);
  return lStatus;
}

std::vector<int> ClearThen(int nLiterals, int nEnd) {
  std::vector<int> codes = {256};
  codes.insert(codes.end(), nLiterals, 'A');
  codes.push_back(nEnd);
  return codes;
}

TEST(LzwSequences, ClearThenEndDecodesToNothing) {
  Result r = Decode(Pack({256, 257}));
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "");
}

TEST(LzwSequences, RepeatedClearsAreSkippedAsOne) {
  Result r = Decode(Pack({256, 256, 256, 'h', 'i', 256, 256, '!', 257}));
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "hi!");
}

TEST(LzwSequences, CodeBeingDefinedRepeatsThePreviousString) {
  Result r = Decode(Pack({256, 65, 258, 257}));
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "AAA");
}

TEST(LzwSequences, StringsChainThroughTheTable) {
  // T O B E O R N O T: the classic example, with codes for repeated pairs.
  Result r = Decode(Pack(
      {256, 'T', 'O', 'B', 'E', 'O', 'R', 'N', 'O', 'T', 258, 260, 262, 267, 261, 263, 265, 257}));
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "TOBEORNOTTOBEORTOBEORNOT");
}

TEST(LzwSequences, StreamsThatDoNotStartWithClearFail) {
  EXPECT_FALSE(Decode(Pack({65, 66, 257})).bOk);
  // The pre-6.0 bit order puts Clear's low bit first: read as TIFF 6.0 it is not Clear.
  EXPECT_FALSE(Decode(Bytes{0x00, 0x01, 0x18, 0x00, 0x20, 0x20}).bOk);
}

TEST(LzwSequences, MissingEndOfInformationFailsWithStatusMinus33) {
  Bytes strip = Pack({256, 'a', 'b', 'c'});
  EXPECT_EQ(UnpackStatus(strip), -33);
  EXPECT_FALSE(Decode(strip).bOk);
}

TEST(LzwSequences, StatusCountsTheCodesWithEndOfInformation) {
  EXPECT_EQ(UnpackStatus(Pack({256, 'a', 'b', 256, 'c', 257})), 6);
}

TEST(LzwSequences, CorruptCodesFailTheStrip) {
  EXPECT_FALSE(Decode(Pack({256, 300, 257})).bOk) << "a non-literal right after Clear";
  EXPECT_FALSE(Decode(Pack({256, 'a', 'b', 256, 258, 257})).bOk)
      << "a non-literal after a later Clear";
  EXPECT_FALSE(Decode(Pack({256, 'a', 260, 257})).bOk) << "a code beyond the next free one";
}

TEST(LzwSequences, NineBitCodeStraddlingTwoUnitsIsAssembled) {
  // Clear 100000000, 'A' 001000001, End 100000001: 'A' takes the low 7 bits of the
  // first 16-bit unit and the high 2 bits of the second.
  Result r = Decode(Bytes{0x80, 0x10, 0x60, 0x20});
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "A");
}

TEST(LzwSequences, OddLengthStripEndsInAZeroByte) {
  // Clear and 'A' fill 18 bits; End's nine bits end 3 bits into the fourth byte.
  Bytes strip = {0x80, 0x10, 0x60, 0x20};
  ASSERT_EQ(Pack({256, 'A', 257}), strip);
  // Cut to 3 bytes, the fourth reads as zero: End becomes 100000000, a Clear, and the
  // data then runs out.
  EXPECT_EQ(UnpackStatus(Bytes(strip.begin(), strip.begin() + 3)), -33);
  // 36 bits in 5 bytes: End lies within the data, the pad byte is not needed.
  Bytes odd = Pack({256, 'A', 'B', 257});
  ASSERT_EQ(odd.size(), 5u);
  Result r = Decode(odd);
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, "AB");
}

TEST(LzwWidth, WidthGrowsAtThe255th767thAnd1791stCode) {
  // Code k after Clear (k from 1) is read with 10 bits from k = 255, 11 from 767, 12
  // from 1791; packed by hand at exactly those boundaries.
  std::vector<std::pair<int, int>> codes = {{256, 9}};
  std::string expected;
  for (int k = 1; k <= 1800; ++k) {
    int width = k < 255 ? 9 : k < 767 ? 10 : k < 1791 ? 11 : 12;
    char c = static_cast<char>('a' + k % 26);
    codes.push_back({c, width});
    expected += c;
  }
  codes.push_back({257, 12});
  Result r = Decode(PackWithWidths(codes), 4096);
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, expected);
}

TEST(LzwWidth, TableMayFillToEntry4095BeforeClear) {
  // Codes 3838 and 3839 after Clear define entries 4094 and 4095 at 12 bits.
  for (int nLiterals : {3837, 3838, 3839}) {
    Result r = Decode(Pack(ClearThen(nLiterals, 257)), 4096);
    ASSERT_TRUE(r.bOk) << nLiterals;
    EXPECT_EQ(r.bytes, std::string(nLiterals, 'A'));
  }
  std::vector<int> codes = ClearThen(3839, 256);
  codes.insert(codes.end(), {'B', 257});
  Result r = Decode(Pack(codes), 4096);
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, std::string(3839, 'A') + "B");
}

TEST(LzwWidth, CodeThatWouldDefineEntry4096FailsWithStatusMinus44) {
  Bytes strip = Pack(ClearThen(3840, 257));
  EXPECT_EQ(UnpackStatus(strip), -44);
  EXPECT_FALSE(Decode(strip, 4096).bOk);
  // End of Information in that place is still a proper end.
  EXPECT_GT(UnpackStatus(Pack(ClearThen(3839, 257))), 0);
}

TEST(LzwBounds, OutputIsCutAfterTheStringThatCrossesBound) {
  // Bound for 1 row of 4 pixels: 4 + 128 bytes.
  std::unique_ptr<CTIFF> pTIFF = Reader(4);
  ASSERT_EQ(pTIFF->LzwBound(), 132u);
  std::vector<int> codes = {256, 'x'};
  for (int c = 258; c < 258 + 20; ++c) codes.push_back(c);  // strings of 2, 3, ... bytes
  codes.push_back(257);
  Result r = Decode(*pTIFF, Pack(codes));
  ASSERT_TRUE(r.bOk);
  // 1 + 2 + ... + 16 = 136 is the first total above 132.
  EXPECT_EQ(r.bytes, std::string(136, 'x'));
}

TEST(LzwBounds, MoreCodesThanTheListHoldsFailsTheStrip) {
  std::vector<int> codes = {256};
  for (int i = 0; i < 50; ++i) codes.insert(codes.end(), {256, 'a'});
  codes.push_back(257);
  EXPECT_EQ(UnpackStatus(Pack(codes), 20), -55);
  EXPECT_GT(UnpackStatus(Pack(codes), 200), 0);
}

TEST(LzwBounds, HugeImageFieldsFailWithoutAllocatingTheBound) {
  std::unique_ptr<CTIFF> pTIFF = Reader(0x7FFFFFFF, 0x7FFFFFFF);
  pTIFF->m_wSamplesPerPixel = 4;
  EXPECT_FALSE(Decode(*pTIFF, Pack({256, 'a', 257})).bOk);
}

TEST(LzwBounds, FailedAllocationFailsTheStripAndLeaksNothing) {
  size_t nLive = platform::testing::LiveGlobalBlocks();
  platform::faults::FailNthGlobalAlloc(1);
  EXPECT_FALSE(Decode(Pack({256, 'a', 257})).bOk);
  platform::faults::FailNthGlobalAlloc(0);
  EXPECT_EQ(platform::testing::LiveGlobalBlocks(), nLive);
  EXPECT_TRUE(Decode(Pack({256, 'a', 257})).bOk);
}

// libtiff's encoder over nBytes of data; returns the raw strip.
Bytes LibtiffEncode(const Bytes& data, uint32_t nWidth) {
  tifftest::TempFile file({});
  tifftest::LibtiffImage image;
  image.nWidth = nWidth;
  image.nHeight = static_cast<uint32_t>(data.size() / nWidth);
  image.wCompression = COMPRESSION_LZW;
  image.pixels = data;
  tifftest::WriteWithLibtiff(file.Path(), image);
  TIFF* tif = TIFFOpen(file.Path().c_str(), "r");
  EXPECT_NE(tif, nullptr);
  Bytes raw(static_cast<size_t>(TIFFRawStripSize(tif, 0)));
  TIFFReadRawStrip(tif, 0, raw.data(), static_cast<tmsize_t>(raw.size()));
  TIFFClose(tif);
  return raw;
}

void ExpectRoundTrip(const Bytes& data, uint32_t nWidth) {
  Bytes strip = LibtiffEncode(data, nWidth);
  Result r = Decode(
      *Reader(static_cast<int32_t>(nWidth), static_cast<uint32_t>(data.size() / nWidth)), strip);
  ASSERT_TRUE(r.bOk);
  EXPECT_EQ(r.bytes, std::string(data.begin(), data.end()));
}

TEST(LzwLibtiffStrips, RunOf1000IdenticalBytes) { ExpectRoundTrip(Bytes(1000, 7), 100); }

TEST(LzwLibtiffStrips, RunLongEnoughForStringsOfHundredsOfBytes) {
  // 100,000 equal bytes make strings of up to 447 bytes.
  ExpectRoundTrip(Bytes(100000, 200), 1000);
}

TEST(LzwLibtiffStrips, NoiseFillsTheTableManyTimes) {
  Bytes data(200000);
  uint32_t seed = 12345;
  for (uint8_t& b : data) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<uint8_t>((seed >> 16) % 7 == 0 ? seed >> 8 : seed >> 24 & 3);
  }
  ExpectRoundTrip(data, 500);
}

}  // namespace
