// CScrnPickApp: SCRNPICK's application object. Start-up runs the chooser dialog once;
// as no main window is made, the program then ends with exit code 0.
#pragma once

#include <afxwin.h>

class CScrnPickApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
