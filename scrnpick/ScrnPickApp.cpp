// CScrnPickApp and the program's one application object.
#include "scrnpick/ScrnPickApp.h"

#include "scrnpick/ScrnPickDlg.h"

CScrnPickApp theApp;

BOOL CScrnPickApp::InitInstance() {
  Enable3dControls();
  CScrnPickDlg dlg;
  dlg.DoModal();
  return TRUE;
}
