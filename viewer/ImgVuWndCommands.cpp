// The window's context menu and its commands: showing the image again, saving a copy
// of the file, printing, and the engine's About box.
//
// Texts built from the document's file name are cut to the buffers the commands have
// always used (the menu text 256 bytes, the extension 8, a print job name 84), never
// overflowing them.
#include <afxdlgs.h>

#include "bitmap/Dib.h"
#include "color/ColorEngine.h"
#include "plugin/PluginInstance.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace {

constexpr DWORD kPrintFlags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS |
                              PD_HIDEPRINTTOFILE | PD_NOSELECTION;
constexpr int kMenuTextBuffer = 256;
constexpr int kExtensionBuffer = 8;
constexpr int kJobNameBuffer = 84;

// "®" is the one byte 0xAE of code page 1252.
constexpr const char* kAboutText = "About Zelcora\xAE Glimmora Viewer Plug-in...";

struct FileNameParts {
  CString strBase;       // no drive, no directory, no extension
  CString strExtension;  // with its dot
};

FileNameParts SplitFileName(const CString& strPath) {
  char szName[_MAX_FNAME];
  char szExt[_MAX_EXT];
  _splitpath(strPath, nullptr, nullptr, szName, szExt);
  return FileNameParts{CString(szName), CString(szExt).Left(kExtensionBuffer - 1)};
}

// The text formatted with the file's base name and extension, cut to fit a buffer of
// nBuffer bytes with its terminator.
CString WithFileName(const char* pszFormat, const CString& strPath, int nBuffer) {
  FileNameParts parts = SplitFileName(strPath);
  CString strText;
  strText.Format(pszFormat, (LPCTSTR)parts.strBase, (LPCTSTR)parts.strExtension);
  return strText.Left(nBuffer - 1);
}

}  // namespace

void CImgVuWnd::OnRButtonDown(UINT, CPoint point) {
  Default();
  CImgVuDoc* pDoc = Document();
  if (pDoc == nullptr) return;
  CMenu menu;
  if (!menu.Attach(::CreatePopupMenu())) return;
  CString strView = WithFileName("View this Image (%s%s)", pDoc->m_strFileName, kMenuTextBuffer);
  menu.AppendMenu(MF_STRING, ID_VIEW_IMAGE, strView);
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, ID_SAVE_AS, "Save as...");
  menu.AppendMenu(MF_STRING, ID_PRINT_IMAGE, "Print...");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, ID_ABOUT, kAboutText);
  ClientToScreen(&point);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this, nullptr);
  menu.DestroyMenu();
}

void CImgVuWnd::OnViewImage() {
  CImgVuDoc* pDoc = Document();
  if (pDoc == nullptr) return;
  g_bEmbeddedProfile = 0;
  CString strFileName = pDoc->m_strFileName;
  pDoc->Open(this, strFileName);
}

void CImgVuWnd::OnSaveAs() {
  CImgVuDoc* pDoc = Document();
  if (pDoc == nullptr) return;
  bool bTiff = pDoc->m_nImageType == 1;
  CFileDialog dlg(FALSE, bTiff ? "TIF" : "JPG", SplitFileName(pDoc->m_strFileName).strBase,
                  OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  bTiff ? "TIFF (*.TIF)|*.TIF||" : "JPEG (*.JPG)|*.JPG||", nullptr);
  if (dlg.DoModal() != IDOK) return;
  // The dialog has asked about replacing a file; the copy is the file the browser
  // delivered, byte for byte. A copy that fails leaves no file of that name behind.
  CString strTarget = dlg.GetPathName();
  if (!CopyFileA(pDoc->m_strFileName, strTarget, FALSE))
    PluginMessageBox("Failed in saving file " + strTarget);
}

void CImgVuWnd::OnAbout() {
  if (g_pColorEngine != nullptr) g_pColorEngine->ShowAbout();
}

void CImgVuWnd::OnPrint() {
  CImgVuDoc* pDoc = Document();
  // Nothing to print after a failed load: no dialog either.
  if (pDoc == nullptr || pDoc->m_pDIB == nullptr) return;

  CPrintDialog dlg(FALSE, kPrintFlags, nullptr);
  if (dlg.DoModal() != IDOK) return;
  HDC hPrinter = dlg.GetPrinterDC();
  if (hPrinter == nullptr) {
    PluginMessageBox("Error occurs in Printing");
    return;
  }
  CDC dc;
  dc.Attach(hPrinter);
  dc.StartDoc(WithFileName("%s%s", pDoc->m_strFileName, kJobNameBuffer));
  for (int nCopy = 0; nCopy < dlg.GetCopies(); ++nCopy) {
    // A page that cannot be started is not drawn: the job is abandoned.
    if (dc.StartPage() < 0) {
      PluginMessageBox("Error occurs in Printing");
      dc.AbortDoc();
      dc.DeleteDC();
      return;
    }
    pDoc->m_pDIB->Print(&dc);
    if (dc.EndPage() < 0) {
      PluginMessageBox("Error occurs in Printing");
      break;
    }
  }
  dc.EndDoc();
  dc.DeleteDC();
}
