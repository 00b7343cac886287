// PNG output for the web build, which has no libpng: the image data is a zlib stream
// of stored (uncompressed) blocks, one IDAT chunk a row. Pages are written to the
// module's memory file system and handed to the browser, so size matters little.
#include "../pngwriter.h"

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace platform::gdi {
namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

struct Adler32 {
  std::uint32_t a = 1, b = 0;
  void Add(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      a = (a + data[i]) % 65521;
      b = (b + a) % 65521;
    }
  }
  std::uint32_t Value() const { return (b << 16) | a; }
};

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

bool WriteChunk(std::FILE* file, const char* type, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> chunk;
  PutBig32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  PutBig32(chunk, Crc32(0, chunk.data() + 4, chunk.size() - 4));
  return std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
}

// Stored deflate blocks holding bytes, none of them final.
void AppendStored(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t size) {
  for (std::size_t at = 0; at < size; at += kMaxStoredBlock) {
    auto n = static_cast<std::uint16_t>(std::min(kMaxStoredBlock, size - at));
    out.insert(out.end(), {0, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    out.insert(out.end(), bytes + at, bytes + at + n);
  }
}

bool WriteImage(std::FILE* file, int width, int height, const PngRowSource& rows) {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (std::fwrite(kSignature, 1, sizeof kSignature, file) != sizeof kSignature) return false;
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(width));
  PutBig32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  if (!WriteChunk(file, "IHDR", header)) return false;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width));
  std::vector<std::uint8_t> line(1 + static_cast<std::size_t>(width) * 3);  // filter 0 first
  std::vector<std::uint8_t> data = {0x78, 0x01};                            // zlib, no dictionary
  Adler32 adler;
  for (int y = 0; y < height; ++y) {
    rows(y, pixels.data());
    for (int x = 0; x < width; ++x) {
      line[1 + 3 * x] = static_cast<std::uint8_t>(pixels[x] >> 16);
      line[2 + 3 * x] = static_cast<std::uint8_t>(pixels[x] >> 8);
      line[3 + 3 * x] = static_cast<std::uint8_t>(pixels[x]);
    }
    adler.Add(line.data(), line.size());
    AppendStored(data, line.data(), line.size());
    if (!WriteChunk(file, "IDAT", data)) return false;
    data.clear();
  }
  data.insert(data.end(), {1, 0, 0, 0xFF, 0xFF});  // the final, empty block
  PutBig32(data, adler.Value());
  return WriteChunk(file, "IDAT", data) && WriteChunk(file, "IEND", {});
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const PngRowSource& rows) {
  if (width < 1 || height < 1) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = WriteImage(file, width, height, rows);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace platform::gdi
