// CTIFF: the first image file directory, read entry by entry and interpreted
// through a table of tag handlers.
//
// A directory may claim more entries than the file holds and an entry more values
// than the file holds: the entries are bounded by the file's length, and an entry
// whose values could not fit in the whole file is skipped like an unknown tag. A
// value buffer is always at least 8 bytes and zero beyond what was read, so a
// handler that takes a 32-bit value of a 1-byte entry reads that byte, not memory
// past the buffer.
#include "tiff/Tiff.h"

#include "viewer/ImgVuError.h"
#include "viewer/ModuleState.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int16_t kBigEndian = 0x4D4D;
constexpr int16_t kTypeShort = 3;
constexpr int16_t kTypeLong = 4;
constexpr ULONGLONG kEntryBytes = 12;
constexpr ULONGLONG kInlineBytes = 4;  // values up to this size lie in the entry itself
constexpr size_t kMinValueBuffer = 8;
constexpr uint16_t kIccProfileTag = 34675;
constexpr DWORD kMaxColorMapEntries = 256;

// The values of one entry as read, native order.
class TagValue {
 public:
  TagValue(const BYTE* pData, size_t nBytes, ULONGLONG nTotal, int nTypeSize, DWORD nCount)
      : m_pData(pData),
        m_nBytes(nBytes),
        m_nTotal(nTotal),
        m_nTypeSize(nTypeSize),
        m_nCount(nCount) {}

  DWORD Count() const { return m_nCount; }
  const BYTE* Data() const { return m_pData; }
  ULONGLONG Total() const { return m_nTotal; }

  // The i-th 16-bit (32-bit) unit of the buffer; 0 beyond it.
  uint16_t Short(ULONGLONG i) const {
    uint16_t w = 0;
    if (i < m_nBytes / 2) std::memcpy(&w, m_pData + 2 * i, 2);
    return w;
  }
  uint32_t Long(ULONGLONG i) const {
    uint32_t l = 0;
    if (i < m_nBytes / 4) std::memcpy(&l, m_pData + 4 * i, 4);
    return l;
  }
  // A 2-byte value as unsigned 16 bits, anything else as its first 32-bit value.
  uint32_t ShortOrLong() const { return m_nTotal == 2 ? Short(0) : Long(0); }
  int8_t FirstByte() const { return static_cast<int8_t>(m_pData[0]); }
  // Value i of an offsets or counts array: 16-bit values widened, others 32-bit.
  uint32_t Element(ULONGLONG i) const { return m_nTypeSize == 2 ? Short(i) : Long(i); }

 private:
  const BYTE* m_pData;
  size_t m_nBytes;
  ULONGLONG m_nTotal;
  int m_nTypeSize;
  DWORD m_nCount;
};

// A new array of the entry's values widened to 32 bits; null when it cannot be had.
int32_t* NewElementArray(const TagValue& value) {
  int32_t* pArray = new (std::nothrow) int32_t[value.Count()];
  CheckPointer(pArray);
  for (DWORD i = 0; i < value.Count(); ++i) pArray[i] = static_cast<int32_t>(value.Element(i));
  return pArray;
}

void SetStripOffsets(CTIFF& tiff, const TagValue& value) {
  int32_t* pOffsets = NewElementArray(value);
  delete[] tiff.m_plStripOffsets;
  tiff.m_plStripOffsets = pOffsets;
  tiff.m_lStripCount = static_cast<int32_t>(value.Count());
}

void SetStripByteCounts(CTIFF& tiff, const TagValue& value) {
  int32_t* pCounts = NewElementArray(value);
  delete[] tiff.m_plStripByteCounts;
  tiff.m_plStripByteCounts = pCounts;
  tiff.m_lStripByteCountCount = static_cast<int32_t>(value.Count());
}

// N = count / 3 entries (at most 256): the first N values are the reds, the next N
// the greens, the next N the blues.
void SetColorMap(CTIFF& tiff, const TagValue& value) {
  DWORD nEntries = std::min(value.Count() / 3, kMaxColorMapEntries);
  ColorMapEntry* pMap = nullptr;
  if (nEntries > 0) {
    pMap = CheckPointer(new (std::nothrow) ColorMapEntry[nEntries]);
    for (DWORD i = 0; i < nEntries; ++i) {
      pMap[i].red = value.Short(i);
      pMap[i].green = value.Short(nEntries + i);
      pMap[i].blue = value.Short(2 * nEntries + i);
    }
  }
  delete[] tiff.m_pColorMap;
  tiff.m_pColorMap = pMap;
  tiff.m_nColorMapEntries = static_cast<int>(nEntries);
}

void SaveProfile(CTIFF& tiff, const TagValue& value) {
  try {
    tiff.SaveSourceProfile(value.Data(), static_cast<DWORD>(value.Total()));
  } catch (CException* e) {
    PluginMessageBox("Failed in Reading ICC profile");
    e->Delete();
  }
}

using TagHandler = void (*)(CTIFF& tiff, const TagValue& value);

struct TagEntry {
  uint16_t wTag;
  TagHandler pfnHandler;
};

// Numerators of resolutions keep their low 16 bits, taken as signed; the denominator
// is not used.
float Resolution(const TagValue& v) { return static_cast<float>(static_cast<int16_t>(v.Short(0))); }

const TagEntry kTagTable[] = {
    {256,
     [](CTIFF& t, const TagValue& v) { t.m_lImageWidth = static_cast<int32_t>(v.ShortOrLong()); }},
    {257,
     [](CTIFF& t, const TagValue& v) { t.m_lImageLength = static_cast<int32_t>(v.ShortOrLong()); }},
    {258,
     [](CTIFF& t, const TagValue& v) { t.m_wBitsPerSample = static_cast<int16_t>(v.Short(0)); }},
    {259, [](CTIFF& t, const TagValue& v) { t.m_wCompression = static_cast<int16_t>(v.Short(0)); }},
    {262,
     [](CTIFF& t, const TagValue& v) {
       t.m_wPhotometric = static_cast<int16_t>(v.Short(0));
       t.m_bPhotometricGiven = TRUE;
     }},
    {263, [](CTIFF& t, const TagValue& v) { t.m_wThreshholding = v.FirstByte(); }},
    {264, [](CTIFF& t, const TagValue& v) { t.m_wCellWidth = v.FirstByte(); }},
    {265, [](CTIFF& t, const TagValue& v) { t.m_wCellLength = v.FirstByte(); }},
    {266, [](CTIFF& t, const TagValue& v) { t.m_wFillOrder = v.FirstByte(); }},
    {273, SetStripOffsets},
    {274, [](CTIFF& t, const TagValue& v) { t.m_wOrientation = static_cast<int16_t>(v.Short(0)); }},
    {277,
     [](CTIFF& t, const TagValue& v) { t.m_wSamplesPerPixel = static_cast<int16_t>(v.Short(0)); }},
    {278, [](CTIFF& t, const TagValue& v) { t.m_lRowsPerStrip = v.ShortOrLong(); }},
    {279, SetStripByteCounts},
    {280,
     [](CTIFF& t, const TagValue& v) { t.m_wMinSampleValue = static_cast<int16_t>(v.Short(0)); }},
    {281,
     [](CTIFF& t, const TagValue& v) { t.m_wMaxSampleValue = static_cast<int16_t>(v.Short(0)); }},
    {282, [](CTIFF& t, const TagValue& v) { t.m_fXResolution = Resolution(v); }},
    {283, [](CTIFF& t, const TagValue& v) { t.m_fYResolution = Resolution(v); }},
    {284,
     [](CTIFF& t, const TagValue& v) { t.m_wPlanarConfig = static_cast<int16_t>(v.Short(0)); }},
    {290,
     [](CTIFF& t, const TagValue& v) { t.m_wGrayResponseUnit = static_cast<int16_t>(v.Short(0)); }},
    {296,
     [](CTIFF& t, const TagValue& v) { t.m_wResolutionUnit = static_cast<int16_t>(v.Short(0)); }},
    {297, [](CTIFF& t, const TagValue& v) { t.m_wPageNumber = static_cast<int16_t>(v.Short(0)); }},
    {317, [](CTIFF& t, const TagValue& v) { t.m_wPredictor = static_cast<int16_t>(v.Short(0)); }},
    {320, SetColorMap},
    // Tiles are not converted; their presence alone makes the conversion refuse.
    {322, [](CTIFF& t, const TagValue&) { t.m_bTiled = TRUE; }},
    {323, [](CTIFF& t, const TagValue&) { t.m_bTiled = TRUE; }},
    {324, [](CTIFF& t, const TagValue&) { t.m_bTiled = TRUE; }},
    {325, [](CTIFF& t, const TagValue&) { t.m_bTiled = TRUE; }},
    {339,
     [](CTIFF& t, const TagValue& v) { t.m_wSampleFormat = static_cast<int16_t>(v.Short(0)); }},
    {kIccProfileTag, SaveProfile},
};

// The handler of a tag, or null for a tag that is read and ignored. The profile tag is
// ignored while the colour engine is not bound.
TagHandler FindHandler(uint16_t wTag) {
  if (wTag == kIccProfileTag && !g_bEngineReady) return nullptr;
  for (const TagEntry& entry : kTagTable) {
    if (entry.wTag == wTag) return entry.pfnHandler;
  }
  return nullptr;
}

}  // namespace

void CTIFF::ReadFirstDirectory(CFile* pFile) {
  if (m_lIFDOffset == 0) return;
  ULONGLONG nDirectory = static_cast<uint32_t>(m_lIFDOffset);
  uint16_t wEntries = 0;
  ReadValues(pFile, nDirectory, 1, kTypeShort, &wEntries);
  // Entries the file cannot hold in full are not read.
  ULONGLONG nFirst = nDirectory + 2;
  ULONGLONG nLength = pFile->GetLength();
  ULONGLONG nFit = nFirst < nLength ? (nLength - nFirst) / kEntryBytes : 0;
  ULONGLONG nCount = std::min<ULONGLONG>(wEntries, nFit);
  for (ULONGLONG i = 0; i < nCount; ++i) {
    ULONGLONG nEntryPos = nFirst + kEntryBytes * i;
    TiffDirEntry entry;
    // An entry of a field type the reader does not know is skipped, as TIFF 6.0 asks
    // of readers (files carry such types, 13 for sub-directories among them).
    if (ReadDirEntry(pFile, nEntryPos, &entry) == 0) ApplyDirEntry(pFile, nEntryPos, &entry);
  }
  // Only the first image is shown: the offset of the next directory is not read.
}

int16_t CTIFF::ReadDirEntry(CFile* pFile, ULONGLONG nEntryPos, TiffDirEntry* pEntry) {
  uint16_t awTagType[2] = {};
  int32_t alCountValue[2] = {};
  ReadValues(pFile, nEntryPos, 2, kTypeShort, awTagType);
  ReadValues(pFile, nEntryPos + 4, 2, kTypeLong, alCountValue);
  pEntry->wTag = awTagType[0];
  pEntry->wType = static_cast<int16_t>(awTagType[1]);
  pEntry->lCount = alCountValue[0];
  pEntry->lValueOffset = alCountValue[1];
  if (m_wByteOrder == kBigEndian) {
    int16_t nStatus = 0;
    FieldTypeSize(pEntry->wType, &nStatus);
    if (nStatus != 0) return -1;
  }
  return 0;
}

int16_t CTIFF::ApplyDirEntry(CFile* pFile, ULONGLONG nEntryPos, const TiffDirEntry* pEntry) {
  int16_t nStatus = 0;
  int nSize = FieldTypeSize(pEntry->wType, &nStatus);
  if (nStatus != 0) return -1;
  DWORD nCount = static_cast<DWORD>(pEntry->lCount);
  TagHandler pfnHandler = FindHandler(pEntry->wTag);
  // Nothing to store: an ignored tag, or no values (the member keeps its value).
  if (pfnHandler == nullptr || nCount == 0) return 0;

  ULONGLONG nTotal = static_cast<ULONGLONG>(nSize) * nCount;
  ULONGLONG nWhere =
      nTotal <= kInlineBytes ? nEntryPos + 8 : static_cast<uint32_t>(pEntry->lValueOffset);
  if (nTotal > kInlineBytes && nTotal > pFile->GetLength()) return 0;

  size_t nBuffer = std::max<size_t>(static_cast<size_t>(nTotal), kMinValueBuffer);
  std::unique_ptr<BYTE[]> pBuffer(CheckPointer(new (std::nothrow) BYTE[nBuffer]()));
  nStatus = ReadValues(pFile, nWhere, nCount, pEntry->wType, pBuffer.get());
  if (nStatus != 0) return nStatus;
  pfnHandler(*this, TagValue(pBuffer.get(), nBuffer, nTotal, nSize, nCount));
  return 0;
}
