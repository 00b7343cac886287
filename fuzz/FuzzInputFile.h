// The fuzz targets' entry points take file paths, not buffers: each process keeps one
// temporary file, rewritten with every input and removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

class FuzzInputFile {
 public:
  explicit FuzzInputFile(const char* prefix) : m_path(std::string("/tmp/") + prefix + ".XXXXXX") {
    int fd = mkstemp(m_path.data());
    if (fd < 0) std::abort();
    close(fd);
  }
  ~FuzzInputFile() { unlink(m_path.c_str()); }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  // Replaces the file's contents by the input; returns its path.
  const char* Write(const uint8_t* data, size_t size) const {
    FILE* out = std::fopen(m_path.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    return m_path.c_str();
  }

 private:
  std::string m_path;
};
