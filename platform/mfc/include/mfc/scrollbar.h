// CScrollBar: a scroll-bar control, named here so that scroll handlers keep their
// signature. The standard bars of a window have no control object: handlers get
// null for them.
#pragma once

#include <mfc/wnd.h>

class CScrollBar : public CWnd {};
