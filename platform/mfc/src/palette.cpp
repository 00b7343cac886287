// CPalette: creating logical palettes and reading their entries.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CPalette, CGdiObject)

CPalette::CPalette() = default;

CPalette* PASCAL CPalette::FromHandle(HPALETTE hPalette) {
  return dynamic_cast<CPalette*>(CGdiObject::FromHandle(hPalette));
}

BOOL CPalette::CreatePalette(LPLOGPALETTE lpLogPalette) {
  if (m_hObject != nullptr) return FALSE;  // attaching would fail and leak the new palette
  return Attach(::CreatePalette(lpLogPalette));
}

int CPalette::GetEntryCount() {
  if (m_hObject == nullptr) return 0;
  return static_cast<int>(::GetPaletteEntries(static_cast<HPALETTE>(m_hObject), 0, 0, nullptr));
}

UINT CPalette::GetPaletteEntries(UINT nStartIndex, UINT nNumEntries,
                                 LPPALETTEENTRY lpPaletteColors) const {
  return ::GetPaletteEntries(static_cast<HPALETTE>(m_hObject), nStartIndex, nNumEntries,
                             lpPaletteColors);
}
