// The LZW decoder over arbitrary strip bytes. The last 6 bytes of the input choose
// the image fields the decoder's bound comes from: width (2 bytes), rows a strip
// (2 bytes), samples and bits a sample (1 byte each).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <platform/faults.h>

#include "tiff/Tiff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kFieldBytes = 6;
  if (size < kFieldBytes) return 0;
  platform::faults::SetGlobalAllocLimit(std::size_t{64} << 20);
  const uint8_t* fields = data + size - kFieldBytes;
  CTIFF tiff;
  tiff.m_lImageWidth = fields[0] | fields[1] << 8;
  tiff.m_lRowsPerStrip = fields[2] | fields[3] << 8;
  tiff.m_lImageLength = static_cast<int32_t>(tiff.m_lRowsPerStrip);
  tiff.m_wSamplesPerPixel = static_cast<int16_t>(fields[4] % 5);
  tiff.m_wBitsPerSample = static_cast<int16_t>(fields[5] % 17);

  DWORD dwCount = static_cast<DWORD>(size - kFieldBytes);
  DWORD dwDecoded = 0;
  std::unique_ptr<BYTE[]> pOut = tiff.DecodeLzwStrip(data, dwCount, &dwDecoded);
  if (pOut && dwDecoded > 0) {
    // Every decoded byte must be readable: the sanitizers check the block's size.
    volatile BYTE sink = pOut[dwDecoded - 1];
    (void)sink;
  }
  return 0;
}
