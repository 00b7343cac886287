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
// Layouts that would only show noise, and images the view's memory budget cannot
// hold, are refused before anything is converted or allocated, and every error that
// a conversion raises ends in a non-zero result.
#include "tiff/Tiff.h"

#include "bitmap/Dib.h"
#include "bitmap/LockedGlobal.h"
#include "bitmap/ViewBudget.h"
#include "tiff/TiffFile.h"
#include "tiff/TiffMatcher.h"
#include "viewer/ImgVuError.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int16_t kCompressionNone = 1;
constexpr int16_t kCompressionLzw = 5;
constexpr int32_t kRefusedCompressionId = 0x10017;
constexpr int32_t kRefusedLayoutId = 0x10018;
constexpr int16_t kRefused = -1;
constexpr int16_t kOutOfMemory = -108;
constexpr int kConversionFailed = 20;

constexpr int16_t kWhiteIsZero = 0;
constexpr int16_t kBlackIsZero = 1;
constexpr int16_t kRgb = 2;
constexpr int16_t kPalette = 3;
constexpr int16_t kSeparated = 5;
constexpr int16_t kHorizontalDifferencing = 2;

enum class Layout { kIndexed, kRgb, kCmyk };

// The photometric interpretation, guessed from the samples when the file gives none:
// a colour map makes indices, one sample without one grey with black at 0, three
// samples RGB.
int16_t Photometric(const CTIFF& tiff) {
  if (tiff.m_bPhotometricGiven) return tiff.m_wPhotometric;
  if (tiff.m_wSamplesPerPixel == 1) return tiff.m_pColorMap != nullptr ? kPalette : kBlackIsZero;
  return tiff.m_wSamplesPerPixel == 3 ? kRgb : tiff.m_wPhotometric;
}

// The layout of the image, or a refusal raised for one it does not convert: other
// sample sizes and arrangements, and colour spaces (YCbCr, CIELab, masks) whose
// samples the conversion would show as noise.
Layout CheckLayout(const CTIFF& tiff) {
  int nBits = tiff.m_wBitsPerSample;
  int nSamples = tiff.m_wSamplesPerPixel;
  int16_t wPhotometric = Photometric(tiff);
  BOOL bBitsOk = nBits == 1 || nBits == 2 || nBits == 4 || nBits == 8;
  BOOL bRefused = tiff.m_lImageWidth < 0 || tiff.m_lImageLength < 0 || !bBitsOk ||
                  tiff.m_wSampleFormat != 1 || tiff.m_wFillOrder == 2 || tiff.m_bTiled ||
                  (nSamples > 1 && tiff.m_wPlanarConfig == 2);
  if (!bRefused) {
    BOOL bIndexed =
        wPhotometric == kWhiteIsZero || wPhotometric == kBlackIsZero || wPhotometric == kPalette;
    if (nSamples == 1 && bIndexed && (nBits == 8 || tiff.m_wPredictor != kHorizontalDifferencing))
      return Layout::kIndexed;
    if (nSamples == 3 && nBits == 8 && wPhotometric == kRgb) return Layout::kRgb;
    if (nSamples == 4 && nBits == 8 && wPhotometric == kSeparated) return Layout::kCmyk;
  }
  RaiseImgVuError(kRefused, kRefusedLayoutId);
}

// What the strip loop writes to and how: the output rows, the matched rows at the
// same offsets, and the rows still to come. The blocks are not zero-filled when
// allocated: every row is written whole, padding included, and the rows no strip
// gave are cleared at the end.
struct RowSink {
  BYTE* pOut;
  CTiffMatcher* pMatcher;
  size_t nStride;       // bytes from one bitmap row to the next
  size_t nWidth;        // pixels a row
  ULONGLONG nRowsLeft;  // rows of the image not yet written
  ULONGLONG nRowsPerStrip;
  size_t nNextRow = 0;

  BYTE* Row() const { return pOut + nNextRow * nStride; }
  BYTE* MatchedRow() const {
    return pMatcher->IsOn() ? pMatcher->Bits() + nNextRow * nStride : nullptr;
  }
  // Rows this strip may give, of those its data holds.
  ULONGLONG Rows(ULONGLONG nHeld) const { return std::min({nHeld, nRowsPerStrip, nRowsLeft}); }
  // Ends a row of indices of which nWritten bytes were written: the rest is zero, and
  // the matched block takes the same indices (its colour map is the one matched).
  void EndIndexRow(size_t nWritten) {
    std::memset(Row() + nWritten, 0, nStride - nWritten);
    if (BYTE* pMatched = MatchedRow()) std::memcpy(pMatched, Row(), nStride);
    Advance();
  }
  // Ends a row of blue, green, red pixels, in both blocks.
  void EndColorRow() {
    size_t nPixelBytes = nWidth * 3;
    std::memset(Row() + nPixelBytes, 0, nStride - nPixelBytes);
    if (BYTE* pMatched = MatchedRow())
      std::memset(pMatched + nPixelBytes, 0, nStride - nPixelBytes);
    Advance();
  }
  // Clears the rows that no strip gave.
  void ClearRest() const {
    size_t nBytes = static_cast<size_t>(nRowsLeft) * nStride;
    std::memset(Row(), 0, nBytes);
    if (BYTE* pMatched = MatchedRow()) std::memset(pMatched, 0, nBytes);
  }

 private:
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
    int16_t wPhotometric = Photometric(tiff);
    for (int v = 0; v <= 255; ++v) {
      int nLevel = v <= nMax ? v * 255 / nMax : v;
      if (wPhotometric == kPalette)
        nLevel = v;
      else if (wPhotometric == kWhiteIsZero)
        nLevel = 255 - nLevel;
      ab[v] = static_cast<BYTE>(nLevel);
    }
  }
};

// 8-bit samples without differencing: each row copies a whole bitmap row (what lies
// beyond the image's row falls in the padding) and the source moves on by one image
// row, so a short strip still gives the rows its data reaches.
void ConvertIndexed8(RowSink& sink, const IndexMap& map, const BYTE* pData, size_t nLength) {
  ULONGLONG nRows = sink.Rows(std::numeric_limits<ULONGLONG>::max());
  for (ULONGLONG r = 0; r < nRows; ++r) {
    ULONGLONG nStart = r * sink.nWidth;
    size_t n = nStart < nLength
                   ? static_cast<size_t>(std::min<ULONGLONG>(sink.nStride, nLength - nStart))
                   : 0;
    BYTE* pOut = sink.Row();
    for (size_t i = 0; i < n; ++i) pOut[i] = map.ab[pData[nStart + i]];
    sink.EndIndexRow(n);
  }
}

// 8-bit samples that were differenced: as many whole rows as the data holds, each
// of one image row.
void ConvertIndexedWholeRows(RowSink& sink, const IndexMap& map, const BYTE* pData,
                             size_t nLength) {
  if (sink.nWidth == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / sink.nWidth);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * sink.nWidth;
    BYTE* pOut = sink.Row();
    for (size_t i = 0; i < sink.nWidth; ++i) pOut[i] = map.ab[pSource[i]];
    sink.EndIndexRow(sink.nWidth);
  }
}

// 1, 2 or 4 bits a sample, most significant first, each row starting on a byte:
// unpacked to one byte a pixel, as far as the data reaches.
void ConvertIndexedPacked(RowSink& sink, const IndexMap& map, int nBits, const BYTE* pData,
                          size_t nLength) {
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
    sink.EndIndexRow(nPixels);
  }
}

// Three bytes red, green, blue a pixel.
void ConvertRgb(RowSink& sink, const BYTE* pData, size_t nLength) {
  size_t nSourceRow = sink.nWidth * 3;
  if (nSourceRow == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / nSourceRow);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * nSourceRow;
    BYTE* pOut = sink.Row();
    for (size_t i = 0; i < nSourceRow; i += 3) {
      pOut[i] = pSource[i + 2];
      pOut[i + 1] = pSource[i + 1];
      pOut[i + 2] = pSource[i];
    }
    if (BYTE* pMatched = sink.MatchedRow()) {
      for (size_t i = 0; i < nSourceRow; i += 3) {
        sink.pMatcher->MatchRgb(pSource[i], pSource[i + 1], pSource[i + 2], pMatched + i);
      }
    }
    sink.EndColorRow();
  }
}

BYTE InkToLevel(BYTE bInk, BYTE bBlack) {
  return 255 - bInk > bBlack ? static_cast<BYTE>(255 - bInk - bBlack) : 0;
}

// Four bytes cyan, magenta, yellow, black a pixel.
void ConvertCmyk(RowSink& sink, const BYTE* pData, size_t nLength) {
  size_t nSourceRow = sink.nWidth * 4;
  if (nSourceRow == 0) return;
  ULONGLONG nRows = sink.Rows(nLength / nSourceRow);
  for (ULONGLONG r = 0; r < nRows; ++r) {
    const BYTE* pSource = pData + r * nSourceRow;
    BYTE* pOut = sink.Row();
    for (size_t x = 0; x < sink.nWidth; ++x) {
      const BYTE* p = pSource + 4 * x;
      pOut[3 * x] = InkToLevel(p[2], p[3]);
      pOut[3 * x + 1] = InkToLevel(p[1], p[3]);
      pOut[3 * x + 2] = InkToLevel(p[0], p[3]);
    }
    if (BYTE* pMatched = sink.MatchedRow()) {
      for (size_t x = 0; x < sink.nWidth; ++x)
        sink.pMatcher->MatchCmyk(pSource + 4 * x, pMatched + 3 * x);
    }
    sink.EndColorRow();
  }
}

// Undoes horizontal differencing in place in every whole row of the strip: each
// sample becomes the sum, modulo 256, of itself and the same sample of the pixel
// before it.
void UndoDifferencing(BYTE* pData, size_t nLength, size_t nRowBytes, size_t nSamples) {
  if (nRowBytes == 0) return;
  for (size_t nStart = 0; nLength - nStart >= nRowBytes; nStart += nRowBytes) {
    BYTE* p = pData + nStart;
    for (size_t i = nSamples; i < nRowBytes; ++i) p[i] = static_cast<BYTE>(p[i] + p[i - nSamples]);
  }
}

struct Conversion {
  Layout layout;
  BOOL bPredicted;
  IndexMap map;
};

void ConvertStrip(const CTIFF& tiff, const Conversion& conv, RowSink& sink, BYTE* pData,
                  size_t nLength) {
  if (conv.bPredicted) {
    size_t nSamples = static_cast<size_t>(tiff.m_wSamplesPerPixel);
    UndoDifferencing(pData, nLength, sink.nWidth * nSamples, nSamples);
  }
  switch (conv.layout) {
    case Layout::kRgb:
      ConvertRgb(sink, pData, nLength);
      break;
    case Layout::kCmyk:
      ConvertCmyk(sink, pData, nLength);
      break;
    case Layout::kIndexed:
      if (tiff.m_wBitsPerSample < 8)
        ConvertIndexedPacked(sink, conv.map, tiff.m_wBitsPerSample, pData, nLength);
      else if (conv.bPredicted)
        ConvertIndexedWholeRows(sink, conv.map, pData, nLength);
      else
        ConvertIndexed8(sink, conv.map, pData, nLength);
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
  // Any other compression would be copied as noise.
  if (m_wCompression != kCompressionNone && m_wCompression != kCompressionLzw) {
    RaiseImgVuError(kRefused, kRefusedCompressionId);
  }
  // A strip is cut at the end of the file, so a false byte count cannot make the
  // reader allocate more than the file holds.
  ULONGLONG nOffset = static_cast<uint32_t>(m_plStripOffsets[lStrip]);
  ULONGLONG nLength = pFile->GetLength();
  ULONGLONG nCount = nOffset < nLength
                         ? std::min<ULONGLONG>(static_cast<uint32_t>(m_plStripByteCounts[lStrip]),
                                               nLength - nOffset)
                         : 0;
  std::unique_ptr<BYTE[]> pData(
      CheckPointer(new (std::nothrow) BYTE[std::max<ULONGLONG>(nCount, 1)]));
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
  // The matcher lets go of the profile lock once its session has begun; this, on every other path.
  CProfileLockScope lockScope(&m_lockProfile);
  try {
    Layout layout = CheckLayout(*this);
    // The placeholder pixels of Create stay beside the output and matched blocks.
    WORD wBitCount = layout == Layout::kIndexed ? 8 : 24;
    if (!FitsViewBudget(m_lImageWidth, m_lImageLength, 8, wBitCount))
      RaiseImgVuError(kOutOfMemory, 0);
    if (!pDIB->Create(m_lImageWidth, m_lImageLength)) RaiseImgVuError(kOutOfMemory, 0);
    if (layout != Layout::kIndexed) pDIB->SetBitCount(24);

    LPBITMAPINFOHEADER pInfo = pDIB->m_pInfo;
    ULONGLONG nStride = DIBRowBytes(pInfo->biBitCount, pInfo->biWidth);
    ULONGLONG nRows = static_cast<uint32_t>(m_lImageLength);
    ULONGLONG nBlockBytes = nStride * nRows;
    CLockedGlobal output;
    if (!output.Allocate(nBlockBytes, FALSE)) RaiseImgVuError(kOutOfMemory, 0);

    CTiffMatcher matcher;
    // Packed indices go through the colour map like 8-bit ones.
    matcher.Begin(this, nBlockBytes, layout == Layout::kIndexed, layout == Layout::kCmyk);

    Conversion conv = {layout, m_wPredictor == kHorizontalDifferencing, IndexMap(*this)};
    RowSink sink = {output.Bits(),
                    &matcher,
                    static_cast<size_t>(nStride),
                    static_cast<size_t>(m_lImageWidth),
                    nRows,
                    std::min<ULONGLONG>(m_lRowsPerStrip, nRows)};
    int32_t lStrips = std::min(m_lStripCount, m_lStripByteCountCount);
    for (int32_t j = 0; j < lStrips && sink.nRowsLeft > 0; ++j) {
      DWORD dwLength = 0;
      std::unique_ptr<BYTE[]> pData = ReadStrip(pFile, j, &dwLength);
      if (!pData) break;
      ConvertStrip(*this, conv, sink, pData.get(), dwLength);
    }
    sink.ClearRest();

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
