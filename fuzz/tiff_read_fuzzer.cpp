// CTIFF::Read and then ConvertToDIB over arbitrary file contents, with the colour
// engine unbound (the profile tag is then read and ignored).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <platform/testing.h>

#include "bitmap/Dib.h"
#include "tiff/Tiff.h"

namespace {

// One file per process, rewritten for every input and removed at exit.
class InputFile {
 public:
  InputFile() : m_path("/tmp/tiff_read_fuzzer-XXXXXX") {
    int fd = mkstemp(m_path.data());
    if (fd < 0) std::abort();
    close(fd);
  }
  ~InputFile() { unlink(m_path.c_str()); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

const std::string& InputPath() {
  static const InputFile file;
  return file.Path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A hostile header may ask for any image size: keep blocks small enough to fuzz fast.
  platform::testing::SetGlobalAllocLimit(std::size_t{64} << 20);
  FILE* out = std::fopen(InputPath().c_str(), "wb");
  if (out == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);

  CFile file;
  if (!file.Open(InputPath().c_str(), CFile::modeRead | CFile::shareDenyWrite)) std::abort();
  CTIFF tiff;
  CDIB dib;
  if (tiff.Read(&file) == 0) tiff.ConvertToDIB(&file, &dib);
  return 0;
}
