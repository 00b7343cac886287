// A logical palette: the entries CreatePalette copied, nothing more.
#pragma once

#include "gdiobj.h"

#include <vector>

namespace platform::gdi {

class LogicalPalette : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::Palette;
  explicit LogicalPalette(std::vector<PALETTEENTRY> entries)
      : GdiObject(kKind), m_entries(std::move(entries)) {}

  const std::vector<PALETTEENTRY>& Entries() const { return m_entries; }

 private:
  std::vector<PALETTEENTRY> m_entries;
};

// The stock DEFAULT_PALETTE: the 20 static colours.
HPALETTE DefaultPalette();

}  // namespace platform::gdi
