// CJPG::MatchToMonitor: every pixel of the decoded JPEG through the engine, one
// record a call, into a second pixel block of the same layout.
//
// The engine takes red, green, blue in components 0..2 and gives them back in that
// order; the DIB stores blue, green, red. Each byte goes in the high half of its
// component. The session is ended on every path once it was begun, and the DIB gets
// a matched block only when every pixel was matched. The profile lock of the scan is
// let go of once the session has read the profile, and before any message, so other
// views never wait for a person or for this view's pixels.
//
// The records are one row's worth, used again for every row: a record is dead once its
// pixel is written out, and a record for every pixel (8 bytes each) would make the
// matching loop fault in as much fresh memory as the two pixel blocks together.
#include "jpeg/Jpg.h"

#include "bitmap/Dib.h"
#include "bitmap/LockedGlobal.h"
#include "color/ColorEngine.h"
#include "viewer/ModuleState.h"
#include "viewer/ProfileName.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr const char* kDefaultDisplay = "Default Display";

// a x b, or a value no block can have when the product does not fit 64 bits.
ULONGLONG Product(ULONGLONG a, ULONGLONG b) {
  ULONGLONG nProduct = 0;
  return __builtin_mul_overflow(a, b, &nProduct) ? ~ULONGLONG{0} : nProduct;
}

// One row of nWidth pixels from pIn to pOut through the engine, one record a call; FALSE
// when the engine refuses a pixel. A function of its own, never inlined: it can never ask
// the person, so the web build leaves it out of what may wait for a modal call (by name),
// where MatchRows, which may show a message, is not.
[[gnu::noinline]] BOOL MatchRow(ZIRN_MatchProc pfnMatch, const BYTE* pIn, BYTE* pOut,
                                MatchColor* pRecords, ULONGLONG nWidth) {
  MatchColor* pRecord = pRecords;
  for (ULONGLONG j = 0; j < nWidth; ++j, ++pRecord) {
    const BYTE* pPixel = pIn + 3 * j;
    SetMatchColor(pRecord, static_cast<uint16_t>(pPixel[2] << 8),
                  static_cast<uint16_t>(pPixel[1] << 8), static_cast<uint16_t>(pPixel[0] << 8), 0);
    if (pfnMatch(1, pRecord) != 0) return FALSE;
    BYTE* pPixelOut = pOut + 3 * j;
    pPixelOut[0] = static_cast<BYTE>(pRecord->c[2] >> 8);
    pPixelOut[1] = static_cast<BYTE>(pRecord->c[1] >> 8);
    pPixelOut[2] = static_cast<BYTE>(pRecord->c[0] >> 8);
  }
  return TRUE;
}

// The matched copy of hBits (nHeight rows of nStride bytes, 3 bytes a pixel), or NULL
// after "Failed in Matching": a block cannot be had, hBits is short of the rows, or
// the engine refuses a pixel.
HGLOBAL MatchRows(HGLOBAL hBits, int nWidth, int nHeight, ULONGLONG nStride) {
  ULONGLONG nWidthPixels = nWidth > 0 ? static_cast<ULONGLONG>(nWidth) : 0;
  ULONGLONG nRows = nHeight > 0 ? static_cast<ULONGLONG>(nHeight) : 0;
  ULONGLONG nImageBytes = Product(nStride, nRows);

  // Every block is asked for, whichever fails, so that the blocks are taken in the same
  // order on every run. Not cleared: each is written whole before it is read.
  CLockedGlobal input, outputRow, output, recordRow;
  BOOL bBlocks = input.Allocate(nStride, FALSE);
  bBlocks = outputRow.Allocate(3 * nWidthPixels, FALSE) && bBlocks;
  bBlocks = output.Allocate(nImageBytes, FALSE) && bBlocks;
  bBlocks = recordRow.Allocate(Product(nWidthPixels, sizeof(MatchColor)), FALSE) && bBlocks;
  // The decoded block must hold every row that is read from it.
  const BYTE* pBits = nullptr;
  if (hBits != nullptr && GlobalSize(hBits) >= nImageBytes)
    pBits = static_cast<const BYTE*>(GlobalLock(hBits));

  BOOL bMatched = bBlocks && pBits != nullptr;
  auto* pRecords = reinterpret_cast<MatchColor*>(recordRow.Bits());
  ZIRN_MatchProc pfnMatch = g_pColorEngine->m_pfnMatch;
  for (ULONGLONG i = 0; bMatched && i < nRows; ++i) {
    std::memcpy(input.Bits(), pBits + i * nStride, static_cast<size_t>(nStride));
    bMatched = MatchRow(pfnMatch, input.Bits(), outputRow.Bits(), pRecords, nWidthPixels);
    if (bMatched)
      std::memcpy(output.Bits() + i * nStride, outputRow.Bits(),
                  static_cast<size_t>(3 * nWidthPixels));
  }
  if (pBits != nullptr) GlobalUnlock(hBits);
  if (!bMatched) {
    PluginMessageBox("Failed in Matching");
    return nullptr;
  }
  return output.Detach();
}

}  // namespace

void CJPG::MatchToMonitor(CDIB* pDIB) {
  const CString& strSource = g_strProfilePaths[0];
  if (strSource.GetLength() + 1 > kProfilePathSize) return;
  char szSource[kProfilePathSize] = {};
  std::memcpy(szSource, static_cast<LPCTSTR>(strSource),
              static_cast<size_t>(strSource.GetLength()));

  char* pszMonitor = nullptr;
  if (pDIB->m_hMatchedBits != nullptr || g_pColorEngine->m_pfnGetMonitorProfile(&pszMonitor) != 0 ||
      pszMonitor == nullptr) {
    m_lockProfile.Release();
    PluginMessageBox("Please select the source monitor profile first");
    return;
  }
  if (std::strcmp(pszMonitor, kDefaultDisplay) == 0) {
    m_lockProfile.Release();
    PluginMessageBox(
        "Please exit the application and run SCRNPICK program\n to set the monitor profile.",
        MB_ICONEXCLAMATION);
    return;
  }

  int16_t nStatus = g_pColorEngine->m_pfnBeginMatchingSession(szSource, pszMonitor);
  m_lockProfile.Release();
  if (nStatus != 0) {
    CString strText;
    strText.Format("BeginMatchingerror=>%d", nStatus);
    PluginMessageBox(strText);
  }
  HGLOBAL hMatched = MatchRows(pDIB->m_hBits, m_nWidth, m_nHeight,
                               DIBRowBytes(static_cast<WORD>(m_nBitCount), m_nWidth));
  g_pColorEngine->m_pfnEndMatching();
  if (hMatched != nullptr) pDIB->m_hMatchedBits = hMatched;
}
