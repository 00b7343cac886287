// Memory that faults when read out of bounds, even without a sanitizer: pages that
// stay unreadable until a test opens the part it fills.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace testsupport {

class GuardedBuffer {
 public:
  // At least `bytes`, in whole pages, none of them readable yet.
  explicit GuardedBuffer(std::size_t bytes) : m_size(RoundUp(bytes)) {
    void* base = mmap(nullptr, m_size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_NE(base, MAP_FAILED);
    m_base = static_cast<std::uint8_t*>(base);
  }
  ~GuardedBuffer() { munmap(m_base, m_size); }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  // Makes the pages that hold [offset, offset + bytes) readable and writable.
  std::uint8_t* Open(std::size_t offset, std::size_t bytes) {
    std::size_t first = offset / PageSize() * PageSize();
    EXPECT_EQ(mprotect(m_base + first, RoundUp(offset + bytes) - first, PROT_READ | PROT_WRITE), 0);
    return m_base + offset;
  }
  std::uint8_t* Base() const { return m_base; }
  std::size_t Size() const { return m_size; }

  static std::size_t PageSize() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }
  static std::size_t RoundUp(std::size_t n) {
    return (n + PageSize() - 1) / PageSize() * PageSize();
  }

 private:
  std::uint8_t* m_base;
  std::size_t m_size;
};

// A copy of some bytes that ends right before a page that cannot be read.
class GuardedInput {
 public:
  GuardedInput(const void* data, std::size_t bytes)
      : m_pages(bytes + GuardedBuffer::PageSize()), m_nBytes(bytes) {
    m_pData = m_pages.Open(m_pages.Size() - GuardedBuffer::PageSize() - bytes, bytes);
    if (bytes != 0) std::memcpy(m_pData, data, bytes);
  }

  const std::uint8_t* Data() const { return m_pData; }
  std::size_t Size() const { return m_nBytes; }

 private:
  GuardedBuffer m_pages;
  std::uint8_t* m_pData;
  std::size_t m_nBytes;
};

}  // namespace testsupport
