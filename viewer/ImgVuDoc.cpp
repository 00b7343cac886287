// The viewer document: construction of the module state it shares, the extension
// dispatch, the JPEG load path and showing the bitmap in the window. The TIFF path
// is in ImgVuDocTiff.cpp.
//
// No exception leaves Open: a reader or an allocation that throws ends the load as a
// failure, and every owned pointer is cleared before its replacement is made, so none
// is left pointing at a deleted object.
#include "viewer/ImgVuDoc.h"

#include <algorithm>
#include <climits>
#include <new>

#include "bitmap/Dib.h"
#include "bitmap/ImagePalette.h"
#include "bitmap/ViewBudget.h"
#include "jpeg/Jpg.h"
#include "tiff/Tiff.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"
#include "viewer/OwnedPointer.h"

namespace {

constexpr UINT kWindowsDirBuffer = 256;

// The Windows directory ending in one backslash; empty when the system cannot give
// one that fits the buffer, and then no profile is saved at all (ProfilePathIn).
CString WindowsDirectory() {
  char szDir[kWindowsDirBuffer];
  UINT nLength = GetWindowsDirectoryA(szDir, kWindowsDirBuffer);
  if (nLength == 0 || nLength >= kWindowsDirBuffer) return CString();
  CString strDir(szDir, static_cast<int>(nLength));
  if (strDir[nLength - 1] != '\\') strDir += '\\';
  return strDir;
}

bool IsLetter(char ch, char lower) { return ch == lower || ch == lower - 'a' + 'A'; }

// Whether the path ends in a dot and the three letters, each in either case.
bool HasExtension(const CString& strPath, const char* pszLower) {
  int n = strPath.GetLength();
  return strPath[n - 4] == '.' && IsLetter(strPath[n - 3], pszLower[0]) &&
         IsLetter(strPath[n - 2], pszLower[1]) && IsLetter(strPath[n - 1], pszLower[2]);
}

// The largest scroll offset along one axis: picture minus client, at least 0.
int ScrollMax(long long llPicture, int nClient) {
  return static_cast<int>(std::clamp<long long>(llPicture - nClient, 0, INT_MAX));
}

}  // namespace

CImgVuDoc::CImgVuDoc()
    : m_nDisplayMode(0),
      m_bPaletteDisplay(0),
      m_nImageType(0),
      m_pDIB(nullptr),
      m_pTIFF(nullptr),
      m_pJPG(nullptr),
      m_pImagePalette(nullptr) {
  g_pCurrentWnd = nullptr;
  AcquireColorEngine();
  g_bEmbeddedProfile = 0;
  for (CString& strPath : g_strProfilePaths) strPath.Empty();
  g_nProfilePaths = 0;
  g_strWindowsDir = WindowsDirectory();
}

CImgVuDoc::~CImgVuDoc() {
  Discard(m_pDIB);
  Discard(m_pTIFF);
  Discard(m_pJPG);
  Discard(m_pImagePalette);
  ReleaseColorEngine();
}

void CImgVuDoc::LetGo() {
  RetainColorEngine();
  delete this;
}

int CImgVuDoc::Open(CImgVuWnd* pWnd, const CString& strFileName) {
  g_pCurrentWnd = pWnd;
  if (m_strFileName.IsEmpty()) m_strFileName = strFileName;
  try {
    // Without a window the screen is asked.
    m_bPaletteDisplay = IsPaletteDisplay(pWnd != nullptr ? pWnd->m_hWnd : nullptr);
    return LoadByExtension(m_strFileName);
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
    // A load that runs out of memory loads nothing; the objects made so far are owned.
  }
  return 0;
}

int CImgVuDoc::LoadByExtension(const CString& strPath) {
  // At least one character before the four-character extension.
  if (strPath.GetLength() < 5) return 0;
  if (HasExtension(strPath, "jpg")) {
    m_nImageType = 0;
    return LoadJpeg(strPath);
  }
  if (HasExtension(strPath, "tif")) {
    m_nImageType = 1;
    return LoadTiff(strPath);
  }
  return 0;
}

int CImgVuDoc::LoadJpeg(const CString& strPath) {
  Renew(m_pDIB);
  Renew(m_pJPG);
  if (!m_pJPG->ConvertToDIB(strPath, m_pDIB)) {
    PluginMessageBox("Failed in converting to DIB file");
    Discard(m_pDIB);
    Discard(m_pJPG);
    return 0;
  }
  int nBits = m_pDIB->BitCount();
  if (m_bPaletteDisplay == 1 && nBits > 8) {
    // Both renderings are shown, so the matched pixels need 8 bits as well, but only
    // after the decoded ones got them: the blocks share one header. The palette is
    // made last, from the colour table the pixels end up with.
    if (m_pDIB->Quantize() && m_pDIB->m_hMatchedBits != nullptr) m_pDIB->QuantizeMatched();
    m_pDIB->MakePalette(nullptr);
  } else if (nBits == 8) {
    m_pDIB->MakePalette(nullptr);
  }
  Show(g_pCurrentWnd);
  return 1;
}

int CImgVuDoc::Show(CImgVuWnd* pWnd) {
  if (m_pDIB == nullptr || pWnd == nullptr) return 0;
  CDC* pDC = pWnd->GetDC();
  if (pDC == nullptr) return 0;
  // Without a palette object (the JPEG path) the bitmap's own palette holds the
  // colours its pixels were reduced to.
  if (CPalette* pPalette = ShownPalette()) {
    pDC->SelectPalette(pPalette, TRUE);
    pDC->RealizePalette();
  }

  // Measured once: the bars shown below take client space, but the ranges are those
  // of the area as it was.
  CRect rcClient;
  pWnd->GetClientRect(&rcClient);
  rcClient.NormalizeRect();
  int cw = rcClient.Width();
  int ch = rcClient.Height();
  long long w = m_pDIB->Width();
  if (m_nDisplayMode != kEmbeddedMode) w *= 2;  // decoded and matched side by side
  long long h = m_pDIB->Height();

  pWnd->m_nHScrollMax = ScrollMax(w, cw);
  pWnd->m_nHScrollPos = std::min(pWnd->m_nHScrollPos, pWnd->m_nHScrollMax);
  pWnd->m_nVScrollMax = ScrollMax(h, ch);
  pWnd->m_nVScrollPos = std::min(pWnd->m_nVScrollPos, pWnd->m_nVScrollMax);

  bool bHorz = cw < w;
  bool bVert = ch < h;
  if (bHorz) pWnd->SetScrollRange(SB_HORZ, 0, pWnd->m_nHScrollMax, TRUE);
  if (bVert) pWnd->SetScrollRange(SB_VERT, 0, pWnd->m_nVScrollMax, TRUE);
  if (bHorz && bVert)
    pWnd->ShowScrollBar(SB_BOTH, TRUE);
  else if (bHorz)
    pWnd->ShowScrollBar(SB_HORZ, TRUE);
  else if (bVert)
    pWnd->ShowScrollBar(SB_VERT, TRUE);
  else
    pWnd->ShowScrollBar(SB_BOTH, FALSE);

  m_pDIB->Draw(pDC, pWnd->m_nHScrollPos, pWnd->m_nVScrollPos, m_nDisplayMode);
  pWnd->ReleaseDC(pDC);
  return 1;
}

CPalette* CImgVuDoc::ShownPalette() const {
  if (m_pImagePalette != nullptr) return m_pImagePalette;
  return m_pDIB != nullptr ? m_pDIB->m_pPalette : nullptr;
}

int CImgVuDoc::RepaintForPalette(CImgVuWnd* pWnd) {
  if (ShownPalette() == nullptr || pWnd == nullptr) return 0;
  pWnd->InvalidateRect(nullptr, TRUE);
  return 1;
}
