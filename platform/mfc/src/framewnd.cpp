// CFrameWnd.
#include <afxwin.h>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() = default;
