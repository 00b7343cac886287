// SCRNPICK's resource numbers.
#pragma once

#define IDD_SCRNPICK_DIALOG 130
#define IDC_PROFILE_LIST 1001
#define IDC_STATIC (-1)
