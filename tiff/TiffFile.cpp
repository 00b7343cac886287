#include "tiff/TiffFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

ULONGLONG ReadFileBytes(CFile* pFile, ULONGLONG nOffset, void* pBuffer, ULONGLONG nBytes) {
  BYTE* pOut = static_cast<BYTE*>(pBuffer);
  std::memset(pOut, 0, nBytes);
  ULONGLONG nLength = pFile->GetLength();
  if (nOffset >= nLength) return 0;
  ULONGLONG nWanted = std::min(nBytes, nLength - nOffset);
  pFile->Seek(static_cast<LONGLONG>(nOffset), CFile::begin);
  ULONGLONG nDone = 0;
  while (nDone < nWanted) {
    UINT nAsk = static_cast<UINT>(std::min<ULONGLONG>(nWanted - nDone, std::numeric_limits<UINT>::max()));
    UINT nGot = pFile->Read(pOut + nDone, nAsk);
    if (nGot == 0) break;
    nDone += nGot;
  }
  return nDone;
}
