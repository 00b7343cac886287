// The framework's windowing part; one header per class.
#pragma once

#include <afx.h>
#include <windows.h>

#include <mfc/clientdc.h>
#include <mfc/cmdtarget.h>
#include <mfc/dataexchange.h>
#include <mfc/dc.h>
#include <mfc/dialog.h>
#include <mfc/framewnd.h>
#include <mfc/gdiobject.h>
#include <mfc/listbox.h>
#include <mfc/menu.h>
#include <mfc/messagebox.h>
#include <mfc/msgmap.h>
#include <mfc/paintdc.h>
#include <mfc/palette.h>
#include <mfc/point.h>
#include <mfc/rect.h>
#include <mfc/scrollbar.h>
#include <mfc/size.h>
#include <mfc/userexception.h>
#include <mfc/winapp.h>
#include <mfc/wnd.h>
