// The thread's last-error code.
#include <windows.h>

namespace {
thread_local DWORD g_lastError = ERROR_SUCCESS;
}

extern "C" {

/***********************************************************************
 * GetLastError
 * The calling thread's last-error code.
 */
DWORD WINAPI GetLastError(void) { return g_lastError; }

/***********************************************************************
 * SetLastError
 * Sets the calling thread's last-error code.
 */
void WINAPI SetLastError(DWORD error) { g_lastError = error; }

}  // extern "C"
