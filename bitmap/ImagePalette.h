// CImagePalette: the GDI palette the viewer selects when it paints a TIFF image,
// built from a CDIB's colour table or from the TIFF reader's colour map. It has no
// run-time class of its own and reports CPalette's.
#pragma once

#include <afx.h>
#include <afxwin.h>
#include <windows.h>

class CDIB;
class CColorMapSource;

class CImagePalette : public CPalette {
 public:
  CImagePalette();
  ~CImagePalette() override;

  // Builds the palette from the bitmap's NumColors entries, taking entries from the
  // colour map of pColorSource (when given) as far as that map goes; those entries
  // are also written into the bitmap's colour table. FALSE when the bitmap has no
  // colour table or the palette cannot be made.
  BOOL CreateFromDIB(CDIB* pDIB, const CColorMapSource* pColorSource);
};
