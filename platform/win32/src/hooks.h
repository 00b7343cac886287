// The window-creation hooks (WH_CBT), as CreateWindowExA calls them.
#pragma once

#include <windows.h>

namespace platform::user {

// Runs the hook chain from the newest hook; 0 when there are no hooks.
LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam);

}  // namespace platform::user
