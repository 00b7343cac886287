// CTIFF: strips and their conversion into bitmap rows.
//
// Rows are written top row first, one strip after the other, each strip giving at
// most RowsPerStrip rows and no row going past the image: the output block is exactly
// the bitmap's pixel array. Indexed images (one sample of 1, 2, 4 or 8 bits) become
// one byte a pixel; grey ones get values the bitmap's grey table shows as they are
// meant (packed values scaled to 0..255, WhiteIsZero inverted), palette ones keep
// their indices for the colour map. RGB and CMYK become blue, green, red. Horizontal
// differencing is undone for every layout it is defined for, CMYK included.
//
// Layouts that would only show noise are refused before anything is converted, and
// every error that a conversion raises ends in a non-zero result.
#include "tiff/Tiff.h"

#include "bitmap/Dib.h"
#include "tiff/LockedGlobal.h"
#include "tiff/TiffFile.h"
#include "tiff/TiffMatcher.h"
#include "viewer/ImgVuError.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int16_t kCompressionNone = 1;
constexpr int16_t kCompressionCcitt1D = 2;
constexpr int16_t kCompressionLzw = 5;
constexpr int16_t kCompressionPackBits = static_cast<int16_t>(32773);
constexpr int32_t kRefusedCompressionId = 0x10017;
constexpr int32_t kRefusedLayoutId = 0x10018;
constexpr int16_t kRefused = -1;
constexpr int16_t kOutOfMemory = -108;
constexpr int kConversionFailed = 20;

constexpr int16_t kWhiteIsZero = 0;
constexpr int16_t kPalette = 3;
constexpr int16_t kSeparated = 5;
constexpr int16_t kHorizontalDifferencing = 2;

enum class Layout { kIndexed, kRgb, kCmyk };

// The layout of the image, or a refusal raised for one it does not convert.
Layout CheckLayout(const CTIFF& tiff) {
  int nBits = tiff.m_wBitsPerSample;
  int nSamples = tiff.m_wSamplesPerPixel;
  BOOL bBitsOk = nBits == 1 || nBits == 2 || nBits == 4 || nBits == 8;
  BOOL bRefused = tiff.m_lImageWidth < 0 || tiff.m_lImageLength < 0 || !bBitsOk ||
                  tiff.m_wSampleFormat != 1 || tiff.m_wFillOrder == 2 || tiff.m_bTiled ||
                  (nSamples > 1 && tiff.m_wPlanarConfig == 2);
  if (!bRefused) {
    if (nSamples == 1 && (nBits == 8 || tiff.m_wPredictor != kHorizontalDifferencing)) return Layout::kIndexed;
    if (nSamples == 3 && nBits == 8) return Layout::kRgb;
    if (nSamples == 4 && nBits == 8 && tiff.m_wPhotometric == kSeparated) return Layout::kCmyk;
  }
  RaiseImgVuError(kRefused, kRefusedLayoutId);
}

// What the strip loop writes to and how: the output rows, the matched rows at the
// same offsets, and the rows still to come.
struct RowSink {
  BYTE* pOut;
  CTiffMatcher* pMatcher;
  size_t nStride;         // bytes from one bitmap row to the next
  size_t nWidth;          // pixels a row
  ULONGLONG nRowsLeft;    // rows of the image not yet written
  ULONGLONG nRowsPerStrip;
  size_t nNextRow = 0;

  BYTE* Row() const { return pOut + nNextRow * nStride; }
  BYTE* MatchedRow() const { return pMatcher->IsOn() ? pMatcher->Bits() + nNextRow * nStride : nullptr; }
  // Rows this strip may give, of those its data holds.
  ULONGLONG Rows(ULONGLONG nHeld) const { return std::min({nHeld, nRowsPerStrip, nRowsLeft}); }
  void Advance() {
    ++nNextRow;
    --nRowsLeft;
  }
};

// Gives each grey value of 1..8 bits its 0..255 level; palette indices stay.
struct IndexMap {
  BYTE ab[256];

  IndexMap(const CTIFF& tiff) {
    int nMax = (1 << tiff.m_wBitsPerSample) - 1;
    for (int v = 0; v <= 255; ++v) {
      int nLevel = v <= nMax ? v * 255 / nMax : v;
      if (tiff.m_wPhotometric == kPalette) nLevel = v;
      else if (tiff.m_wPhotometric == kWhiteIsZero) nLevel = 255 - nLevel;
      ab[v] = static_cast<BYTE>(nLevel);
    }
  }
};

// The matched block takes the row's indices unchanged: the colour map is matched.
void CopyToMatched(const RowSink& sink, size_t nBytes) {
  if (BYTE* pMatched = sink.MatchedRow()) std::memcpy(pMatched, sink.Row(), nBytes);
}

// 8-bit samples without differencing: each row copies a whole bitmap row (what lies
// beyond the image's row falls in the padding) and the source moves on by one image
// row, so a short strip still gives the rows its data reaches.
void ConvertIndexed8(RowSink& sink, const IndexMap& map, const BYTE* pData, size_t nLength) {
  ULONGLONG nRows = sink.Rows(std::numeric_limits<ULONGLONG>::max());
  for (ULONGLONG r = 0; r < nRows; ++r) {
    ULONGLONG nStart = r * sink.nWidth;
    size_t n = nStart < nLength ? static_cast<size_t>(std::min<ULONGLONG>(sink.nStride, nLength - nStart)) : 0;
    BYTE* pOut = sink.Row();
    for (size_t i = 0; i < n; ++i) pOut[i] = map.ab[pData[nStart + i]];
    CopyToMatched(sink, n);
    sink.Advance();
  }
}

// 8-bit samples with differencing: as many whole rows as the data holds.
void ConvertIndexedPredicted(RowSink& sink, const IndexMap& map, const BYTE* pData, size_t nLength) {
  if (sink.nWidth == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / sink.nWidth);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * sink.nWidth;
    BYTE* pOut = sink.Row();
    BYTE bValue = 0;
    for (size_t i = 0; i < sink.nWidth; ++i) {
      bValue = static_cast<BYTE>(bValue + pSource[i]);
      pOut[i] = map.ab[bValue];
    }
    CopyToMatched(sink, sink.nWidth);
    sink.Advance();
  }
}

// 1, 2 or 4 bits a sample, most significant first, each row starting on a byte:
// unpacked to one byte a pixel, as far as the data reaches.
void ConvertIndexedPacked(RowSink& sink, const IndexMap& map, int nBits, const BYTE* pData, size_t nLength) {
  ULONGLONG nSourceRow = (ULONGLONG{sink.nWidth} * nBits + 7) / 8;
  ULONGLONG nRows = sink.Rows(std::numeric_limits<ULONGLONG>::max());
  int nPerByte = 8 / nBits;
  BYTE bMask = static_cast<BYTE>((1 << nBits) - 1);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    ULONGLONG nStart = r * nSourceRow;
    ULONGLONG nHeld = nStart < nLength ? (nLength - nStart) * nPerByte : 0;
    size_t nPixels = static_cast<size_t>(std::min<ULONGLONG>(sink.nWidth, nHeld));
    BYTE* pOut = sink.Row();
    for (size_t i = 0; i < nPixels; ++i) {
      BYTE b = pData[nStart + i / nPerByte];
      int nShift = 8 - nBits * static_cast<int>(i % nPerByte + 1);
      pOut[i] = map.ab[(b >> nShift) & bMask];
    }
    CopyToMatched(sink, nPixels);
    sink.Advance();
  }
}

// Three bytes red, green, blue a pixel, differenced or not.
void ConvertRgb(RowSink& sink, BOOL bPredicted, const BYTE* pData, size_t nLength) {
  size_t nSourceRow = sink.nWidth * 3;
  if (nSourceRow == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / nSourceRow);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * nSourceRow;
    BYTE* pOut = sink.Row();
    BYTE* pMatched = sink.MatchedRow();
    BYTE abPixel[3] = {};
    for (size_t x = 0; x < sink.nWidth; ++x, pSource += 3, pOut += 3) {
      for (int c = 0; c < 3; ++c) {
        abPixel[c] = static_cast<BYTE>(bPredicted && x > 0 ? abPixel[c] + pSource[c] : pSource[c]);
      }
      pOut[0] = abPixel[2];
      pOut[1] = abPixel[1];
      pOut[2] = abPixel[0];
      if (pMatched != nullptr) {
        sink.pMatcher->MatchRgb(abPixel[0], abPixel[1], abPixel[2], pMatched);
        pMatched += 3;
      }
    }
    sink.Advance();
  }
}

BYTE InkToLevel(BYTE bInk, BYTE bBlack) { return 255 - bInk > bBlack ? static_cast<BYTE>(255 - bInk - bBlack) : 0; }

// Four bytes cyan, magenta, yellow, black a pixel, differenced or not.
void ConvertCmyk(RowSink& sink, BOOL bPredicted, const BYTE* pData, size_t nLength) {
  size_t nSourceRow = sink.nWidth * 4;
  if (nSourceRow == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / nSourceRow);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * nSourceRow;
    BYTE* pOut = sink.Row();
    BYTE* pMatched = sink.MatchedRow();
    BYTE abPixel[4] = {};
    for (size_t x = 0; x < sink.nWidth; ++x, pSource += 4, pOut += 3) {
      for (int c = 0; c < 4; ++c) {
        abPixel[c] = static_cast<BYTE>(bPredicted && x > 0 ? abPixel[c] + pSource[c] : pSource[c]);
      }
      pOut[0] = InkToLevel(abPixel[2], abPixel[3]);
      pOut[1] = InkToLevel(abPixel[1], abPixel[3]);
      pOut[2] = InkToLevel(abPixel[0], abPixel[3]);
      if (pMatched != nullptr) {
        sink.pMatcher->MatchCmyk(abPixel, pMatched);
        pMatched += 3;
      }
    }
    sink.Advance();
  }
}

struct Conversion {
  Layout layout;
  BOOL bPredicted;
  IndexMap map;
};

void ConvertStrip(const CTIFF& tiff, const Conversion& conv, RowSink& sink, const BYTE* pData, size_t nLength) {
  switch (conv.layout) {
    case Layout::kRgb:
      ConvertRgb(sink, conv.bPredicted, pData, nLength);
      break;
    case Layout::kCmyk:
      ConvertCmyk(sink, conv.bPredicted, pData, nLength);
      break;
    case Layout::kIndexed:
      if (tiff.m_wBitsPerSample < 8) ConvertIndexedPacked(sink, conv.map, tiff.m_wBitsPerSample, pData, nLength);
      else if (conv.bPredicted) ConvertIndexedPredicted(sink, conv.map, pData, nLength);
      else ConvertIndexed8(sink, conv.map, pData, nLength);
      break;
  }
}

// The result for an error that ended a conversion: its own code when it has one.
int FailureCode(CException* e) {
  auto* pError = dynamic_cast<CImgVuError*>(e);
  if (pError != nullptr && pError->m_nError != 0) return pError->m_nError;
  return kConversionFailed;
}

}  // namespace

std::unique_ptr<BYTE[]> CTIFF::ReadStrip(CFile* pFile, int32_t lStrip, DWORD* pdwLength) {
  *pdwLength = 0;
  if (lStrip < 0 || lStrip >= m_lStripCount || lStrip >= m_lStripByteCountCount) return nullptr;
  if (m_plStripOffsets == nullptr || m_plStripByteCounts == nullptr) return nullptr;
  if (m_wCompression == kCompressionCcitt1D || m_wCompression == kCompressionPackBits) {
    RaiseImgVuError(kRefused, kRefusedCompressionId);
  }
  // A strip is cut at the end of the file, so a false byte count cannot make the
  // reader allocate more than the file holds.
  ULONGLONG nOffset = static_cast<uint32_t>(m_plStripOffsets[lStrip]);
  ULONGLONG nLength = pFile->GetLength();
  ULONGLONG nCount = nOffset < nLength ? std::min<ULONGLONG>(static_cast<uint32_t>(m_plStripByteCounts[lStrip]),
                                                              nLength - nOffset)
                                       : 0;
  std::unique_ptr<BYTE[]> pData(CheckPointer(new (std::nothrow) BYTE[std::max<ULONGLONG>(nCount, 1)]));
  try {
    ReadFileBytes(pFile, nOffset, pData.get(), nCount);
  } catch (CFileException* e) {
    e->Delete();
    return nullptr;
  }
  DWORD dwCount = static_cast<DWORD>(nCount);
  if (m_wCompression == kCompressionLzw) return DecodeLzwStrip(pData.get(), dwCount, pdwLength);
  *pdwLength = dwCount;
  return pData;
}

int CTIFF::ConvertToDIB(CFile* pFile, CDIB* pDIB) {
  try {
    Layout layout = CheckLayout(*this);
    if (!pDIB->Create(m_lImageWidth, m_lImageLength)) RaiseImgVuError(kOutOfMemory, 0);
    int nBitsPerPixel = m_wSamplesPerPixel * m_wBitsPerSample;
    if (layout != Layout::kIndexed) pDIB->SetBitCount(24);

    LPBITMAPINFOHEADER pInfo = pDIB->m_pInfo;
    ULONGLONG nStride = DIBRowBytes(pInfo->biBitCount, pInfo->biWidth);
    ULONGLONG nRows = static_cast<uint32_t>(m_lImageLength);
    ULONGLONG nBlockBytes = nStride * nRows;
    CLockedGlobal output;
    if (!output.Allocate(nBlockBytes, TRUE)) RaiseImgVuError(kOutOfMemory, 0);

    CTiffMatcher matcher;
    matcher.Begin(this, nBlockBytes, layout == Layout::kIndexed && nBitsPerPixel >= 2);

    Conversion conv = {layout, m_wPredictor == kHorizontalDifferencing, IndexMap(*this)};
    RowSink sink = {output.Bits(), &matcher, static_cast<size_t>(nStride), static_cast<size_t>(m_lImageWidth),
                    nRows, std::min<ULONGLONG>(m_lRowsPerStrip, nRows)};
    int32_t lStrips = std::min(m_lStripCount, m_lStripByteCountCount);
    for (int32_t j = 0; j < lStrips && sink.nRowsLeft > 0; ++j) {
      DWORD dwLength = 0;
      std::unique_ptr<BYTE[]> pData = ReadStrip(pFile, j, &dwLength);
      if (!pData) break;
      ConvertStrip(*this, conv, sink, pData.get(), dwLength);
    }

    matcher.End(pDIB);
    if (pDIB->m_hBits != nullptr) {
      GlobalUnlock(pDIB->m_hBits);
      GlobalFree(pDIB->m_hBits);
    }
    pDIB->m_hBits = output.Detach();
    return 0;
  } catch (CException* e) {
    int nResult = FailureCode(e);
    e->Delete();
    return nResult;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}
