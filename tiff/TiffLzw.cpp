// CTIFF: the LZW decoder of compressed strips, in two passes. The first unpacks the
// bit stream into a list of codes, the second turns the codes into bytes through
// the string table, writing each string straight into the output back to front.
//
// The stream is TIFF 6.0's: codes of 9 to 12 bits, most significant bit first,
// Clear 256, End of Information 257, and the width growing one code early. Where real
// files differ from the standard: some writers add one more string once the table
// already holds 4095 entries before they send Clear, so the width stays at 12 bits
// and only a code that would define entry 4096 fails the strip. The pre-6.0 bit
// order (least significant bit first) is not read: such a strip fails at its first
// code, which is then not Clear.
//
// A strip of odd length ends in a 16-bit unit whose second byte is zero. Strings are
// as long as the table makes them (a long run of one value gives strings of
// thousands of bytes), so lengths are held in 16 bits.
#include "tiff/Tiff.h"

#include "tiff/LockedGlobal.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr WORD kClear = 256;
constexpr WORD kEndOfInformation = 257;
constexpr WORD kFirstFree = 258;
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 12;
constexpr int kTableSize = 4096;
// With the table full, Counter runs one past it before the code that would define
// entry 4096.
constexpr int kCounterFull = kTableSize + 1;
constexpr WORD kNoPrefix = 0xFFFF;
// A string grows by one byte per table entry: it never reaches this length.
constexpr ULONGLONG kLongestString = kTableSize;
constexpr ULONGLONG kBoundSlack = 128;

constexpr int32_t kStatusOutOfData = -33;
constexpr int32_t kStatusTooWide = -44;
constexpr int32_t kStatusTooManyCodes = -55;

struct LzwStringEntry {
  WORD wPrefix;  // code of the string without its last byte, kNoPrefix for none
  WORD wLength;  // bytes in the string
  BYTE bLast;    // the string's last byte
  BYTE bFirst;   // the string's first byte
};

ULONGLONG SaturatingMultiply(ULONGLONG a, ULONGLONG b) {
  if (a != 0 && b > std::numeric_limits<ULONGLONG>::max() / a) return std::numeric_limits<ULONGLONG>::max();
  return a * b;
}

// Bits of the strip, most significant first, with the odd byte's partner as zero.
class CodeReader {
 public:
  CodeReader(const BYTE* pData, DWORD dwCount)
      : m_pData(pData), m_nCount(dwCount), m_nBitsLeft((ULONGLONG{dwCount} + 1) / 2 * 16) {}

  // FALSE when the strip has fewer than nWidth bits left.
  BOOL Next(int nWidth, WORD* pwCode) {
    if (m_nBitsLeft < static_cast<ULONGLONG>(nWidth)) return FALSE;
    while (m_nHeld < nWidth) {
      BYTE b = m_nNext < m_nCount ? m_pData[m_nNext] : 0;
      ++m_nNext;
      m_acc = (m_acc << 8) | b;
      m_nHeld += 8;
    }
    m_nHeld -= nWidth;
    m_nBitsLeft -= static_cast<ULONGLONG>(nWidth);
    *pwCode = static_cast<WORD>((m_acc >> m_nHeld) & ((1u << nWidth) - 1));
    return TRUE;
  }

 private:
  const BYTE* m_pData;
  DWORD m_nCount;
  ULONGLONG m_nBitsLeft;
  DWORD m_nNext = 0;
  uint32_t m_acc = 0;
  int m_nHeld = 0;
};

// Writes the string of code at pEnd - length .. pEnd - 1, following the prefix chain
// from the last byte to the first.
void WriteString(const LzwStringEntry* pTable, WORD wCode, BYTE* pEnd) {
  BYTE* p = pEnd;
  for (;;) {
    const LzwStringEntry& entry = pTable[wCode];
    *--p = entry.bLast;
    if (entry.wPrefix == kNoPrefix) break;
    wCode = entry.wPrefix;
  }
}

// The second pass: decoded length, or -1 when the codes are corrupt.
LONGLONG DecodeCodes(const WORD* pCodes, size_t nCodes, LzwStringEntry* pTable, BYTE* pOut,
                     ULONGLONG nBound) {
  for (int i = 0; i < 256; ++i) pTable[i] = {kNoPrefix, 1, static_cast<BYTE>(i), static_cast<BYTE>(i)};
  pTable[kClear] = {kNoPrefix, 1, 0, 0};
  if (nCodes == 0 || pCodes[0] != kClear) return -1;

  ULONGLONG nTotal = 0;
  WORD wOld = 0;
  BYTE bFirst = 0;
  int nNext = kFirstFree;
  size_t i = 0;
  while (i < nCodes) {
    WORD wCode = pCodes[i++];
    if (wCode == kClear) {
      while (i < nCodes && pCodes[i] == kClear) ++i;
      if (i == nCodes) break;
      wCode = pCodes[i++];
      if (wCode == kEndOfInformation) break;
      if (wCode > 255) return -1;  // only a literal can follow Clear
      pOut[nTotal++] = static_cast<BYTE>(wCode);
      wOld = wCode;
      bFirst = static_cast<BYTE>(wCode);
      nNext = kFirstFree;
      if (nTotal > nBound) break;
      continue;
    }
    if (wCode == kEndOfInformation) break;
    // UnpackLzwCodes refuses a code that would define entry 4096; a full table here
    // ends the strip as the table's end always has.
    if (nNext >= kTableSize) break;
    const LzwStringEntry& old = pTable[wOld];
    LzwStringEntry& added = pTable[nNext];
    ULONGLONG nLength;
    if (wCode < nNext) {
      nLength = pTable[wCode].wLength;
      WriteString(pTable, wCode, pOut + nTotal + nLength);
      added.bLast = pTable[wCode].bFirst;
    } else if (wCode == nNext) {
      nLength = ULONGLONG{old.wLength} + 1;
      pOut[nTotal + nLength - 1] = bFirst;
      WriteString(pTable, wOld, pOut + nTotal + nLength - 1);
      added.bLast = bFirst;
    } else {
      return -1;
    }
    added.wPrefix = wOld;
    added.wLength = static_cast<WORD>(old.wLength + 1);
    added.bFirst = old.bFirst;
    ++nNext;
    wOld = wCode;
    bFirst = pTable[wCode].bFirst;
    nTotal += nLength;
    if (nTotal > nBound) break;
  }
  return static_cast<LONGLONG>(nTotal);
}

}  // namespace

ULONGLONG CTIFF::LzwBound() const {
  ULONGLONG nRowBits = SaturatingMultiply(
      SaturatingMultiply(static_cast<uint16_t>(m_wSamplesPerPixel), static_cast<uint16_t>(m_wBitsPerSample)),
      static_cast<uint32_t>(m_lImageWidth));
  if (nRowBits > std::numeric_limits<ULONGLONG>::max() - 31) return std::numeric_limits<ULONGLONG>::max();
  ULONGLONG nRowBytes = (nRowBits + 31) / 32 * 4;
  ULONGLONG nRows = std::min<ULONGLONG>(m_lRowsPerStrip, static_cast<uint32_t>(m_lImageLength));
  ULONGLONG nBytes = SaturatingMultiply(nRowBytes, nRows);
  return nBytes > std::numeric_limits<ULONGLONG>::max() - kBoundSlack ? nBytes : nBytes + kBoundSlack;
}

int16_t CTIFF::UnpackLzwCodes(const BYTE* pStrip, WORD* pCodes, size_t nCapacity, DWORD dwCount,
                              int32_t* plStatus) {
  *plStatus = 0;
  CodeReader reader(pStrip, dwCount);
  int nWidth = kMinWidth;
  int nCounter = kFirstFree;
  int nLimit = 1 << kMinWidth;
  size_t nCodes = 0;
  for (;;) {
    WORD wCode;
    if (!reader.Next(nWidth, &wCode)) {
      *plStatus = kStatusOutOfData;
      return -1;
    }
    if (nCodes == nCapacity) {
      *plStatus = kStatusTooManyCodes;
      return -1;
    }
    pCodes[nCodes++] = wCode;
    if (wCode == kClear) {
      nWidth = kMinWidth;
      nCounter = kFirstFree;
      nLimit = 1 << kMinWidth;
      continue;
    }
    if (wCode == kEndOfInformation) {
      *plStatus = static_cast<int32_t>(std::min<size_t>(nCodes, INT32_MAX));
      return 0;
    }
    if (nCounter == kCounterFull) {
      *plStatus = kStatusTooWide;
      return -1;
    }
    ++nCounter;
    if (nCounter == nLimit && nWidth < kMaxWidth) {
      ++nWidth;
      nLimit <<= 1;
    }
  }
}

std::unique_ptr<BYTE[]> CTIFF::DecodeLzwStrip(const BYTE* pStrip, DWORD dwCount, DWORD* pdwDecoded) {
  *pdwDecoded = 0;
  ULONGLONG nBound = LzwBound();
  // The code list comes first: its block is twice Bound and is held to the platform's
  // ceiling, which therefore also bounds the output block of about the same size.
  CLockedGlobal codes;
  if (nBound > std::numeric_limits<ULONGLONG>::max() / 2 || !codes.Allocate(2 * nBound, FALSE)) return nullptr;
  // Room for the string that crosses Bound, however long.
  ULONGLONG nOutput = std::max(2 * nBound, nBound + kLongestString);
  std::unique_ptr<BYTE[]> pOut(new (std::nothrow) BYTE[nOutput]);
  std::unique_ptr<LzwStringEntry[]> pTable(new (std::nothrow) LzwStringEntry[kTableSize]);
  if (!pOut || !pTable) return nullptr;

  WORD* pCodes = reinterpret_cast<WORD*>(codes.Bits());
  int32_t lStatus = 0;
  if (UnpackLzwCodes(pStrip, pCodes, nBound, dwCount, &lStatus) != 0) return nullptr;
  LONGLONG nTotal = DecodeCodes(pCodes, static_cast<size_t>(lStatus), pTable.get(), pOut.get(), nBound);
  if (nTotal < 0 || nTotal > std::numeric_limits<DWORD>::max()) return nullptr;
  *pdwDecoded = static_cast<DWORD>(nTotal);
  return pOut;
}
