// Files libtiff's writer makes in the test, in the combinations no peer file has:
// both byte orders, 1, 8 and 64 rows a strip, no compression, LZW and LZW with
// differencing, every sample layout the reader converts; then the same files moved
// behind padding bytes and with SHORT strip offsets.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <string>
#include <vector>

#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;
using tifftest::LibtiffImage;
using tifftest::TempFile;

struct Layout {
  const char* name;
  uint16_t wSamples, wBits, wPhotometric;
};

const Layout kLayouts[] = {
    {"palette8", 1, 8, PHOTOMETRIC_PALETTE},  {"grey8", 1, 8, PHOTOMETRIC_MINISBLACK},
    {"white8", 1, 8, PHOTOMETRIC_MINISWHITE}, {"rgb", 3, 8, PHOTOMETRIC_RGB},
    {"cmyk", 4, 8, PHOTOMETRIC_SEPARATED},    {"palette4", 1, 4, PHOTOMETRIC_PALETTE},
    {"grey2", 1, 2, PHOTOMETRIC_MINISBLACK},  {"bilevel", 1, 1, PHOTOMETRIC_MINISWHITE},
};

// Smooth areas with some noise, so LZW finds both short and long strings.
LibtiffImage MakeImage(const Layout& layout, uint32_t nWidth, uint32_t nHeight) {
  LibtiffImage image;
  image.nWidth = nWidth;
  image.nHeight = nHeight;
  image.wSamples = layout.wSamples;
  image.wBits = layout.wBits;
  image.wPhotometric = layout.wPhotometric;
  size_t nRowBytes = (static_cast<size_t>(nWidth) * layout.wSamples * layout.wBits + 7) / 8;
  image.pixels.resize(nRowBytes * nHeight);
  uint32_t seed = 99;
  for (uint32_t y = 0; y < nHeight; ++y) {
    for (size_t i = 0; i < nRowBytes; ++i) {
      seed = seed * 1664525 + 1013904223;
      uint8_t v = static_cast<uint8_t>((i / 7 + y / 5) * 9);
      if ((seed >> 28) == 0) v = static_cast<uint8_t>(seed >> 8);
      image.pixels[y * nRowBytes + i] = v;
    }
  }
  if (layout.wPhotometric == PHOTOMETRIC_PALETTE) {
    size_t n = size_t{1} << layout.wBits;
    for (size_t c = 0; c < 3; ++c) {
      for (size_t i = 0; i < n; ++i)
        image.colorMap.push_back(static_cast<uint16_t>((i * 997 + c * 20011) & 0xFFFF));
    }
  }
  return image;
}

struct Variant {
  const Layout* pLayout;
  bool bBigEndian;
  uint32_t nRowsPerStrip;
  uint16_t wCompression;
  uint16_t wPredictor;
};

std::string VariantName(const ::testing::TestParamInfo<Variant>& info) {
  const Variant& v = info.param;
  std::string name = std::string(v.pLayout->name) + (v.bBigEndian ? "_MM_" : "_II_") +
                     std::to_string(v.nRowsPerStrip) + "rows_";
  name += v.wCompression == COMPRESSION_NONE ? "none" : v.wPredictor == 2 ? "lzwpredictor" : "lzw";
  return name;
}

std::vector<Variant> Variants() {
  std::vector<Variant> variants;
  for (const Layout& layout : kLayouts) {
    for (bool bBig : {false, true}) {
      for (uint32_t nRows : {1u, 8u, 64u}) {
        variants.push_back({&layout, bBig, nRows, COMPRESSION_NONE, 1});
        variants.push_back({&layout, bBig, nRows, COMPRESSION_LZW, 1});
        // libtiff differences only whole bytes.
        if (layout.wBits == 8) variants.push_back({&layout, bBig, nRows, COMPRESSION_LZW, 2});
      }
    }
  }
  return variants;
}

void ExpectSamePixels(const std::string& ours, const std::string& libtiffs) {
  tifftest::Decoded d = tifftest::DecodeFile(ours);
  ASSERT_TRUE(d.Ok()) << d.nRead << " " << d.nConvert;
  tifftest::LibtiffRaster raster;
  ASSERT_TRUE(tifftest::DecodeWithLibtiff(libtiffs, &raster));
  std::vector<Bytes> rows = tifftest::DibRows(d.pDIB.get());
  std::vector<Bytes> expected = tifftest::ExpectedRows(raster);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t y = 0; y < rows.size(); ++y) ASSERT_EQ(rows[y], expected[y]) << "row " << y;
}

class WrittenFile : public ::testing::TestWithParam<Variant> {};

TEST_P(WrittenFile, GivesLibtiffsPixels) {
  const Variant& v = GetParam();
  LibtiffImage image = MakeImage(*v.pLayout, 37, 70);
  image.bBigEndian = v.bBigEndian;
  image.nRowsPerStrip = v.nRowsPerStrip;
  image.wCompression = v.wCompression;
  image.wPredictor = v.wPredictor;
  TempFile file({});
  tifftest::WriteWithLibtiff(file.Path(), image);
  ExpectSamePixels(file.Path(), file.Path());
}

INSTANTIATE_TEST_SUITE_P(Libtiff, WrittenFile, ::testing::ValuesIn(Variants()), VariantName);

TEST(WrittenFiles, IccTagIsIgnoredWithoutTheEngine) {
  for (const Layout* pLayout : {&kLayouts[0], &kLayouts[1]}) {
    LibtiffImage image = MakeImage(*pLayout, 20, 10);
    image.iccProfile = tifftest::ReadWholeFile("/usr/share/color/icc/colord/sRGB.icc");
    ASSERT_FALSE(image.iccProfile.empty());
    TempFile file({});
    tifftest::WriteWithLibtiff(file.Path(), image);
    ExpectSamePixels(file.Path(), file.Path());
  }
}

uint32_t Get32(const Bytes& f, size_t at, bool bBig) {
  return bBig ? (uint32_t{f[at]} << 24 | uint32_t{f[at + 1]} << 16 | uint32_t{f[at + 2]} << 8 |
                 f[at + 3])
              : (uint32_t{f[at + 3]} << 24 | uint32_t{f[at + 2]} << 16 | uint32_t{f[at + 1]} << 8 |
                 f[at]);
}

uint16_t Get16(const Bytes& f, size_t at, bool bBig) {
  return static_cast<uint16_t>(bBig ? (f[at] << 8 | f[at + 1]) : (f[at + 1] << 8 | f[at]));
}

void Put32(Bytes& f, size_t at, uint32_t v, bool bBig) {
  for (int i = 0; i < 4; ++i) f[at + (bBig ? i : 3 - i)] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// The file moved behind nPadding bytes, every offset in it moved too: the header's,
// those of values outside their entries, and the strip offsets themselves.
Bytes MoveBehindPadding(const Bytes& original, uint32_t nPadding) {
  bool bBig = original[0] == 'M';
  Bytes f = original;
  uint32_t nDirectory = Get32(f, 4, bBig);
  uint16_t wEntries = Get16(f, nDirectory, bBig);
  for (uint16_t i = 0; i < wEntries; ++i) {
    size_t e = nDirectory + 2 + 12u * i;
    uint16_t wTag = Get16(f, e, bBig), wType = Get16(f, e + 2, bBig);
    uint32_t nCount = Get32(f, e + 4, bBig);
    int16_t nStatus;
    uint64_t nTotal = uint64_t{static_cast<uint32_t>(
                          CTIFF::FieldTypeSize(static_cast<int16_t>(wType), &nStatus))} *
                      nCount;
    size_t nValues = nTotal <= 4 ? e + 8 : Get32(f, e + 8, bBig);
    if (wTag == 273) {
      EXPECT_EQ(wType, 4) << "libtiff writes LONG strip offsets";
      for (uint32_t s = 0; s < nCount; ++s)
        Put32(f, nValues + 4 * s, Get32(f, nValues + 4 * s, bBig) + nPadding, bBig);
    }
    if (nTotal > 4) Put32(f, e + 8, Get32(f, e + 8, bBig) + nPadding, bBig);
  }
  Put32(f, 4, nDirectory + nPadding, bBig);
  f.insert(f.begin(), nPadding, 0x5A);
  return f;
}

TEST(WrittenFiles, HeaderAfterPaddingBytes) {
  for (bool bBig : {false, true}) {
    LibtiffImage image = MakeImage(kLayouts[3], 30, 40);
    image.bBigEndian = bBig;
    image.nRowsPerStrip = 8;
    image.wCompression = COMPRESSION_LZW;
    TempFile original({});
    tifftest::WriteWithLibtiff(original.Path(), image);
    for (uint32_t nPadding : {2u, 128u}) {
      TempFile padded(MoveBehindPadding(tifftest::ReadWholeFile(original.Path()), nPadding));
      ExpectSamePixels(padded.Path(), original.Path());
    }
  }
}

TEST(WrittenFiles, ShortStripOffsetsAndByteCounts) {
  // The same strips as libtiff wrote them, in a file with SHORT offsets and counts;
  // libtiff reads that file too.
  for (bool bBig : {false, true}) {
    LibtiffImage image = MakeImage(kLayouts[0], 25, 30);
    image.bBigEndian = bBig;
    image.nRowsPerStrip = 7;
    image.wCompression = COMPRESSION_LZW;
    TempFile written({});
    tifftest::WriteWithLibtiff(written.Path(), image);
    TIFF* tif = TIFFOpen(written.Path().c_str(), "r");
    ASSERT_NE(tif, nullptr);
    tifftest::TiffBuilder b(bBig);
    std::vector<uint16_t> offsets, counts;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
      Bytes raw(static_cast<size_t>(TIFFRawStripSize(tif, s)));
      TIFFReadRawStrip(tif, s, raw.data(), static_cast<tmsize_t>(raw.size()));
      offsets.push_back(static_cast<uint16_t>(b.AddData(raw)));
      counts.push_back(static_cast<uint16_t>(raw.size()));
    }
    TIFFClose(tif);
    b.Shorts(256, {25});
    b.Shorts(257, {30});
    b.Shorts(258, {8});
    b.Shorts(259, {COMPRESSION_LZW});
    b.Shorts(262, {PHOTOMETRIC_PALETTE});
    b.Shorts(273, offsets);
    b.Shorts(277, {1});
    b.Shorts(278, {7});
    b.Shorts(279, counts);
    b.Shorts(320, image.colorMap);
    TempFile shorts(b.Build());
    ExpectSamePixels(shorts.Path(), shorts.Path());
  }
}

}  // namespace
