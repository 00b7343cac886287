// The working state of one median-cut quantization.
//
// A 32 x 32 x 32 histogram of 5-bit colour cells is counted first; the median cut
// then builds a 256-entry palette from it (eight cube corners, 248 boxes); last the
// same cells serve as a lazily filled inverse colour map. Cells live on the process heap
// and are reached through one pointer table in locked global memory. Everything is
// released by the destructor, whatever step failed.
#pragma once

#include "bitmap/ColorBox.h"
#include "bitmap/HistCell.h"

#include <windows.h>

#include <memory>

class QuantContext {
 public:
  static constexpr int kPaletteSize = 256;
  static constexpr int kCellCount = 32768;
  static constexpr DWORD kMaxCount = 65535;
  static constexpr int kFirstCutBox = 8;  // boxes 0..7 are the cube corners

  // The context with its squares table and an empty, locked cell table; nullptr
  // when either cannot be allocated.
  static std::unique_ptr<QuantContext> Create();
  ~QuantContext();
  QuantContext(const QuantContext&) = delete;
  QuantContext& operator=(const QuantContext&) = delete;

  // Red in the top five of fifteen bits.
  static int CellNumber(int r5, int g5, int b5) { return (r5 << 10) | (g5 << 5) | b5; }
  static int CellOfColor(BYTE r, BYTE g, BYTE b) { return CellNumber(r >> 3, g >> 3, b >> 3); }

  // Adds one pixel of 8-bit components to the histogram. False when its cell is
  // new and cannot be allocated.
  bool CountColor(BYTE r, BYTE g, BYTE b);

  // Fills red, green and blue with the final 8-bit palette. False when a corner
  // cell cannot be allocated.
  bool MedianCut();

  // The palette entry for a colour of 8-bit components: the one cached in its cell,
  // or the nearest entry, which is then cached. -1 when the cell cannot be allocated.
  int PaletteIndex(BYTE r, BYTE g, BYTE b);

  // Splits box a into a and n along a's longest side (n starts as a copy of a).
  static void Cut(ColorBox& a, ColorBox& n);

  // Recomputes a box's bounds, means and population from the counted cells inside
  // its current bounds.
  void Shrink(ColorBox& box) const;

  // A new cell with no palette entry; nullptr when it cannot be allocated.
  HistCell* NewCell(int number, DWORD count);

  SHORT red[kPaletteSize];
  SHORT green[kPaletteSize];
  SHORT blue[kPaletteSize];
  ColorBox boxes[kPaletteSize];
  DWORD squares[kPaletteSize];
  HistCell** cells = nullptr;  // kCellCount entries, NULL where no cell exists

 private:
  QuantContext() = default;
  int SearchPaletteIndex(int number, BYTE r, BYTE g, BYTE b);

  HGLOBAL m_hCells = nullptr;
};

inline bool QuantContext::CountColor(BYTE r, BYTE g, BYTE b) {
  int number = CellOfColor(r, g, b);
  HistCell* cell = cells[number];
  if (cell == nullptr) return NewCell(number, 1) != nullptr;
  if (cell->count < kMaxCount) ++cell->count;
  return true;
}

inline int QuantContext::PaletteIndex(BYTE r, BYTE g, BYTE b) {
  int number = CellOfColor(r, g, b);
  HistCell* cell = cells[number];
  if (cell != nullptr && cell->index != -1) return cell->index;
  return SearchPaletteIndex(number, r, g, b);
}
