#include "jfxx_segments.h"

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace jfxx {
namespace {

constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp2 = 0xE2;

// One marker segment of the file's header: its bytes from the first 0xFF of the
// marker to the end of its length, and where its content follows the length field.
struct Segment {
  std::uint8_t marker;
  std::size_t offset;
  std::size_t size;
  std::size_t payload;
  std::size_t payloadSize;
};

struct Header {
  std::vector<Segment> segments;  // between SOI and the first SOS (or EOI)
  std::size_t end;                // offset of that SOS or EOI marker
};

void PutBigEndian(Bytes& out, std::uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::string Offset(std::size_t offset) { return "at byte " + std::to_string(offset); }

// Markers without a length: RSTn and TEM.
bool Standalone(std::uint8_t marker) {
  return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

// Whether a marker starts at pos: 0xFF fill bytes, then a byte other than 0 (0xFF 0x00
// is no marker), as libjpeg finds the next one.
bool AtMarker(const Bytes& jpeg, std::size_t pos) {
  if (jpeg[pos] != 0xFF) return false;
  while (pos < jpeg.size() && jpeg[pos] == 0xFF) ++pos;
  return pos == jpeg.size() || jpeg[pos] != 0x00;
}

Header ReadHeader(const Bytes& jpeg) {
  if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != kSoi)
    throw Error("not a JPEG file (no SOI)");
  Header header;
  std::size_t pos = 2;
  while (true) {
    if (pos >= jpeg.size()) throw Error("the file ends before its first scan");
    if (!AtMarker(jpeg, pos)) {
      // Bytes between segments, which libjpeg skips with a warning: kept as they are.
      std::size_t start = pos;
      while (pos < jpeg.size() && !AtMarker(jpeg, pos)) ++pos;
      header.segments.push_back({0, start, pos - start, pos, 0});
      continue;
    }
    std::size_t start = pos;
    while (pos < jpeg.size() && jpeg[pos] == 0xFF) ++pos;  // fill bytes
    if (pos >= jpeg.size()) throw Error("the file ends before its first scan");
    std::uint8_t marker = jpeg[pos++];
    if (marker == kSos || marker == kEoi) {
      header.end = start;
      return header;
    }
    if (marker == 0x00 || marker == kSoi) throw Error("no marker " + Offset(start));
    if (Standalone(marker)) {
      header.segments.push_back({marker, start, pos - start, pos, 0});
      continue;
    }
    if (jpeg.size() - pos < 2) throw Error("segment length cut off " + Offset(pos));
    std::size_t length = std::size_t{jpeg[pos]} << 8 | jpeg[pos + 1];
    if (length < 2) throw Error("segment length below 2 " + Offset(pos));
    if (jpeg.size() - pos < length) throw Error("segment cut off " + Offset(start));
    header.segments.push_back({marker, start, pos + length - start, pos + 2, length - 2});
    pos += length;
  }
}

bool IsJfxx(const Bytes& jpeg, const Segment& segment) {
  if (segment.marker != kApp1 && segment.marker != kApp2) return false;
  const std::uint8_t* p = jpeg.data() + segment.payload;
  if (segment.payloadSize < 5 || p[4] != 0) return false;
  const char kJfxx[] = "JFXX";
  for (int i = 0; i < 4; ++i) {
    if (std::toupper(p[i]) != kJfxx[i]) return false;
  }
  return true;
}

// What libjpeg made of a file's ICC profile: the profile (malloc'ed), or the fatal
// error that stopped it, or the warning it gave when it rejected the segments.
struct IccRead {
  JOCTET* profile = nullptr;
  unsigned size = 0;
  std::string fatal;
  std::string warning;
};

struct LibjpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf exit;
  char message[JMSG_LENGTH_MAX];
  bool fatal;
  bool warned;
};

void OnLibjpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<LibjpegErrors*>(info->err);
  info->err->format_message(info, errors->message);
  errors->fatal = true;
  std::longjmp(errors->exit, 1);
}

// Keeps the latest warning instead of printing it; trace messages are dropped.
void OnLibjpegMessage(j_common_ptr info, int level) {
  auto* errors = reinterpret_cast<LibjpegErrors*>(info->err);
  if (level >= 0) return;
  info->err->format_message(info, errors->message);
  errors->warned = true;
}

// The only function with setjmp: nothing with a destructor lives in its frame, and the
// strings are filled after the library is done.
void ReadIccWithLibjpeg(const Bytes& jpeg, IccRead* read) {
  jpeg_decompress_struct info{};
  LibjpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnLibjpegError;
  errors.manager.emit_message = OnLibjpegMessage;
  if (setjmp(errors.exit) == 0) {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    errors.warned = false;  // warnings of the header before are not about the profile
    if (!jpeg_read_icc_profile(&info, &read->profile, &read->size)) read->profile = nullptr;
  }
  jpeg_destroy_decompress(&info);
  if (errors.fatal) {
    std::free(read->profile);
    read->profile = nullptr;
    read->fatal = errors.message;
  } else if (read->profile == nullptr && errors.warned) {
    read->warning = errors.message;
  }
}

}  // namespace

std::size_t MaxChunk(Layout layout) {
  return layout == Layout::kApp1 ? kMaxApp1Chunk : kMaxApp2Chunk;
}

void CheckProfile(const Bytes& profile) {
  if (profile.size() < 128) throw Error("the profile is shorter than an ICC header");
  if (BigEndian32(profile.data()) != profile.size())
    throw Error("the profile's size field is not its length");
  if (std::memcmp(profile.data() + 36, "acsp", 4) != 0)
    throw Error("the profile has no ICC signature");
}

std::vector<Bytes> MakeSegments(const Bytes& profile, Layout layout, std::size_t chunkSize) {
  if (profile.empty()) throw Error("the profile is empty");
  if (chunkSize < 1 || chunkSize > MaxChunk(layout)) {
    throw Error("a chunk must hold 1 to " + std::to_string(MaxChunk(layout)) + " bytes");
  }
  std::size_t chunks = (profile.size() + chunkSize - 1) / chunkSize;
  if (layout == Layout::kApp2 && chunks > kMaxApp2Chunks) {
    throw Error("APP2 takes at most 255 chunks; the profile needs " + std::to_string(chunks));
  }
  if (chunks > UINT32_MAX) throw Error("the profile needs too many chunks");

  std::vector<Bytes> segments;
  for (std::size_t n = 1; n <= chunks; ++n) {
    std::size_t from = (n - 1) * chunkSize;
    std::size_t count = std::min(chunkSize, profile.size() - from);
    Bytes segment = {0xFF, layout == Layout::kApp1 ? kApp1 : kApp2};
    if (layout == Layout::kApp1) {
      std::size_t length = (n == 1 ? 32 : 20) + count;
      PutBigEndian(segment, static_cast<std::uint32_t>(length), 2);
      segment.insert(segment.end(), {'J', 'F', 'X', 'X', 0, 0, 0, 0, 0, 0});
      PutBigEndian(segment, static_cast<std::uint32_t>(n), 4);
      PutBigEndian(segment, static_cast<std::uint32_t>(chunks), 4);
      if (n == 1) segment.insert(segment.end(), 12, 0);
    } else {
      PutBigEndian(segment, static_cast<std::uint32_t>(26 + count), 2);
      segment.insert(segment.end(), {'J', 'F', 'X', 'X', 0, 0});
      segment.insert(segment.end(), 12, 0);
      PutBigEndian(segment, static_cast<std::uint32_t>(n), 1);
      PutBigEndian(segment, static_cast<std::uint32_t>(chunks), 1);
      PutBigEndian(segment, static_cast<std::uint32_t>(count), 4);
    }
    segment.insert(segment.end(), profile.begin() + static_cast<std::ptrdiff_t>(from),
                   profile.begin() + static_cast<std::ptrdiff_t>(from + count));
    segments.push_back(std::move(segment));
  }
  return segments;
}

Bytes ExtractIccProfile(const Bytes& jpeg) {
  IccRead read;
  ReadIccWithLibjpeg(jpeg, &read);
  if (read.profile == nullptr) {
    if (!read.fatal.empty()) throw Error("libjpeg refuses the file: " + read.fatal);
    if (!read.warning.empty()) throw Error("libjpeg refuses its ICC profile: " + read.warning);
    throw Error("the file has no ICC profile");
  }
  Bytes profile(read.profile, read.profile + read.size);
  std::free(read.profile);
  CheckProfile(profile);
  return profile;
}

Bytes EmbedSegments(const Bytes& jpeg, const std::vector<Bytes>& segments) {
  Header header = ReadHeader(jpeg);
  Bytes out = {0xFF, kSoi};
  for (const Bytes& segment : segments) out.insert(out.end(), segment.begin(), segment.end());
  for (const Segment& segment : header.segments) {
    if (IsJfxx(jpeg, segment)) continue;
    auto from = jpeg.begin() + static_cast<std::ptrdiff_t>(segment.offset);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(segment.size));
  }
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(header.end), jpeg.end());
  return out;
}

}  // namespace jfxx
