// The colour map a palette can be built from: entries on TIFF's 0..65535 scale,
// owned by whoever reads them from a file. The palette builders take the map through
// this base of the TIFF reader, so the bitmap library never needs the reader itself.
#pragma once

#include <cstdint>

// One colour-map entry, each value on TIFF's 0..65535 scale.
struct ColorMapEntry {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

class CColorMapSource {
 public:
  ColorMapEntry* m_pColorMap = nullptr;  // null when there is no colour map
  // Entries of m_pColorMap (0 when there is none, at most 256): readers of the map
  // never go past it.
  int m_nColorMapEntries = 0;
};
