// DibDestination: the output module of JpegToDib. It collects the decoder's
// scanlines top to bottom in a whole-image array of the library and, once the
// last row is in, copies them bottom row first into one movable global block:
// the pixel array of a bottom-up DIB, 24-bit BGR or 8-bit grey, rows padded
// with zeros to 4 bytes. It writes no header and no colour table.
//
// The record and everything it points to live in the decompressor's JPOOL_IMAGE
// pool; only the finished block outlives jpeg_destroy_decompress.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

struct DibDestination {
  // Called by JpegToDib only, in this order: start, put rows once per scanline,
  // finish.
  void (*pfnStart)(j_decompress_ptr cinfo, DibDestination* dest);
  void (*pfnPutRows)(j_decompress_ptr cinfo, DibDestination* dest, JDIMENSION nRowsSupplied);
  void (*pfnFinish)(j_decompress_ptr cinfo, DibDestination* dest);

  HGLOBAL hDib;                  // the finished block; NULL until finish or if it cannot be had
  JSAMPARRAY pBuffer;            // one scanline, uRowWidth samples wide
  int nBufferHeight;             // always 1
  jvirt_sarray_ptr pWholeImage;  // output_height rows of uRowWidth samples
  unsigned uDataWidth;           // output_width x output_components
  unsigned uRowWidth;            // uDataWidth rounded up to a multiple of 4
  int nPadBytes;                 // uRowWidth - uDataWidth
  unsigned uCurrentRow;          // next row of pWholeImage to fill
};

// Sets up the module for the header just read: call after jpeg_read_header and
// before jpeg_start_decompress. Output colour spaces other than RGB and grey
// have no row operation and are refused through the error manager
// (JERR_CONVERSION_NOTIMPL) before any row is decoded.
DibDestination* InitDibDestination(j_decompress_ptr cinfo);
