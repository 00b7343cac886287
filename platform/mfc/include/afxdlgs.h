// The framework's common dialogs; one header per class.
#pragma once

#include <afxwin.h>
#include <commdlg.h>

#include <mfc/filedialog.h>
#include <mfc/printdialog.h>
