// QuantizeDIB: reduces a packed 24-bit DIB to a packed 8-bit DIB with a 256-entry
// colour table, for palette displays. Median cut over a 5-bit histogram; eight
// entries are reserved for the corners of the colour cube.
#pragma once

#include <windows.h>

// Methods and dither modes QuantizeDIB knows.
#define QUANT_METHOD_MEDIAN_CUT 0
#define QUANT_DITHER_NONE 0
#define QUANT_DITHER_ORDERED 1  // 4 x 4 ordered dither, offsets -14..+16

// Told the share of the work done, 0..100, each time it grows; 100 comes last.
typedef void(CALLBACK* QUANTPROGRESSPROC)(int nPercentDone);

// Quantizes the packed DIB at lpbi: a 40-byte header, the colour table that header
// declares, then bottom-up (or, with a negative height, top-down) rows of blue,
// green, red padded to 4 bytes. The input is only read; its block must hold every
// row the header describes.
//
// Returns the new packed 8-bit DIB (header, 256 RGBQUADs, index rows padded with
// zeros; biHeight keeps the input's sign), in a block allocated with
// GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE and returned LOCKED. The caller owns
// it: GlobalHandle(result) gives the handle to GlobalUnlock and GlobalFree.
//
// NULL, with nothing left allocated, for a NULL input, a header shorter than 40
// bytes, a negative width, rows that do not fit in 32-bit sizes, a method other than
// QUANT_METHOD_MEDIAN_CUT, a dither mode it does not know, and when memory runs out.
// An input whose bit count is not 24 also shows the message box "Not a 24 bitmap".
LPBITMAPINFOHEADER QuantizeDIB(const BITMAPINFOHEADER* lpbi, int method, int dither,
                               QUANTPROGRESSPROC progress);
