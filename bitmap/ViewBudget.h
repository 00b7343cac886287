// The memory budget of one view: whether an image can be held before anything large
// is allocated for it.
//
// A view holds its image several times at once: the block the reader keeps beside
// the bitmap while it converts (the JPEG decoder's whole-image array, the placeholder
// pixels of a TIFF conversion), the bitmap's pixel block, its matched block and, when
// the screen has a colour table and the bitmap more than 8 bits a pixel, the two
// 8-bit blocks the quantizer makes of them. Together they must fit the platform's
// view budget; sizes are computed in 64 bits, rows padded as DIB rows are.
#pragma once

#include <windows.h>

// The bytes of those blocks for an image of lWidth x lHeight pixels: the reader's of
// wReaderBits a pixel, the bitmap's two of wBitCount, and the 8-bit ones when
// bPaletteScreen applies. Negative sizes count as 0; a count beyond 64 bits is the
// largest one.
ULONGLONG ViewBytes(LONG lWidth, LONG lHeight, WORD wReaderBits, WORD wBitCount,
                    BOOL bPaletteScreen);

// Whether the display of hWnd (the screen when NULL) has a colour table: NUMCOLORS is
// 0 or more (a display of more than 256 colours answers -1).
BOOL IsPaletteDisplay(HWND hWnd);

// Whether ViewBytes, for the screen as it is, fits platform::ViewMemoryBudget().
BOOL FitsViewBudget(LONG lWidth, LONG lHeight, WORD wReaderBits, WORD wBitCount);
