#include "tiff_test_support.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace tifftest {

TiffBuilder::TiffBuilder(bool bBigEndian, size_t nPadding)
    : m_bBigEndian(bBigEndian), m_nPadding(nPadding) {}

Bytes TiffBuilder::Short(uint16_t w) const {
  return m_bBigEndian ? Bytes{static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)}
                      : Bytes{static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)};
}

Bytes TiffBuilder::Long(uint32_t l) const {
  Bytes high = Short(static_cast<uint16_t>(l >> 16));
  Bytes low = Short(static_cast<uint16_t>(l));
  Bytes out = m_bBigEndian ? high : low;
  const Bytes& second = m_bBigEndian ? low : high;
  out.insert(out.end(), second.begin(), second.end());
  return out;
}

uint32_t TiffBuilder::AddData(const Bytes& data) {
  uint32_t nOffset = static_cast<uint32_t>(m_nPadding + 8 + m_data.size());
  m_data.insert(m_data.end(), data.begin(), data.end());
  if (m_data.size() % 2 != 0) m_data.push_back(0);  // keep offsets even
  return nOffset;
}

void TiffBuilder::Shorts(uint16_t wTag, const std::vector<uint16_t>& values) {
  Bytes value;
  for (uint16_t w : values) {
    Bytes b = Short(w);
    value.insert(value.end(), b.begin(), b.end());
  }
  Raw(wTag, 3, static_cast<uint32_t>(values.size()), value);
}

void TiffBuilder::Longs(uint16_t wTag, const std::vector<uint32_t>& values) {
  Bytes value;
  for (uint32_t l : values) {
    Bytes b = Long(l);
    value.insert(value.end(), b.begin(), b.end());
  }
  Raw(wTag, 4, static_cast<uint32_t>(values.size()), value);
}

void TiffBuilder::Raw(uint16_t wTag, uint16_t wType, uint32_t nCount, const Bytes& value) {
  m_entries.push_back({wTag, wType, nCount, value, 0});
}

void TiffBuilder::Entry(uint16_t wTag, uint16_t wType, uint32_t nCount, uint32_t nValueOrOffset) {
  m_entries.push_back({wTag, wType, nCount, {}, nValueOrOffset});
}

void TiffBuilder::StripImage(uint32_t nWidth, uint32_t nHeight, uint16_t wSamples, uint16_t wBits,
                             uint16_t wPhotometric, uint32_t nRowsPerStrip,
                             const std::vector<Bytes>& strips, uint16_t wCompression) {
  std::vector<uint32_t> offsets, counts;
  for (const Bytes& strip : strips) {
    offsets.push_back(AddData(strip));
    counts.push_back(static_cast<uint32_t>(strip.size()));
  }
  Longs(256, {nWidth});
  Longs(257, {nHeight});
  Shorts(258, std::vector<uint16_t>(wSamples, wBits));
  Shorts(259, {wCompression});
  Shorts(262, {wPhotometric});
  Longs(273, offsets);
  Shorts(277, {wSamples});
  Longs(278, {nRowsPerStrip});
  Longs(279, counts);
}

Bytes TiffBuilder::Build() const {
  Bytes file(m_nPadding, 0xAB);
  Bytes mark = m_bBigEndian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
  file.insert(file.end(), mark.begin(), mark.end());
  Bytes magic = Short(42);
  file.insert(file.end(), magic.begin(), magic.end());
  Bytes body = m_data;
  // Values too long for their entries go after the data, then the directory.
  std::vector<uint32_t> fields;
  for (const DirEntry& e : m_entries) {
    if (e.value.empty()) {
      fields.push_back(e.nValueOrOffset);
    } else if (e.value.size() <= 4) {
      uint32_t nField = 0;
      std::memcpy(&nField, e.value.data(), e.value.size());
      fields.push_back(nField);
    } else {
      fields.push_back(static_cast<uint32_t>(m_nPadding + 8 + body.size()));
      body.insert(body.end(), e.value.begin(), e.value.end());
      if (body.size() % 2 != 0) body.push_back(0);
    }
  }
  uint32_t nDirectory = static_cast<uint32_t>(m_nPadding + 8 + body.size());
  Bytes ifd = Long(nDirectory);
  file.insert(file.end(), ifd.begin(), ifd.end());
  file.insert(file.end(), body.begin(), body.end());
  Bytes count = Short(static_cast<uint16_t>(m_entries.size()));
  file.insert(file.end(), count.begin(), count.end());
  for (size_t i = 0; i < m_entries.size(); ++i) {
    const DirEntry& e = m_entries[i];
    for (const Bytes& b : {Short(e.wTag), Short(e.wType), Long(e.nCount)})
      file.insert(file.end(), b.begin(), b.end());
    Bytes field(4, 0);
    if (e.value.empty() || e.value.size() > 4) {
      field = Long(fields[i]);
    } else {
      std::copy(e.value.begin(), e.value.end(), field.begin());
    }
    file.insert(file.end(), field.begin(), field.end());
  }
  Bytes next = Long(0);
  file.insert(file.end(), next.begin(), next.end());
  return file;
}

TempFile::TempFile(const Bytes& contents, const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tifftest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  m_dir = pattern;
  m_path = m_dir + "/" + name;
  std::ofstream(m_path, std::ios::binary)
      .write(reinterpret_cast<const char*>(contents.data()),
             static_cast<std::streamsize>(contents.size()));
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}

Decoded DecodeFile(const std::string& path) {
  Decoded d;
  d.pTIFF = std::make_unique<CTIFF>();
  d.pDIB = std::make_unique<CDIB>();
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
    ADD_FAILURE() << "cannot open " << path;
    return d;
  }
  d.nRead = d.pTIFF->Read(&file);
  if (d.nRead == 0) d.nConvert = d.pTIFF->ConvertToDIB(&file, d.pDIB.get());
  return d;
}

Decoded DecodeBytes(const Bytes& contents) {
  TempFile file(contents);
  return DecodeFile(file.Path());
}

Bytes PaddedRow(CDIB* pDIB, int nRow, bool bMatched) {
  HGLOBAL hBits = bMatched ? pDIB->m_hMatchedBits : pDIB->m_hBits;
  if (hBits == nullptr) return {};
  LPBITMAPINFOHEADER pInfo = pDIB->m_pInfo;
  size_t nStride = static_cast<size_t>(DIBRowBytes(pInfo->biBitCount, pInfo->biWidth));
  const BYTE* pBits = static_cast<const BYTE*>(GlobalLock(hBits));
  Bytes row(pBits + nStride * nRow, pBits + nStride * (nRow + 1));
  GlobalUnlock(hBits);
  return row;
}

std::vector<Bytes> DibRows(CDIB* pDIB, bool bMatched) {
  HGLOBAL hBits = bMatched ? pDIB->m_hMatchedBits : pDIB->m_hBits;
  if (hBits == nullptr) return {};
  LPBITMAPINFOHEADER pInfo = pDIB->m_pInfo;
  size_t nRowBytes = static_cast<size_t>(pInfo->biWidth) * pInfo->biBitCount / 8;
  int nHeight = std::abs(pInfo->biHeight);
  std::vector<Bytes> rows;
  for (int y = 0; y < nHeight; ++y) {
    Bytes row = PaddedRow(pDIB, y, bMatched);
    row.resize(nRowBytes);
    rows.push_back(row);
  }
  return rows;
}

void WriteWithLibtiff(const std::string& path, const LibtiffImage& image) {
  TIFF* tif = TIFFOpen(path.c_str(), image.bBigEndian ? "wb" : "wl");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.nWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.nHeight);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, image.wSamples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, image.wBits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, image.wPhotometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, image.wCompression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (image.wPredictor != 1) TIFFSetField(tif, TIFFTAG_PREDICTOR, image.wPredictor);
  if (image.wPhotometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  uint32_t nRowsPerStrip = image.nRowsPerStrip == 0 ? image.nHeight : image.nRowsPerStrip;
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, nRowsPerStrip);
  std::vector<uint16_t> map = image.colorMap;
  if (!map.empty()) {
    size_t n = map.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  if (!image.iccProfile.empty()) {
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(image.iccProfile.size()),
                 image.iccProfile.data());
  }
  size_t nRowBytes = (static_cast<size_t>(image.nWidth) * image.wSamples * image.wBits + 7) / 8;
  uint32_t nStrips = (image.nHeight + nRowsPerStrip - 1) / nRowsPerStrip;
  for (uint32_t s = 0; s < nStrips; ++s) {
    uint32_t nFirst = s * nRowsPerStrip;
    uint32_t nRows = std::min(nRowsPerStrip, image.nHeight - nFirst);
    Bytes strip(image.pixels.begin() + nFirst * nRowBytes,
                image.pixels.begin() + (nFirst + nRows) * nRowBytes);
    ASSERT_GE(TIFFWriteEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size())), 0);
  }
  TIFFClose(tif);
}

bool DecodeWithLibtiff(const std::string& path, LibtiffRaster* pRaster) {
  TIFFSetWarningHandler(nullptr);
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return false;
  LibtiffRaster& r = *pRaster;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &r.nWidth);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &r.nHeight);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &r.wSamples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &r.wBits);
  uint16_t *pRed = nullptr, *pGreen = nullptr, *pBlue = nullptr;
  if (TIFFGetField(tif, TIFFTAG_COLORMAP, &pRed, &pGreen, &pBlue)) {
    size_t n = size_t{1} << r.wBits;
    r.reds.assign(pRed, pRed + n);
    r.greens.assign(pGreen, pGreen + n);
    r.blues.assign(pBlue, pBlue + n);
  }
  // Without the tag the reader takes indices with a colour map, else grey or RGB.
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &r.wPhotometric))
    r.wPhotometric = !r.reds.empty() ? 3 : r.wSamples == 1 ? 1 : 2;
  tmsize_t nStripSize = TIFFStripSize(tif);
  Bytes all;
  for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
    Bytes strip(static_cast<size_t>(nStripSize));
    tmsize_t n = TIFFReadEncodedStrip(tif, s, strip.data(), nStripSize);
    if (n < 0) {
      TIFFClose(tif);
      return false;
    }
    all.insert(all.end(), strip.begin(), strip.begin() + n);
  }
  size_t nRowBytes = static_cast<size_t>(TIFFScanlineSize(tif));
  TIFFClose(tif);
  for (uint32_t y = 0; y < r.nHeight && (y + 1) * nRowBytes <= all.size(); ++y) {
    r.rows.emplace_back(all.begin() + y * nRowBytes, all.begin() + (y + 1) * nRowBytes);
  }
  return r.rows.size() == r.nHeight;
}

std::vector<Bytes> ExpectedRows(const LibtiffRaster& raster) {
  std::vector<Bytes> out;
  for (const Bytes& row : raster.rows) {
    Bytes converted;
    if (raster.wSamples == 1) {
      int nMax = (1 << raster.wBits) - 1;
      for (uint32_t x = 0; x < raster.nWidth; ++x) {
        size_t nBit = static_cast<size_t>(x) * raster.wBits;
        int v = (row[nBit / 8] >> (8 - raster.wBits - nBit % 8)) & nMax;
        if (raster.wPhotometric != 3) v = v * 255 / nMax;
        if (raster.wPhotometric == 0) v = 255 - v;
        converted.push_back(static_cast<uint8_t>(v));
      }
    } else if (raster.wSamples == 3) {
      for (uint32_t x = 0; x < raster.nWidth; ++x) {
        converted.insert(converted.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
      }
    } else {
      auto level = [](int ink, int black) {
        return static_cast<uint8_t>(255 - ink > black ? 255 - ink - black : 0);
      };
      for (uint32_t x = 0; x < raster.nWidth; ++x) {
        const uint8_t* p = &row[4 * x];
        converted.insert(converted.end(),
                         {level(p[2], p[3]), level(p[1], p[3]), level(p[0], p[3])});
      }
    }
    out.push_back(converted);
  }
  return out;
}

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DataDir() {
  const char* root = std::getenv("ZELVW_TEST_DATA");
  return root != nullptr ? std::string(root) + "/tiff" : std::string(ZELVW_TIFF_TEST_DATA);
}

std::vector<std::string> FilesUnder(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace tifftest
