// CMainFrame: SCRNPICK's frame window class. It is registered (dynamically creatable)
// but never made: the program's only window is its dialog.
#pragma once

#include <afxwin.h>

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)

 protected:
  CMainFrame();

 public:
  ~CMainFrame() override;
};
