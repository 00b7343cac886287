// The framework's windowing part; one header per class.
#pragma once

#include <afx.h>
#include <windows.h>

#include <mfc/messagebox.h>
#include <mfc/winapp.h>
