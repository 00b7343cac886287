// Global memory: GlobalAlloc and friends over the C heap, large blocks over their own
// mappings.
//
// A handle is the address of a block record that the table below knows; every call
// looks the handle up first, so a freed or foreign handle fails (NULL, FALSE, 0) as
// on Win32 instead of touching memory. GMEM_FIXED blocks use the data address as
// their handle, as Win32 does. Blocks above the ceiling, and the allocation a test
// has armed to fail, return NULL with ERROR_NOT_ENOUGH_MEMORY.
//
// A block of 2 MiB or more (an image's pixels) gets a fresh 2 MiB-aligned anonymous
// mapping advised for transparent huge pages: first touching it then costs one fault a
// 2 MiB page instead of one a 4 KiB page, it comes zeroed, and freeing it returns the
// memory at once.
#include <windows.h>

#include "bytesetting.h"

#include <platform/memory.h>
#include <platform/testing.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr std::size_t kDefaultLimit = std::size_t{1} << 30;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(__SANITIZE_ADDRESS__)
#define ZELVW_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVW_ASAN 1
#endif
#endif

// AddressSanitizer sees overruns only in heap blocks, so under it every block stays there.
#ifdef ZELVW_ASAN
constexpr std::size_t kMappedFrom = SIZE_MAX;
#else
constexpr std::size_t kMappedFrom = kHugePage;
#endif

struct Block {
  std::size_t size = 0;
  unsigned locks = 0;
  UINT flags = 0;
  unsigned char* data = nullptr;
  std::size_t mapped = 0;  // length of the mapping holding data; 0: data is from new[]

  Block() = default;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  ~Block() {
    if (mapped != 0)
      ::munmap(data, mapped);
    else
      delete[] data;
  }
};

// bytes (at least one) at a 2 MiB boundary in a fresh zeroed mapping advised for huge
// pages, its whole length in *mapped; NULL when the system refuses.
unsigned char* MapLarge(std::size_t bytes, std::size_t* mapped) {
  if (bytes > SIZE_MAX - 2 * kHugePage) return nullptr;
  std::size_t length = (bytes + kHugePage - 1) & ~(kHugePage - 1);
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* base = static_cast<unsigned char*>(raw);
  std::size_t head = (kHugePage - reinterpret_cast<std::uintptr_t>(base) % kHugePage) % kHugePage;
  if (head != 0) ::munmap(base, head);
  ::munmap(base + head + length, kHugePage - head);
#ifdef MADV_HUGEPAGE
  // Whole huge pages only: a partly used last one would grow the resident size.
  if (bytes >= kHugePage) ::madvise(base + head, bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
#endif
  *mapped = length;
  return base + head;
}

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
  return platform::ByteSettingFromEnvironment("PLATFORM_GLOBAL_LIMIT", kDefaultLimit);
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
  if (bytes >= kMappedFrom)
    block->data = MapLarge(bytes + 1, &block->mapped);
  else
    block->data = new (std::nothrow) unsigned char[bytes + 1];
  if (block->data == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if ((flags & GMEM_ZEROINIT) && block->mapped == 0)
    std::memset(block->data, 0, bytes + 1);
  else if (!(flags & GMEM_ZEROINIT) && heap.fill >= 0)
    std::memset(block->data, heap.fill, bytes + 1);
  block->size = bytes;
  block->flags = flags;
  HGLOBAL handle = (flags & GMEM_MOVEABLE) ? static_cast<HGLOBAL>(block.get())
                                           : static_cast<HGLOBAL>(block->data);
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
  return block->data;
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
    if (block->data == mem) return handle;
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
