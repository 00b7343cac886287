#include "bitmap/ViewBudget.h"

#include "bitmap/Dib.h"

#include <platform/memory.h>

BOOL IsPaletteDisplay(HWND hWnd) {
  HDC hDC = ::GetDC(hWnd);
  int nColors = ::GetDeviceCaps(hDC, NUMCOLORS);
  ::ReleaseDC(hWnd, hDC);
  return nColors >= 0 ? TRUE : FALSE;
}

ULONGLONG ViewBytes(LONG lWidth, LONG lHeight, WORD wReaderBits, WORD wBitCount,
                    BOOL bPaletteScreen) {
  ULONGLONG nRows = lHeight > 0 ? static_cast<ULONGLONG>(lHeight) : 0;
  ULONGLONG nRowBytes = DIBRowBytes(wReaderBits, lWidth) + 2 * DIBRowBytes(wBitCount, lWidth);
  if (bPaletteScreen && wBitCount > 8) nRowBytes += 2 * DIBRowBytes(8, lWidth);
  ULONGLONG nBytes = 0;
  return __builtin_mul_overflow(nRowBytes, nRows, &nBytes) ? ~ULONGLONG{0} : nBytes;
}

BOOL FitsViewBudget(LONG lWidth, LONG lHeight, WORD wReaderBits, WORD wBitCount) {
  return ViewBytes(lWidth, lHeight, wReaderBits, wBitCount, IsPaletteDisplay(nullptr)) <=
         platform::ViewMemoryBudget();
}
