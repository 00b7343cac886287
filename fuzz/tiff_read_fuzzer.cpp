// CTIFF::Read and then ConvertToDIB over arbitrary file contents, with the colour
// engine unbound (the profile tag is then read and ignored).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <platform/faults.h>

#include "bitmap/Dib.h"
#include "fuzz/FuzzInputFile.h"
#include "tiff/Tiff.h"

namespace {

const FuzzInputFile g_input("tiff_read_fuzzer");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A hostile header may ask for any image size: keep blocks small enough to fuzz fast.
  platform::faults::SetGlobalAllocLimit(std::size_t{64} << 20);
  const char* path = g_input.Write(data, size);

  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) std::abort();
  CTIFF tiff;
  CDIB dib;
  if (tiff.Read(&file) == 0) tiff.ConvertToDIB(&file, &dib);
  return 0;
}
