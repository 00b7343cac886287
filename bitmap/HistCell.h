// One occupied 5-bit colour cell. While the palette is built it counts the pixels
// that fall in it; afterwards it remembers the palette entry that every colour of
// the cell maps to, so the nearest-colour search runs once per cell.
#pragma once

#include <windows.h>

struct HistCell {
  LONG index;   // palette entry chosen for the cell; -1 while none is chosen
  DWORD count;  // pixels in the cell, saturated at QuantContext::kMaxCount
};
static_assert(sizeof(HistCell) == 8, "a cell is 8 bytes");
