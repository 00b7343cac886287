// The viewer document of one plug-in instance: the load pipeline from a file name to
// a bitmap shown in the instance's window.
#pragma once

#include <afx.h>

class CDIB;
class CTIFF;
class CJPG;
class CImagePalette;
class CPalette;
class CImgVuWnd;

class CImgVuDoc {
 public:
  CImgVuDoc();
  ~CImgVuDoc();

  CImgVuDoc(const CImgVuDoc&) = delete;
  CImgVuDoc& operator=(const CImgVuDoc&) = delete;

  // Loads the first file name this document received and shows it: 1 when shown.
  int Open(CImgVuWnd* pWnd, const CString& strFileName);
  int LoadByExtension(const CString& strPath);
  int LoadJpeg(const CString& strPath);
  int LoadTiff(const CString& strPath);

  // Draws the bitmap into the window and sets its scroll bars: 1 when drawn.
  int Show(CImgVuWnd* pWnd);
  // The palette Show realises: the palette object, else the bitmap's own; or null.
  CPalette* ShownPalette() const;
  // Repaints pWnd, which heard that the system palette changed, when Show realises a
  // palette for this document: 1 when done.
  int RepaintForPalette(CImgVuWnd* pWnd);

  // Deletes the document but keeps the module's engine binding, which other
  // documents of this module load may still use.
  void LetGo();

  CString m_strFileName;
  // The instance's NPAPI mode, recorded by NPP_StreamAsFile: NP_EMBED shows the
  // matched image alone, any other both side by side. Kept per document, because
  // instances of both modes may live in one load of the module.
  int m_nDisplayMode;
  int m_bPaletteDisplay;
  int m_nImageType;  // 0 JPEG, 1 TIFF
  CDIB* m_pDIB;
  CTIFF* m_pTIFF;
  CJPG* m_pJPG;
  CImagePalette* m_pImagePalette;
};
