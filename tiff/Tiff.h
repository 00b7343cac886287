// The TIFF reader: header, first image file directory and strips of a TIFF file,
// converted into the pixels of a CDIB, with the file's ICC profile saved for the
// colour engine and the pixels (or the colour map) matched through it.
//
// What it converts: one sample of 1, 2, 4 or 8 bits (grey or palette; packed samples
// unpacked to one index a pixel), three 8-bit samples (RGB) and four 8-bit samples
// with Photometric 5 (CMYK), in strips, uncompressed or LZW, with or without
// horizontal differencing. Every other layout, compression or photometric
// interpretation is refused by ConvertToDIB instead of being shown as noise. Rows
// come out top row first (the viewer inverts the height).
#pragma once

#include <afx.h>
#include <windows.h>

#include "bitmap/ColorMap.h"

#include <bit>
#include <cstdint>
#include <memory>

#include "viewer/ProfileLock.h"

class CDIB;

// Values are taken from the file by byte order mark and then used as native values
// of a little-endian host.
static_assert(std::endian::native == std::endian::little,
              "the reader assumes a little-endian host");

// A directory entry as held in memory.
struct TiffDirEntry {
  uint16_t wTag;
  int16_t wType;
  int32_t lCount;
  int32_t lValueOffset;
};

// The colour map (m_pColorMap, m_nColorMapEntries) comes from CColorMapSource.
class CTIFF : public CObject, public CColorMapSource {
  DECLARE_SERIAL(CTIFF)

 public:
  CTIFF();
  ~CTIFF() override;

  // Reads the header and the first directory of the open file: 0 on success, 20 on
  // failure (the file is then closed).
  int Read(CFile* pFile);
  // Decodes every strip of the first image into the bitmap, matched into its
  // m_hMatchedBits when the image carried a profile: 0 on success, otherwise the
  // error code of what failed (never 0). No exception leaves it.
  int ConvertToDIB(CFile* pFile, CDIB* pDIB);

  // Internal steps, public for the tests and the fuzz targets. ReadHeader raises for
  // a version other than 42. ReadDirEntry (in a big-endian file) and ApplyDirEntry
  // return -1 for an entry of unknown field type, which ReadFirstDirectory skips.
  void ReadHeader(CFile* pFile);
  void ReadFirstDirectory(CFile* pFile);
  int16_t ReadDirEntry(CFile* pFile, ULONGLONG nEntryPos, TiffDirEntry* pEntry);
  int16_t ApplyDirEntry(CFile* pFile, ULONGLONG nEntryPos, const TiffDirEntry* pEntry);
  // Reads nCount values of the field type at the file offset into pBuffer (room for
  // nCount values); bytes past the end of the file read as zero. -1 for an unknown type.
  int16_t ReadValues(CFile* pFile, ULONGLONG nOffset, DWORD nCount, int16_t wType, void* pBuffer);
  // The size in bytes of one value of the field type; *pnStatus is 0, or -1 for an
  // unknown type (whose size is then 1).
  static int FieldTypeSize(int16_t wType, int16_t* pnStatus);
  // Byte swaps of every 16-bit (32-bit) unit of nBytes bytes; in place when equal.
  static void SwapShorts(const void* pSource, void* pDest, size_t nBytes);
  static void SwapLongs(const void* pSource, void* pDest, size_t nBytes);

  // The bytes of strip lStrip, decoded: null when the strip does not exist, has no byte
  // count or cannot be read or decoded. Raises for every compression but none and LZW.
  std::unique_ptr<BYTE[]> ReadStrip(CFile* pFile, int32_t lStrip, DWORD* pdwLength);
  // The decoded bytes of an LZW strip, or null when it is corrupt.
  std::unique_ptr<BYTE[]> DecodeLzwStrip(const BYTE* pStrip, DWORD dwCount, DWORD* pdwDecoded);
  // Unpacks the strip's codes into the locked code list (room for nCapacity codes):
  // 0 on success with *plStatus the number of codes, -1 on failure with *plStatus -33
  // (the data ran out), -44 (a code that would define table entry 4096) or -55 (more
  // codes than room).
  int16_t UnpackLzwCodes(const BYTE* pStrip, WORD* pCodes, size_t nCapacity, DWORD dwCount,
                         int32_t* plStatus);
  // Bytes of decoded data a strip of this image can hold (Bound).
  ULONGLONG LzwBound() const;

  // Saves the tag-34675 profile into the Windows directory under the engine's name
  // for it and records the path; shows its own messages. Raises file errors.
  void SaveSourceProfile(const BYTE* pProfile, DWORD dwCount);

  int16_t m_wByteOrder;
  int32_t m_lHeaderPos;
  int32_t m_lIFDOffset;
  int16_t m_wMagic;
  int32_t m_lImageLength;
  int32_t m_lImageWidth;
  int16_t m_wCellWidth;
  int16_t m_wCellLength;
  int16_t m_wFillOrder;
  int16_t m_wMinSampleValue;
  int16_t m_wMaxSampleValue;
  int16_t m_wOrientation;
  int16_t m_wResolutionUnit;
  float m_fXResolution;
  float m_fYResolution;
  uint32_t m_lRowsPerStrip;
  int32_t* m_plStripOffsets;
  int32_t m_lStripCount;
  int32_t* m_plStripByteCounts;
  int16_t m_wPhotometric;
  int16_t m_wCompression;
  int16_t m_wSamplesPerPixel;
  int16_t m_wBitsPerSample;
  int16_t m_wGrayResponseUnit;
  int16_t m_wPlanarConfig;
  int16_t m_wThreshholding;
  int16_t m_wPageNumber;
  int16_t m_wPredictor;

  // Entries of m_plStripByteCounts (strips beyond it have no byte count).
  int32_t m_lStripByteCountCount;

  int16_t m_wSampleFormat;     // SampleFormat (339); 1 = unsigned integers
  BOOL m_bTiled;               // the file has tile tags (322..325)
  BOOL m_bPhotometricGiven;    // the file has PhotometricInterpretation (262)
  CString m_strSourceProfile;  // the profile file saved from this image, or empty
  CProfileLock m_lockProfile;  // from saving the profile to the session's begin
};
