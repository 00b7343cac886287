// The strip decoder on strips that end right before a page that cannot be read: a
// read past a strip's last byte faults even without a sanitizer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/guarded_buffer.h"
#include "tiff_test_support.h"

namespace {

using tifftest::Bytes;

// Nine-bit codes, most significant bit first (the width until code 511).
Bytes PackNineBit(const std::vector<int>& codes) {
  Bytes out((codes.size() * 9 + 7) / 8, 0);
  size_t nBit = 0;
  for (int code : codes)
    for (int i = 8; i >= 0; --i, ++nBit)
      if (code >> i & 1) out[nBit / 8] |= static_cast<uint8_t>(0x80 >> nBit % 8);
  return out;
}

TEST(LzwGuardTest, EveryCutOfAStripIsReadWithinItsBytes) {
  std::string text;
  std::vector<int> codes = {256};  // Clear
  for (int i = 0; i < 40; ++i) {
    text += static_cast<char>('a' + i % 26);
    codes.push_back(text.back());
  }
  codes.push_back(257);  // End of information, its last bits in the last byte
  const Bytes strip = PackNineBit(codes);
  CTIFF tiff;
  tiff.m_lImageWidth = 64;
  tiff.m_lImageLength = 1;
  tiff.m_lRowsPerStrip = 1;
  for (size_t n = 0; n <= strip.size(); ++n) {
    testsupport::GuardedInput input(strip.data(), n);
    DWORD dwDecoded = 0;
    std::unique_ptr<BYTE[]> pOut =
        tiff.DecodeLzwStrip(input.Data(), static_cast<DWORD>(n), &dwDecoded);
    if (n < strip.size()) {
      EXPECT_EQ(pOut, nullptr) << n;  // the end code is cut
    } else {
      ASSERT_NE(pOut, nullptr);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(pOut.get()), dwDecoded), text);
    }
  }
}

}  // namespace
