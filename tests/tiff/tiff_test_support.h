// Helpers of the TIFF reader's tests: TIFF files built byte by byte, files written
// and decoded by libtiff, running the reader over a file, the bitmap's rows, and a
// recorder of the messages shown.
#pragma once

#include <afx.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <platform/person.h>
#include <platform/testing.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/Dib.h"
#include "tests/support/message_recorder.h"
#include "tiff/Tiff.h"

namespace tifftest {

using Bytes = std::vector<uint8_t>;

// The messages shown while it lives.
using MessageRecorder = testsupport::ScopedMessageRecorder;

// A TIFF file assembled in memory: a header, data blocks and one directory whose
// entries are written in the order given. Values of more than 4 bytes are placed
// after the data; the directory comes last.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bBigEndian = false, size_t nPadding = 0);

  // Appends bytes to the file and returns their offset.
  uint32_t AddData(const Bytes& data);
  void Shorts(uint16_t wTag, const std::vector<uint16_t>& values);
  void Longs(uint16_t wTag, const std::vector<uint32_t>& values);
  // An entry with raw value bytes (already in the file's byte order).
  void Raw(uint16_t wTag, uint16_t wType, uint32_t nCount, const Bytes& value);
  // An entry written as given, value-or-offset field included.
  void Entry(uint16_t wTag, uint16_t wType, uint32_t nCount, uint32_t nValueOrOffset);

  // The common fields of a strip image: size, samples, one strip per data block.
  void StripImage(uint32_t nWidth, uint32_t nHeight, uint16_t wSamples, uint16_t wBits,
                  uint16_t wPhotometric, uint32_t nRowsPerStrip, const std::vector<Bytes>& strips,
                  uint16_t wCompression = 1);

  Bytes Build() const;
  // Encodes a 16-bit (32-bit) value in the file's byte order.
  Bytes Short(uint16_t w) const;
  Bytes Long(uint32_t l) const;

 private:
  struct DirEntry {
    uint16_t wTag;
    uint16_t wType;
    uint32_t nCount;
    Bytes value;  // empty: nValueOrOffset is the field
    uint32_t nValueOrOffset;
  };
  bool m_bBigEndian;
  size_t m_nPadding;
  Bytes m_data;  // everything after the 8-byte header
  std::vector<DirEntry> m_entries;
};

// A file on disk for the reader; removed with the object.
class TempFile {
 public:
  explicit TempFile(const Bytes& contents, const std::string& name = "image.tif");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return m_path; }

 private:
  std::string m_dir;
  std::string m_path;
};

// The reader and the bitmap after Read and (when it succeeded) ConvertToDIB.
struct Decoded {
  int nRead = -1;
  int nConvert = -1;
  std::unique_ptr<CTIFF> pTIFF;
  std::unique_ptr<CDIB> pDIB;

  bool Ok() const { return nRead == 0 && nConvert == 0; }
};

Decoded DecodeFile(const std::string& path);
Decoded DecodeBytes(const Bytes& contents);

// The pixel block's rows top row first, each without its padding (bMatched: the
// matched block). Empty when the block is absent.
std::vector<Bytes> DibRows(CDIB* pDIB, bool bMatched = false);
// One row with its padding.
Bytes PaddedRow(CDIB* pDIB, int nRow, bool bMatched = false);

// An image written with libtiff's writer.
struct LibtiffImage {
  uint32_t nWidth = 0;
  uint32_t nHeight = 0;
  uint16_t wSamples = 1;
  uint16_t wBits = 8;
  uint16_t wPhotometric = 1;
  uint16_t wCompression = 1;
  uint16_t wPredictor = 1;
  uint32_t nRowsPerStrip = 0;  // 0: the whole image in one strip
  bool bBigEndian = false;
  std::vector<uint16_t> colorMap;  // reds, greens, blues
  Bytes iccProfile;
  Bytes pixels;  // rows top-down, samples packed as TIFF stores them
};
void WriteWithLibtiff(const std::string& path, const LibtiffImage& image);

// libtiff's decode of the first image: samples as stored, predictor undone.
struct LibtiffRaster {
  uint32_t nWidth = 0;
  uint32_t nHeight = 0;
  uint16_t wSamples = 1;
  uint16_t wBits = 8;
  uint16_t wPhotometric = 1;
  std::vector<Bytes> rows;
  std::vector<uint16_t> reds, greens, blues;
};
bool DecodeWithLibtiff(const std::string& path, LibtiffRaster* pRaster);

// libtiff's raster as the reader shows it: one byte a pixel for one sample (grey
// levels scaled to 0..255, WhiteIsZero inverted, palette indices as they are), blue,
// green, red for RGB and CMYK.
std::vector<Bytes> ExpectedRows(const LibtiffRaster& raster);

Bytes ReadWholeFile(const std::string& path);
// The test data folder: $ZELVW_TEST_DATA/tiff.
std::string DataDir();
// Every file under the folder, sorted.
std::vector<std::string> FilesUnder(const std::string& dir);

// Blocks the reader does not clear come filled with 0xCD, so every byte it leaves
// unwritten shows.
class FilledBlocksTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::SetGlobalAllocFill(0xCD); }
  void TearDown() override { platform::testing::SetGlobalAllocFill(-1); }
};

}  // namespace tifftest
