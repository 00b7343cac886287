// JpegToDib: decodes a JPEG file into the pixel array of a bottom-up DIB.
#pragma once

#include <windows.h>

// Decodes the file at path with the library's default parameters. Returns an
// unlocked GMEM_MOVEABLE block of output_height rows, bottom row first, each
// row padded with zeros to a multiple of 4 bytes: blue, green, red for colour
// files, one grey byte a pixel for one-component files. The caller frees it
// with GlobalFree.
//
// *height and *width are written on every return: the decoded size, or 0 when
// nothing was decoded. NULL with the size set: the block could not be
// allocated. NULL with 0 x 0: the file cannot be opened (the "Open file failed"
// box has been shown) or the library refused it (its message is on stderr):
// not a JPEG, corrupt beyond repair, unsupported, four-component output, or
// too large for the global-memory ceiling.
//
// *components, when given, gets the samples a pixel of the block (1 or 3; 0 when
// nothing was decoded): a one-pixel-wide block is 4 bytes a row either way.
HGLOBAL JpegToDib(const char* path, int* height, int* width, int* components = nullptr);
