#include "bitmap/QuantContext.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

constexpr int kMaxCoordinate = 31;

// The eight corners in palette order: black, red, green, blue, yellow, cyan,
// magenta, white.
constexpr BYTE kCorners[8][3] = {{0, 0, 0},   {31, 0, 0},  {0, 31, 0},  {0, 0, 31},
                                 {31, 31, 0}, {0, 31, 31}, {31, 0, 31}, {31, 31, 31}};

// Centre of a range in 5-bit units, scaled to 8 bits; both divisions truncate.
SHORT PaletteComponent(SHORT min, SHORT max) {
  int centre = (min + max) / 2;
  return static_cast<SHORT>(centre * 255 / kMaxCoordinate);
}

}  // namespace

std::unique_ptr<QuantContext> QuantContext::Create() {
  std::unique_ptr<QuantContext> context(new (std::nothrow) QuantContext);
  if (!context) return nullptr;
  for (DWORD k = 0; k < kPaletteSize; ++k) context->squares[k] = k * k;
  context->m_hCells = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kCellCount * sizeof(HistCell*));
  if (context->m_hCells == nullptr) return nullptr;
  context->cells = static_cast<HistCell**>(GlobalLock(context->m_hCells));
  if (context->cells == nullptr) return nullptr;
  return context;
}

QuantContext::~QuantContext() {
  if (cells != nullptr) {
    for (int i = 0; i < kCellCount; ++i) HeapFree(GetProcessHeap(), 0, cells[i]);
    GlobalUnlock(m_hCells);
  }
  if (m_hCells != nullptr) GlobalFree(m_hCells);
}

HistCell* QuantContext::NewCell(int number, DWORD count) {
  auto* cell = static_cast<HistCell*>(HeapAlloc(GetProcessHeap(), 0, sizeof(HistCell)));
  if (cell == nullptr) return nullptr;
  cell->index = -1;
  cell->count = count;
  cells[number] = cell;
  return cell;
}

bool QuantContext::MedianCut() {
  // Pixels of the corner colours take no part in the cutting: the corners have
  // entries of their own.
  for (int i = 0; i < kFirstCutBox; ++i) {
    const BYTE* corner = kCorners[i];
    int number = CellNumber(corner[0], corner[1], corner[2]);
    if (cells[number] != nullptr) {
      cells[number]->count = 0;
    } else if (NewCell(number, 0) == nullptr) {
      return false;
    }
    boxes[i] =
        ColorBox{corner[0], corner[0], corner[1], corner[1], corner[2], corner[2], 0, 0, 0, 1};
  }

  boxes[kFirstCutBox] =
      ColorBox{0, kMaxCoordinate, 0, kMaxCoordinate, 0, kMaxCoordinate, 0, 0, 0, 0};
  Shrink(boxes[kFirstCutBox]);
  for (int n = kFirstCutBox + 1; n < kPaletteSize; ++n) {
    int chosen = kFirstCutBox;
    for (int i = kFirstCutBox + 1; i < n; ++i) {
      if (boxes[i].population > boxes[chosen].population) chosen = i;
    }
    Cut(boxes[chosen], boxes[n]);
    Shrink(boxes[n]);
    Shrink(boxes[chosen]);
  }

  for (int i = 0; i < kPaletteSize; ++i) {
    red[i] = PaletteComponent(boxes[i].rMin, boxes[i].rMax);
    green[i] = PaletteComponent(boxes[i].gMin, boxes[i].gMax);
    blue[i] = PaletteComponent(boxes[i].bMin, boxes[i].bMax);
  }
  return true;
}

void QuantContext::Cut(ColorBox& a, ColorBox& n) {
  n = a;
  int dR = a.rMax - a.rMin;
  int dG = a.gMax - a.gMin;
  int dB = a.bMax - a.bMin;

  SHORT ColorBox::*min = &ColorBox::bMin;
  SHORT ColorBox::*max = &ColorBox::bMax;
  DWORD ColorBox::*mean = &ColorBox::bMean;
  int side = dB;
  if (dR >= dG && dR >= dB) {  // ties prefer red, then green
    min = &ColorBox::rMin;
    max = &ColorBox::rMax;
    mean = &ColorBox::rMean;
    side = dR;
  } else if (dG >= dB) {
    min = &ColorBox::gMin;
    max = &ColorBox::gMax;
    mean = &ColorBox::gMean;
    side = dG;
  }

  if (side == 2) {
    // Cutting at the mean would leave one box of a single plane; the middle plane
    // goes to neither box instead.
    n.*max = n.*min;
    a.*min = a.*max;
    return;
  }
  // An empty box's mean is 0 and a filled box's lies inside its bounds, so s stays
  // within -1..30 and both halves within the cube.
  int s = static_cast<int>(a.*mean);
  if (s == a.*max) s = a.*max - 1;
  a.*max = static_cast<SHORT>(s);
  n.*min = static_cast<SHORT>(s + 1);
}

void QuantContext::Shrink(ColorBox& box) const {
  const ColorBox old = box;
  box.rMin = box.gMin = box.bMin = kMaxCoordinate;
  box.rMax = box.gMax = box.bMax = 0;

  // 64-bit sums: 32768 cells of 65535 pixels weighted by 31 exceed 32 bits, and a
  // wrapped sum would put the mean, and so the next cut, outside the box.
  uint64_t rSum = 0, gSum = 0, bSum = 0, total = 0;
  for (int r = old.rMin; r <= old.rMax; ++r) {
    for (int g = old.gMin; g <= old.gMax; ++g) {
      for (int b = old.bMin; b <= old.bMax; ++b) {
        const HistCell* cell = cells[CellNumber(r, g, b)];
        if (cell == nullptr || cell->count == 0) continue;
        DWORD c = cell->count;
        box.rMin = std::min<SHORT>(box.rMin, r), box.rMax = std::max<SHORT>(box.rMax, r);
        box.gMin = std::min<SHORT>(box.gMin, g), box.gMax = std::max<SHORT>(box.gMax, g);
        box.bMin = std::min<SHORT>(box.bMin, b), box.bMax = std::max<SHORT>(box.bMax, b);
        rSum += uint64_t{c} * r;
        gSum += uint64_t{c} * g;
        bSum += uint64_t{c} * b;
        total += c;
      }
    }
  }

  box.rMean = total != 0 ? static_cast<DWORD>(rSum / total) : 0;
  box.gMean = total != 0 ? static_cast<DWORD>(gSum / total) : 0;
  box.bMean = total != 0 ? static_cast<DWORD>(bSum / total) : 0;
  box.population = static_cast<DWORD>(std::min<uint64_t>(total, kMaxCount));
  if (box.rMin == box.rMax && box.gMin == box.gMax && box.bMin == box.bMax) box.population = 1;
}

int QuantContext::SearchPaletteIndex(int number, BYTE r, BYTE g, BYTE b) {
  HistCell* cell = cells[number];
  if (cell == nullptr && (cell = NewCell(number, 0)) == nullptr) return -1;
  int best = 0;
  DWORD bestDistance = squares[std::abs(r - red[0])] + squares[std::abs(g - green[0])] +
                       squares[std::abs(b - blue[0])];
  for (int i = 1; i < kPaletteSize && bestDistance != 0; ++i) {
    // Terms are never negative, so a partial sum that is not smaller settles it.
    DWORD d = squares[std::abs(r - red[i])];
    if (d >= bestDistance) continue;
    d += squares[std::abs(g - green[i])];
    if (d >= bestDistance) continue;
    d += squares[std::abs(b - blue[i])];
    if (d < bestDistance) {  // strictly: the lowest entry wins ties
      best = i;
      bestDistance = d;
    }
  }
  cell->index = best;
  return best;
}
