// kernel32: global memory, modules, files, the Windows directory, and the C
// run-time helpers the system uses.
#pragma once

#include "windef.h"

typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;

extern "C" {

// Global memory. Handles know their size; a stale or foreign handle fails the way
// Win32 fails (NULL / FALSE) instead of touching memory.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

HGLOBAL WINAPI GlobalAlloc(UINT flags, size_t bytes);
LPVOID WINAPI GlobalLock(HGLOBAL mem);
BOOL WINAPI GlobalUnlock(HGLOBAL mem);
HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
size_t WINAPI GlobalSize(HGLOBAL mem);
// The handle of a block from the address GlobalLock returned for it; NULL otherwise.
HGLOBAL WINAPI GlobalHandle(LPCVOID mem);

#define HEAP_ZERO_MEMORY 0x00000008
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_CURRENT_DIRECTORY 16
#define ERROR_NOT_SAME_DEVICE 17
#define ERROR_WRITE_PROTECT 19
#define ERROR_CRC 23
#define ERROR_SEEK 25
#define ERROR_WRITE_FAULT 29
#define ERROR_READ_FAULT 30
#define ERROR_GEN_FAILURE 31
#define ERROR_SHARING_VIOLATION 32
#define ERROR_LOCK_VIOLATION 33
#define ERROR_HANDLE_EOF 38
#define ERROR_HANDLE_DISK_FULL 39
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_SEEK_ON_DEVICE 132
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_BAD_PATHNAME 161
#define ERROR_BUSY 170
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_IO_DEVICE 1117

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size);
DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR fileName, LPCSTR extension, DWORD bufferLength,
                         LPSTR buffer, LPSTR* filePart);
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);
BOOL WINAPI CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
// Never replaces an existing file (ERROR_ALREADY_EXISTS).
BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);

int wsprintfA(LPSTR buffer, LPCSTR format, ...);

// Milliseconds since an arbitrary start, wrapping after about 49.7 days; and a pause
// of the calling thread.
#define INFINITE 0xFFFFFFFF  // a time-out that never ends

DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD milliseconds);

// C run-time helpers of the Microsoft library.
#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t n);

}  // extern "C"
