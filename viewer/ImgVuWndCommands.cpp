// The window's commands: printing the document's bitmap.
//
// Texts built from the document's file name are cut to the buffers the commands have
// always used (a print job name of 84 bytes), never overflowing them.
#include <afxdlgs.h>

#include "bitmap/Dib.h"
#include "plugin/PluginInstance.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace {

constexpr DWORD kPrintFlags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS |
                              PD_HIDEPRINTTOFILE | PD_NOSELECTION;
constexpr int kJobNameBuffer = 84;

// The file's base name followed by its extension (with its dot), cut to fit a buffer
// of nBuffer bytes with its terminator.
CString BaseNameAndExtension(const CString& strPath, int nBuffer) {
  char szName[_MAX_FNAME];
  char szExt[_MAX_EXT];
  _splitpath(strPath, nullptr, nullptr, szName, szExt);
  CString strText;
  strText.Format("%s%s", szName, szExt);
  return strText.Left(nBuffer - 1);
}

}  // namespace

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
  dc.StartDoc(BaseNameAndExtension(pDoc->m_strFileName, kJobNameBuffer));
  for (int nCopy = 0; nCopy < dlg.GetCopies(); ++nCopy) {
    // A page that cannot be started is still drawn and ended.
    if (dc.StartPage() < 0) PluginMessageBox("Error occurs in Printing");
    pDoc->m_pDIB->Print(&dc);
    if (dc.EndPage() < 0) {
      PluginMessageBox("Error occurs in Printing");
      break;
    }
  }
  dc.EndDoc();
  dc.DeleteDC();
}
