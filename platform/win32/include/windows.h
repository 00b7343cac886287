// The Win32 subset the system calls, stood in over POSIX.
#pragma once

#include "windef.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "winuser_dialogs.h"
