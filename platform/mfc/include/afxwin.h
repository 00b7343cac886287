// The framework's windowing part; one header per class.
#pragma once

#include <afx.h>
#include <windows.h>

#include <mfc/dc.h>
#include <mfc/gdiobject.h>
#include <mfc/messagebox.h>
#include <mfc/palette.h>
#include <mfc/winapp.h>
