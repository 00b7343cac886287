// Global memory: GlobalAlloc and friends over the C heap, large blocks over their own
// mappings.
//
// A handle is the address of a block record that the table below knows; every call
// looks the handle up first, so a freed or foreign handle fails (NULL, FALSE, 0) as
// on Win32 instead of touching memory. GMEM_FIXED blocks use the data address as
// their handle, as Win32 does. Blocks above the ceiling, and the allocation a test
// has armed to fail, return NULL with ERROR_NOT_ENOUGH_MEMORY.
//
// A block of 256 KiB or more (an image's pixels, a strip's scratch) gets a 2 MiB-aligned
// anonymous mapping, its whole 2 MiB pages advised for transparent huge pages: first
// touching them then costs one fault a 2 MiB page instead of one a 4 KiB page. A freed
// mapping is kept as a spare, its pages handed back to the system lazily (MADV_FREE),
// and the next large block that need not be zeroed takes it: a view frees the decoder's
// image array just before it asks for the matched pixels, and a TIFF reader asks for
// the same scratch for every strip. Without the spares each of those would fault in
// fresh pages (the C heap, too, gives such blocks back to the system at their free).
// Zero-initialised blocks always get a fresh mapping, which comes zeroed.
#include <windows.h>

#include "bytesetting.h"

#include <platform/memory.h>
#include <platform/testing.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t kDefaultLimit = std::size_t{1} << 30;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Freed mappings kept for reuse; the oldest goes back to the system first.
constexpr std::size_t kMaxSpares = 4;

#if defined(__SANITIZE_ADDRESS__)
#define ZELVW_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVW_ASAN 1
#endif
#endif

// AddressSanitizer sees overruns only in heap blocks, so under it every block stays there.
// WebAssembly has one linear memory and no pages to fault in: there mmap takes bytes from
// the C heap and clears every one, so every block stays in the heap too.
#if defined(ZELVW_ASAN) || defined(__EMSCRIPTEN__)
constexpr std::size_t kMappedFrom = SIZE_MAX;
#else
constexpr std::size_t kMappedFrom = std::size_t{256} << 10;
#endif

struct Mapping {
  unsigned char* base = nullptr;
  std::size_t length = 0;
};

// The whole 2 MiB pages that bytes take, or 0 when that does not fit a size_t.
std::size_t MappingLength(std::size_t bytes) {
  if (bytes > SIZE_MAX - 2 * kHugePage) return 0;
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// length bytes (a multiple of 2 MiB) at a 2 MiB boundary in a fresh zeroed mapping,
// the whole huge pages of its first bytes advised for huge pages; NULL when the system
// refuses.
unsigned char* MapFresh(std::size_t length, std::size_t bytes) {
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
  return base + head;
}

// The mappings of large blocks: fresh ones, and the spares that freed blocks left.
class LargeMappings {
 public:
  LargeMappings() = default;
  LargeMappings(const LargeMappings&) = delete;
  LargeMappings& operator=(const LargeMappings&) = delete;

  // A mapping of at least bytes; zeroed only when zeroed is asked for. Null when the
  // system refuses.
  Mapping Take(std::size_t bytes, bool zeroed) {
    std::size_t length = MappingLength(bytes);
    if (length == 0) return {};
    if (!zeroed) {
      // The newest spare that is large enough (its pages the likeliest to be resident
      // still), its tail beyond length given back.
      for (auto it = m_spares.rbegin(); it != m_spares.rend(); ++it) {
        if (it->length < length) continue;
        Mapping mapping = *it;
        m_spares.erase(std::next(it).base());
        if (mapping.length > length) ::munmap(mapping.base + length, mapping.length - length);
        return {mapping.base, length};
      }
    }
    unsigned char* base = MapFresh(length, bytes);
    return base == nullptr ? Mapping{} : Mapping{base, length};
  }

  // Keeps mapping as a spare whose pages the system may take back.
  void Give(Mapping mapping) {
#ifdef MADV_FREE
    ::madvise(mapping.base, mapping.length, MADV_FREE);
#endif
    if (m_spares.size() == kMaxSpares) {
      ::munmap(m_spares.front().base, m_spares.front().length);
      m_spares.erase(m_spares.begin());
    }
    m_spares.push_back(mapping);
  }

 private:
  std::vector<Mapping> m_spares;  // oldest first
};

struct Block {
  std::size_t size = 0;
  unsigned locks = 0;
  UINT flags = 0;
  unsigned char* data = nullptr;
  std::size_t mapped = 0;  // length of the mapping holding data; 0: data is from new[]
};

struct GlobalHeap {
  std::mutex lock;
  LargeMappings mappings;
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

// Under the heap's lock: bytes from a mapping of their own when they are large, else from
// new[] (at least one byte, so a zero-size block's address is valid and distinct); NULL
// when neither can be had.
unsigned char* TakeData(GlobalHeap& heap, std::size_t bytes, bool zeroed, std::size_t* mapped) {
  *mapped = 0;
  if (bytes < kMappedFrom) return new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes];
  Mapping mapping = heap.mappings.Take(bytes, zeroed);
  *mapped = mapping.length;
  return mapping.base;
}

void GiveData(GlobalHeap& heap, unsigned char* data, std::size_t mapped) {
  if (mapped != 0)
    heap.mappings.Give({data, mapped});
  else
    delete[] data;
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
  block->data = TakeData(heap, bytes, (flags & GMEM_ZEROINIT) != 0, &block->mapped);
  if (block->data == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if ((flags & GMEM_ZEROINIT) && block->mapped == 0)
    std::memset(block->data, 0, bytes);
  else if (!(flags & GMEM_ZEROINIT) && heap.fill >= 0)
    std::memset(block->data, heap.fill, bytes);
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
  GiveData(heap, it->second->data, it->second->mapped);
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

void* AllocateLargeBlock(std::size_t bytes) {
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  std::size_t mapped = 0;
  return TakeData(heap, bytes, false, &mapped);
}

void FreeLargeBlock(void* block, std::size_t bytes) {
  if (block == nullptr) return;
  GlobalHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  std::size_t length = bytes < kMappedFrom ? 0 : MappingLength(bytes);
  GiveData(heap, static_cast<unsigned char*>(block), length);
}

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
