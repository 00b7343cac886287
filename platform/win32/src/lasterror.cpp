// The thread's last-error code.
#include <windows.h>

namespace {
thread_local DWORD g_lastError = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) { return g_lastError; }

void WINAPI SetLastError(DWORD error) { g_lastError = error; }

}  // extern "C"
