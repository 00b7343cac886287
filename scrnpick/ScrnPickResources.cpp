// SCRNPICK's resources: the chooser dialog's template.
#include "scrnpick/Resource.h"

#include <platform/dialogresource.h>
#include <windows.h>

namespace {

const platform::DialogTemplate kChooserDialog = {
    DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    0,
    0,
    240,
    137,
    "Monitor Profile Selection",
    "MS Sans Serif",
    8,
    {
        {IDOK, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 173, 23, 50, 14,
         "OK"},
        {IDCANCEL, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 173, 41, 50, 14,
         "Cancel"},
        {IDC_STATIC, "BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 7, 7, 227, 125,
         "Please select a Monitor Profile"},
        {IDC_PROFILE_LIST, "LISTBOX",
         WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER |
             LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
         19, 21, 146, 96, ""},
    }};

platform::DialogResource g_chooserDialogResource(IDD_SCRNPICK_DIALOG, kChooserDialog);

}  // namespace
