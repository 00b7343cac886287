// Global memory: GlobalAlloc and friends over the C heap.
//
// A handle is the address of a block record that the table below knows; every call
// looks the handle up first, so a freed or foreign handle fails (NULL, FALSE, 0) as
// on Win32 instead of touching memory. GMEM_FIXED blocks use the data address as
// their handle, as Win32 does. Blocks above the ceiling, and the allocation a test
// has armed to fail, return NULL with ERROR_NOT_ENOUGH_MEMORY.
#include <windows.h>

#include <platform/memory.h>
#include <platform/testing.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr std::size_t kDefaultLimit = std::size_t{1} << 30;

struct Block {
  std::size_t size = 0;
  unsigned locks = 0;
  UINT flags = 0;
  std::unique_ptr<unsigned char[]> data;
};

struct GlobalHeap {
  std::mutex lock;
  std::unordered_map<HGLOBAL, std::unique_ptr<Block>> blocks;
  std::size_t limit = 0;  // 0: not read from the environment yet
  unsigned long failCountdown = 0;
  int fill = -1;  // byte for blocks without GMEM_ZEROINIT; -1: none
};

GlobalHeap& Heap() {
  static GlobalHeap* heap = new GlobalHeap;  // outlives static destructors of other modules
  return *heap;
}

std::size_t LimitFromEnvironment() {
  const char* text = std::getenv("PLATFORM_GLOBAL_LIMIT");
  if (text == nullptr || *text == '\0') return kDefaultLimit;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || value == 0) return kDefaultLimit;
  return static_cast<std::size_t>(value);
}

std::size_t CurrentLimit(GlobalHeap& heap) {
  if (heap.limit == 0) heap.limit = LimitFromEnvironment();
  return heap.limit;
}

Block* Find(GlobalHeap& heap, HGLOBAL mem) {
  auto it = heap.blocks.find(mem);
  return it == heap.blocks.end() ? nullptr : it->second.get();
}

}  // namespace

extern "C" {

/***********************************************************************
 * GlobalAlloc
 * A block of bytes, zeroed with GMEM_ZEROINIT; GMEM_MOVEABLE hands out a handle to
 * lock, otherwise the handle is the address. NULL with ERROR_NOT_ENOUGH_MEMORY above
 * the ceiling (1 GiB, or PLATFORM_GLOBAL_LIMIT), when the heap refuses, or when a test
 * armed this allocation to fail.
 */
HGLOBAL WINAPI GlobalAlloc(UINT flags, size_t bytes) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  if (heap.failCountdown != 0 && --heap.failCountdown == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bytes > CurrentLimit(heap)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto block = std::make_unique<Block>();
  // One spare byte keeps a zero-size block's address valid and distinct.
  block->data.reset(new (std::nothrow) unsigned char[bytes + 1]);
  if (!block->data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (flags & GMEM_ZEROINIT)
    std::memset(block->data.get(), 0, bytes + 1);
  else if (heap.fill >= 0)
    std::memset(block->data.get(), heap.fill, bytes + 1);
  block->size = bytes;
  block->flags = flags;
  HGLOBAL handle = (flags & GMEM_MOVEABLE) ? static_cast<HGLOBAL>(block.get())
                                           : static_cast<HGLOBAL>(block->data.get());
  heap.blocks.emplace(handle, std::move(block));
  return handle;
}

/***********************************************************************
 * GlobalLock
 * The block's address; a moveable block counts the lock (blocks never move here).
 * NULL with ERROR_INVALID_HANDLE for a stale handle.
 */
LPVOID WINAPI GlobalLock(HGLOBAL mem) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  Block* block = Find(heap, mem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (block->flags & GMEM_MOVEABLE) ++block->locks;
  return block->data.get();
}

/***********************************************************************
 * GlobalUnlock
 * TRUE while a moveable block stays locked, FALSE with ERROR_SUCCESS once it is not.
 * FALSE with ERROR_INVALID_HANDLE for a stale handle.
 */
BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  Block* block = Find(heap, mem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block->locks == 0) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  --block->locks;
  if (block->locks == 0) SetLastError(ERROR_SUCCESS);
  return block->locks != 0;
}

/***********************************************************************
 * GlobalFree
 * Frees the block, locked or not; NULL. A stale handle is returned, with
 * ERROR_INVALID_HANDLE.
 */
HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  auto it = heap.blocks.find(mem);
  if (it == heap.blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  heap.blocks.erase(it);
  return nullptr;
}

/***********************************************************************
 * GlobalSize
 * The size asked for at allocation; 0 with ERROR_INVALID_HANDLE for a stale handle.
 */
size_t WINAPI GlobalSize(HGLOBAL mem) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  Block* block = Find(heap, mem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return block->size;
}

/***********************************************************************
 * GlobalHandle
 * The handle of the block starting at mem; NULL with ERROR_INVALID_HANDLE for any
 * other address. Linear in the number of live blocks, which stays small.
 */
HGLOBAL WINAPI GlobalHandle(LPCVOID mem) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  for (const auto& [handle, block] : heap.blocks) {
    if (block->data.get() == mem) return handle;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // extern "C"

namespace platform {

std::size_t GlobalAllocLimit() {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  return CurrentLimit(heap);
}

}  // namespace platform

namespace platform::faults {

void FailNthGlobalAlloc(unsigned long n) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  heap.failCountdown = n;
}

void SetGlobalAllocLimit(std::size_t bytes) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  heap.limit = bytes == 0 ? LimitFromEnvironment() : bytes;
}

}  // namespace platform::faults

namespace platform::testing {

void SetGlobalAllocFill(int byte) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  heap.fill = byte < 0 ? -1 : (byte & 0xFF);
}

std::size_t LiveGlobalBlocks() {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  return heap.blocks.size();
}

}  // namespace platform::testing
