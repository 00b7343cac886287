#include "bitmap/ImagePalette.h"

#include "bitmap/Dib.h"

#include <cstdlib>

CImagePalette::CImagePalette() = default;

CImagePalette::~CImagePalette() { DeleteObject(); }

BOOL CImagePalette::CreateFromDIB(CDIB* pDIB, const CColorMapSource* pColorSource) {
  LPLOGPALETTE lpPal = CreateDIBLogPalette(pDIB, pColorSource);
  if (lpPal == nullptr) return FALSE;
  // A second call replaces the palette rather than leaking the first one.
  DeleteObject();
  BOOL bAttached = Attach(::CreatePalette(lpPal));
  std::free(lpPal);
  return bAttached;
}
