// The Win32 subset the system calls, stood in over POSIX.
#pragma once

#include "winbase.h"
#include "windef.h"
#include "wingdi.h"
#include "winuser.h"
#include "winuser_dialogs.h"
