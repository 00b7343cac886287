// CPalette: a GDI logical palette.
#pragma once

#include <mfc/gdiobject.h>

class CPalette : public CGdiObject {
  DECLARE_DYNAMIC(CPalette)

 public:
  CPalette();

  // The permanent or a temporary wrapper; null for a null handle or one whose
  // permanent wrapper is not a CPalette.
  static CPalette* PASCAL FromHandle(HPALETTE hPalette);

  // Creates the GDI palette and attaches it; FALSE when one is already attached or
  // CreatePalette refuses the record.
  BOOL CreatePalette(LPLOGPALETTE lpLogPalette);
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }

  // Entries in the palette; 0 with none attached.
  int GetEntryCount();
  UINT GetPaletteEntries(UINT nStartIndex, UINT nNumEntries, LPPALETTEENTRY lpPaletteColors) const;
};
