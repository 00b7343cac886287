// CTIFF: construction, the header, and the value reader every directory step uses.
//
// The reader never trusts a size or offset from the file: positions are unsigned
// 64-bit, what lies past the end of the file reads as zero, and buffers are sized
// by the reader before anything is read into them.
#include "tiff/Tiff.h"

#include "tiff/TiffFile.h"
#include "viewer/ImgVuError.h"

#include <algorithm>
#include <cstring>
#include <new>

IMPLEMENT_SERIAL(CTIFF, CObject, 0)

namespace {

constexpr int16_t kLittleEndian = 0x4949;  // "II"
constexpr int16_t kBigEndian = 0x4D4D;     // "MM"
constexpr int16_t kTiffMagic = 42;
constexpr int32_t kBadMagicId = 0x10013;
constexpr int kReadFailed = 20;

constexpr int16_t kTypeShort = 3;
constexpr int16_t kTypeLong = 4;
constexpr int16_t kTypeRational = 5;

// The header search reads this many bytes at a time and looks at each 2-byte step.
constexpr UINT kHeaderScanChunk = 4096;

}  // namespace

CTIFF::CTIFF()
    : m_wByteOrder(0),
      m_lHeaderPos(0),
      m_lIFDOffset(0),
      m_wMagic(0),
      m_lImageLength(0),
      m_lImageWidth(0),
      m_wCellWidth(0),
      m_wCellLength(0),
      m_wFillOrder(1),
      m_wMinSampleValue(0),
      m_wMaxSampleValue(0),
      m_wOrientation(0),
      m_wResolutionUnit(2),
      m_fXResolution(0),
      m_fYResolution(0),
      m_lRowsPerStrip(0xFFFFFFFFu),
      m_plStripOffsets(nullptr),
      m_lStripCount(0),
      m_plStripByteCounts(nullptr),
      m_wPhotometric(0),
      m_wCompression(1),
      m_wSamplesPerPixel(1),
      m_wBitsPerSample(8),
      m_wGrayResponseUnit(2),
      m_wPlanarConfig(1),
      m_wThreshholding(1),
      m_wPageNumber(0),
      m_wPredictor(1),
      m_lStripByteCountCount(0),
      m_wSampleFormat(1),
      m_bTiled(FALSE),
      m_bPhotometricGiven(FALSE) {}

CTIFF::~CTIFF() {
  delete[] m_plStripByteCounts;
  delete[] m_pColorMap;
  delete[] m_plStripOffsets;
}

int CTIFF::Read(CFile* pFile) {
  try {
    ReadHeader(pFile);
    ReadFirstDirectory(pFile);
    return 0;
  } catch (CException* e) {
    // The caller opened the file and would close it too; Abort never raises.
    pFile->Abort();
    e->Delete();
  } catch (const std::bad_alloc&) {
    pFile->Abort();
  }
  return kReadFailed;
}

void CTIFF::ReadHeader(CFile* pFile) {
  // Any even number of bytes may precede the byte order mark.
  ULONGLONG nPos = pFile->GetPosition();
  BYTE abChunk[kHeaderScanChunk];
  BOOL bFound = FALSE;
  while (!bFound && nPos <= static_cast<ULONGLONG>(INT32_MAX)) {
    UINT nGot = pFile->Read(abChunk, sizeof abChunk);
    if (nGot < 2) break;
    for (UINT i = 0; i + 1 < nGot; i += 2) {
      std::memcpy(&m_wByteOrder, abChunk + i, 2);
      if (m_wByteOrder == kLittleEndian || m_wByteOrder == kBigEndian) {
        bFound = TRUE;
        break;
      }
      nPos += 2;
    }
    if (nGot % 2 != 0) break;  // an odd byte at the end of the file starts no mark
  }
  m_lHeaderPos = static_cast<int32_t>(std::min<ULONGLONG>(nPos, INT32_MAX));

  ULONGLONG nHeader = static_cast<ULONGLONG>(m_lHeaderPos);
  ReadValues(pFile, nHeader + 2, 1, kTypeShort, &m_wMagic);
  if (m_wMagic != kTiffMagic) RaiseImgVuError(kTiffMagic, kBadMagicId);
  ReadValues(pFile, nHeader + 4, 1, kTypeLong, &m_lIFDOffset);
}

int16_t CTIFF::ReadValues(CFile* pFile, ULONGLONG nOffset, DWORD nCount, int16_t wType,
                          void* pBuffer) {
  if (nCount == 0) return 0;
  int16_t nStatus = 0;
  int nSize = FieldTypeSize(wType, &nStatus);
  if (nStatus != 0) return -1;
  ULONGLONG nBytes = static_cast<ULONGLONG>(nSize) * nCount;
  ReadFileBytes(pFile, nOffset, pBuffer, nBytes);
  if (m_wByteOrder == kBigEndian) {
    if (wType == kTypeShort) SwapShorts(pBuffer, pBuffer, nBytes);
    if (wType == kTypeLong || wType == kTypeRational) SwapLongs(pBuffer, pBuffer, nBytes);
  }
  return 0;
}

int CTIFF::FieldTypeSize(int16_t wType, int16_t* pnStatus) {
  *pnStatus = 0;
  switch (wType) {
    case 1:  // BYTE
    case 2:  // ASCII
    case 6:  // SBYTE
    case 7:  // UNDEFINED
      return 1;
    case 3:  // SHORT
    case 8:  // SSHORT
      return 2;
    case 4:   // LONG
    case 9:   // SLONG
    case 11:  // FLOAT
      return 4;
    case 5:   // RATIONAL
    case 10:  // SRATIONAL
    case 12:  // DOUBLE
      return 8;
    default:
      *pnStatus = -1;
      return 1;
  }
}

void CTIFF::SwapShorts(const void* pSource, void* pDest, size_t nBytes) {
  std::memmove(pDest, pSource, nBytes);
  BYTE* p = static_cast<BYTE*>(pDest);
  for (size_t i = 0; i + 1 < nBytes; i += 2) std::swap(p[i], p[i + 1]);
}

void CTIFF::SwapLongs(const void* pSource, void* pDest, size_t nBytes) {
  std::memmove(pDest, pSource, nBytes);
  BYTE* p = static_cast<BYTE*>(pDest);
  for (size_t i = 0; i + 3 < nBytes; i += 4) {
    std::swap(p[i], p[i + 3]);
    std::swap(p[i + 1], p[i + 2]);
  }
}
