// CTIFF: the LZW decoder of compressed strips, in two passes. The first unpacks the
// bit stream into a list of codes, the second turns the codes into bytes through
// the string table.
//
// A string, once written, stays in the output unchanged, and the string a new table
// entry stands for is the previous code's string followed by the first byte of the
// next one: exactly the bytes that already follow each other in the output. So an
// entry keeps where its bytes lie and how many there are, and decoding a code copies
// them; no prefix chain is walked.
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

#include "bitmap/LockedGlobal.h"

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
// With the table full, Counter runs one past it; the next code would define entry 4096.
constexpr int kCounterFull = kTableSize + 1;
// A string grows by one byte per table entry: it never reaches this length.
constexpr ULONGLONG kLongestString = kTableSize;
constexpr ULONGLONG kBoundSlack = 128;

constexpr int32_t kStatusOutOfData = -33;
constexpr int32_t kStatusTooWide = -44;
constexpr int32_t kStatusTooManyCodes = -55;

// A string of the table: where its bytes lie (in the output, or for a literal in
// kLiterals) and how many there are.
struct LzwStringEntry {
  const BYTE* pBytes;
  uint32_t nLength;
};

// Short strings are moved this many bytes at once; every source and the output have
// that much room to spare.
constexpr size_t kCopyChunk = 16;

// The one-byte strings of the literal codes, with room for a short copy's spare.
struct LiteralBytes {
  BYTE ab[256 + kCopyChunk];
  constexpr LiteralBytes() : ab() {
    for (int i = 0; i < 256; ++i) ab[i] = static_cast<BYTE>(i);
  }
};
constexpr LiteralBytes kLiterals;

ULONGLONG SaturatingMultiply(ULONGLONG a, ULONGLONG b) {
  if (a != 0 && b > std::numeric_limits<ULONGLONG>::max() / a)
    return std::numeric_limits<ULONGLONG>::max();
  return a * b;
}

// Bits of the strip, most significant first, with the odd byte's partner as zero.
class CodeReader {
 public:
  CodeReader(const BYTE* pData, DWORD dwCount)
      : m_pData(pData), m_nCount(dwCount), m_nBits((ULONGLONG{dwCount} + 1) / 2 * 16) {}

  // FALSE when the strip has fewer than nWidth bits left.
  BOOL Next(int nWidth, WORD* pwCode) {
    if (m_nBits - m_nPos < static_cast<ULONGLONG>(nWidth)) return FALSE;
    ULONGLONG nByte = m_nPos >> 3;
    uint32_t nWord;
    if (nByte + 4 <= m_nCount) [[likely]] {
      std::memcpy(&nWord, m_pData + nByte, 4);
      nWord = __builtin_bswap32(nWord);
    } else {
      nWord = 0;
      for (ULONGLONG i = nByte; i < nByte + 4; ++i)
        nWord = nWord << 8 | (i < m_nCount ? m_pData[i] : 0);
    }
    *pwCode = static_cast<WORD>((nWord << (m_nPos & 7)) >> (32 - nWidth));
    m_nPos += static_cast<ULONGLONG>(nWidth);
    return TRUE;
  }

 private:
  const BYTE* m_pData;
  ULONGLONG m_nCount;
  ULONGLONG m_nBits;
  ULONGLONG m_nPos = 0;
};

// Writes a string of nLength bytes at pTo whose bytes lie at pFrom, before pTo. A
// short one moves a whole chunk, read before anything is written, so it may overlap
// what it writes; what lands beyond the string is overwritten by the next one.
inline void CopyString(BYTE* pTo, const BYTE* pFrom, size_t nLength) {
  if (nLength <= kCopyChunk) [[likely]] {
    uint64_t a, b;
    std::memcpy(&a, pFrom, 8);
    std::memcpy(&b, pFrom + 8, 8);
    std::memcpy(pTo, &a, 8);
    std::memcpy(pTo + 8, &b, 8);
  } else {
    std::memcpy(pTo, pFrom, nLength);
  }
}

// The second pass: decoded length, or -1 when the codes are corrupt.
LONGLONG DecodeCodes(const WORD* pCodes, size_t nCodes, LzwStringEntry* pTable, BYTE* pOut,
                     ULONGLONG nBound) {
  if (nCodes == 0 || pCodes[0] != kClear) return -1;
  for (int i = 0; i < 256; ++i) pTable[i] = {&kLiterals.ab[i], 1};
  BYTE* pNext = pOut;  // where the next string goes
  const BYTE* pBound = pOut + nBound;
  const BYTE* pOld = pOut;  // the previous code's string, in the output
  uint32_t nOldLength = 0;
  WORD wNext = kFirstFree;
  size_t i = 0;
  while (i < nCodes) {
    WORD wCode = pCodes[i++];
    uint32_t nLength;
    if (wCode<wNext&& static_cast<WORD>(wCode - kClear)> 1) [[likely]] {
      // A string of the table.
      if (wNext == kTableSize) break;  // UnpackLzwCodes refuses this: a full table ends the strip
      nLength = pTable[wCode].nLength;
      CopyString(pNext, pTable[wCode].pBytes, nLength);
    } else if (wCode == wNext) {
      // The string being defined: the previous one and its own first byte.
      nLength = nOldLength + 1;
      CopyString(pNext, pOld, nOldLength);
      pNext[nOldLength] = pOld[0];
    } else if (wCode == kClear) {
      while (i < nCodes && pCodes[i] == kClear) ++i;
      if (i == nCodes) break;
      wCode = pCodes[i++];
      if (wCode == kEndOfInformation) break;
      if (wCode > 255) return -1;  // only a literal can follow Clear
      *pNext = static_cast<BYTE>(wCode);
      pOld = pNext++;
      nOldLength = 1;
      wNext = kFirstFree;
      if (pNext > pBound) break;
      continue;
    } else if (wCode == kEndOfInformation) {
      break;
    } else {
      return -1;  // beyond the table
    }
    pTable[wNext++] = {pOld, nOldLength + 1};
    pOld = pNext;
    nOldLength = nLength;
    pNext += nLength;
    if (pNext > pBound) break;
  }
  return pNext - pOut;
}

}  // namespace

ULONGLONG CTIFF::LzwBound() const {
  ULONGLONG nRowBits =
      SaturatingMultiply(SaturatingMultiply(static_cast<uint16_t>(m_wSamplesPerPixel),
                                            static_cast<uint16_t>(m_wBitsPerSample)),
                         static_cast<uint32_t>(m_lImageWidth));
  if (nRowBits > std::numeric_limits<ULONGLONG>::max() - 31)
    return std::numeric_limits<ULONGLONG>::max();
  ULONGLONG nRowBytes = (nRowBits + 31) / 32 * 4;
  ULONGLONG nRows = std::min<ULONGLONG>(m_lRowsPerStrip, static_cast<uint32_t>(m_lImageLength));
  ULONGLONG nBytes = SaturatingMultiply(nRowBytes, nRows);
  return nBytes > std::numeric_limits<ULONGLONG>::max() - kBoundSlack ? nBytes
                                                                      : nBytes + kBoundSlack;
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
    if (wCode == kClear) [[unlikely]] {
      nWidth = kMinWidth;
      nCounter = kFirstFree;
      nLimit = 1 << kMinWidth;
      continue;
    }
    if (wCode == kEndOfInformation) [[unlikely]] {
      *plStatus = static_cast<int32_t>(std::min<size_t>(nCodes, INT32_MAX));
      return 0;
    }
    if (++nCounter == nLimit) [[unlikely]] {
      if (nWidth < kMaxWidth) {
        ++nWidth;
        nLimit <<= 1;
      } else if (nLimit == kTableSize) {
        nLimit = kCounterFull + 1;  // the table fills at 12 bits
      } else {
        *plStatus = kStatusTooWide;
        return -1;
      }
    }
  }
}

std::unique_ptr<BYTE[]> CTIFF::DecodeLzwStrip(const BYTE* pStrip, DWORD dwCount,
                                              DWORD* pdwDecoded) {
  *pdwDecoded = 0;
  ULONGLONG nBound = LzwBound();
  // The code list comes first: its block is twice Bound and is held to the platform's
  // ceiling, which therefore also bounds the output block of about the same size.
  CLockedGlobal codes;
  if (nBound > std::numeric_limits<ULONGLONG>::max() / 2 || !codes.Allocate(2 * nBound, FALSE))
    return nullptr;
  // Room for the string that crosses Bound, however long, and for a short copy's spare.
  ULONGLONG nOutput = std::max(2 * nBound, nBound + kLongestString + kCopyChunk);
  std::unique_ptr<BYTE[]> pOut(new (std::nothrow) BYTE[nOutput]);
  std::unique_ptr<LzwStringEntry[]> pTable(new (std::nothrow) LzwStringEntry[kTableSize]);
  if (!pOut || !pTable) return nullptr;

  WORD* pCodes = reinterpret_cast<WORD*>(codes.Bits());
  int32_t lStatus = 0;
  if (UnpackLzwCodes(pStrip, pCodes, nBound, dwCount, &lStatus) != 0) return nullptr;
  LONGLONG nTotal =
      DecodeCodes(pCodes, static_cast<size_t>(lStatus), pTable.get(), pOut.get(), nBound);
  if (nTotal < 0 || nTotal > std::numeric_limits<DWORD>::max()) return nullptr;
  *pdwDecoded = static_cast<DWORD>(nTotal);
  return pOut;
}
