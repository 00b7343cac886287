// Fuzz target for JpegToDib. It takes a path, so each input is written to one
// temporary file first. The global-memory ceiling is lowered so that a header
// declaring a huge image is refused at a size the fuzzer can afford; the
// library's arrays are bounded by the same ceiling.
#include "jpeg/JpegToDib.h"

#include <platform/faults.h>

#include "fuzz/FuzzInputFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

constexpr std::size_t kFuzzCeiling = std::size_t{64} << 20;

const FuzzInputFile g_input("jpeg_to_dib_fuzzer");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::faults::SetGlobalAllocLimit(kFuzzCeiling);
  const char* path = g_input.Write(data, size);

  int height = -1;
  int width = -1;
  HGLOBAL hDib = JpegToDib(path, &height, &width);
  if (hDib != nullptr) {
    // The block must hold exactly the rows the size calls for.
    std::size_t rgbRow = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::size_t grayRow = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    std::size_t bytes = GlobalSize(hDib);
    if (height <= 0 || (bytes != rgbRow * height && bytes != grayRow * height)) std::abort();
    GlobalFree(hDib);
  } else if (height < 0 || width < 0) {
    std::abort();
  }
  return 0;
}
