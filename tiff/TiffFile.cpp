#include "tiff/TiffFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

ULONGLONG ReadFileBytes(CFile* pFile, ULONGLONG nOffset, void* pBuffer, ULONGLONG nBytes) {
  BYTE* pOut = static_cast<BYTE*>(pBuffer);
  ULONGLONG nLength = pFile->GetLength();
  ULONGLONG nDone = 0;
  if (nOffset < nLength) {
    ULONGLONG nWanted = std::min(nBytes, nLength - nOffset);
    pFile->Seek(static_cast<LONGLONG>(nOffset), CFile::begin);
    while (nDone < nWanted) {
      UINT nAsk =
          static_cast<UINT>(std::min<ULONGLONG>(nWanted - nDone, std::numeric_limits<UINT>::max()));
      UINT nGot = pFile->Read(pOut + nDone, nAsk);
      if (nGot == 0) break;
      nDone += nGot;
    }
  }
  std::memset(pOut + nDone, 0, nBytes - nDone);
  return nDone;
}
