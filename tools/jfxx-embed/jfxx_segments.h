// The "JFXX" profile segments the viewer reads, and the JPEG surgery that puts them
// in a file: building the segments of a profile in either layout, finding the
// standard ICC_PROFILE segments of a file, and writing a copy of a file with the
// segments right after its SOI. The standard segments are read with libjpeg, so a
// file gives the profile every libjpeg program finds in it.
//
// Every input is treated as hostile: each length is checked against what is there
// before anything is read, and each failure is a jfxx::Error saying what is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace jfxx {

using Bytes = std::vector<std::uint8_t>;

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Layout {
  kApp1,  // 0xFFE1: 32-bit chunk number and count; chunk 1 carries 12 more header bytes
  kApp2,  // 0xFFE2: 8-bit chunk number and count, 32-bit byte count
};

// The most profile bytes one chunk can carry so that every segment of the layout
// fits the 65535 bytes its length field can count.
constexpr std::size_t kMaxApp1Chunk = 65535 - 32;
constexpr std::size_t kMaxApp2Chunk = 65535 - 26;
// An APP2 chunk number is one byte.
constexpr std::size_t kMaxApp2Chunks = 255;

std::size_t MaxChunk(Layout layout);

// Refuses what is not an ICC profile: shorter than its 128-byte header, a size field
// other than its length, or no "acsp" signature.
void CheckProfile(const Bytes& profile);

// The profile split into chunks of chunkSize bytes (the last one shorter), one
// complete marker segment each, marker bytes included.
std::vector<Bytes> MakeSegments(const Bytes& profile, Layout layout, std::size_t chunkSize);

// The profile of the file's standard ICC_PROFILE APP2 segments as libjpeg joins them,
// refused when libjpeg refuses the file or the segments, or when the result is no
// profile by CheckProfile.
Bytes ExtractIccProfile(const Bytes& jpeg);

// A copy of the file with the segments right after its SOI. JFXX segments the file
// already has before its first scan are left out, so the new profile is the one read;
// stray bytes between segments, which libjpeg skips, are kept.
Bytes EmbedSegments(const Bytes& jpeg, const std::vector<Bytes>& segments);

}  // namespace jfxx
