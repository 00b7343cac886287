// The TIFF branch of the load pipeline: read and convert through CTIFF, make the
// palette the window selects when it paints, turn the top-down rows the reader wrote
// into the bitmap's order, show.
#include <afx.h>

#include "bitmap/Dib.h"
#include "bitmap/ImagePalette.h"
#include "tiff/Tiff.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ModuleState.h"
#include "viewer/OwnedPointer.h"

namespace {

// A reader step that raises counts as a failed one: non-zero, like the reader's own
// failure results.
template <class Step>
int Guarded(Step step) {
  try {
    return step();
  } catch (CException* e) {
    e->Delete();
    return -1;
  }
}

}  // namespace

int CImgVuDoc::LoadTiff(const CString& strPath) {
  CFile file;
  CFileException fileError;
  if (!file.Open(strPath, CFile::modeRead | CFile::shareDenyWrite, &fileError)) return 0;

  Renew(m_pTIFF);
  Renew(m_pDIB);
  if (Guarded([&] { return m_pTIFF->Read(&file); }) != 0) {
    PluginMessageBox("Failed in reading TIFF file");
    // The new bitmap holds only its placeholder: nothing of this file is worth drawing.
    Discard(m_pDIB);
    Discard(m_pTIFF);
    return 0;
  }
  if (Guarded([&] { return m_pTIFF->ConvertToDIB(&file, m_pDIB); }) != 0) {
    PluginMessageBox("Failed in TIFF2DIB conversion");
    Discard(m_pDIB);
    Discard(m_pTIFF);
    return 0;
  }

  int nBits = m_pDIB->BitCount();
  Discard(m_pImagePalette);
  BOOL bPalette = TRUE;
  if (m_bPaletteDisplay == 1 && nBits > 8) {
    Renew(m_pImagePalette);
    // Both pixel blocks share the colour table the last quantizing leaves, so the
    // palette is made from that one; the matched pixels are reduced only after the
    // decoded ones were, or the shared header would describe neither.
    if (m_pDIB->Quantize() && m_pDIB->m_hMatchedBits != nullptr) m_pDIB->QuantizeMatched();
    bPalette = m_pImagePalette->CreateFromDIB(m_pDIB, nullptr);
  } else if (nBits == 8) {
    Renew(m_pImagePalette);
    bPalette = m_pImagePalette->CreateFromDIB(m_pDIB, m_pTIFF);
  }

  // The reader wrote the first row first; the bitmap is drawn the right way up even
  // when it is kept without a palette.
  m_pDIB->InvertHeight();
  if (!bPalette) {
    PluginMessageBox("Failed to create palette from DIB file");
    Discard(m_pImagePalette);
    return 0;
  }
  Show(g_pCurrentWnd);
  return 1;
}
