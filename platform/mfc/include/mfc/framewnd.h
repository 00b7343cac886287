// CFrameWnd: the framework's frame window class, registered so that a program can
// name its frame class. Frames are never made here: the programs on this platform
// have dialogs or subclassed windows only.
#pragma once

#include <mfc/wnd.h>

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)

 public:
  CFrameWnd();
  ~CFrameWnd() override;
};
