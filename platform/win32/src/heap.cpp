// The process heap: HeapAlloc and HeapFree over the C heap, for small records that
// need no handle. The allocation a test has armed to fail returns NULL, so callers'
// failure paths run without a hook of their own.
#include <windows.h>

#include <platform/faults.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// The one heap there is; its handle is only ever compared.
int g_processHeap;
std::atomic<unsigned long> g_failCountdown{0};

bool ArmedToFail() {
  unsigned long n = g_failCountdown.load();
  while (n != 0 && !g_failCountdown.compare_exchange_weak(n, n - 1)) {
  }
  return n == 1;
}

}  // namespace

extern "C" {

/***********************************************************************
 * GetProcessHeap
 * The handle of the process heap; never NULL.
 */
HANDLE WINAPI GetProcessHeap(void) { return &g_processHeap; }

/***********************************************************************
 * HeapAlloc
 * A block of bytes (zero-filled with HEAP_ZERO_MEMORY) from the process heap; NULL
 * with ERROR_NOT_ENOUGH_MEMORY when it cannot be had, ERROR_INVALID_HANDLE for any
 * other heap. Unlike Windows, HEAP_GENERATE_EXCEPTIONS is ignored: failure is NULL.
 */
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  if (heap != &g_processHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* block = ArmedToFail() ? nullptr : std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if ((flags & HEAP_ZERO_MEMORY) != 0) std::memset(block, 0, bytes);
  return block;
}

/***********************************************************************
 * HeapFree
 * Returns a block to the process heap; NULL is accepted. FALSE with
 * ERROR_INVALID_HANDLE for any other heap.
 */
BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID block) {
  if (heap != &g_processHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::free(block);
  return TRUE;
}

}  // extern "C"

namespace platform::faults {

void FailNthHeapAlloc(unsigned long n) { g_failCountdown.store(n); }

}  // namespace platform::faults
