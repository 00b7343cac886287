// File access for the engine's store and setting. Everything read here may come from
// another program (profiles saved out of images, a hand-edited setting), so reads are
// bounded and refuse anything that is not a regular file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zirn {

enum class ReadError { kNone, kMissing, kNotRegular, kTooLarge, kIo };

struct FileBytes {
  ReadError error = ReadError::kNone;
  std::vector<std::uint8_t> bytes;
};

// Reads a whole regular file of at most maxBytes bytes. FIFOs and devices are refused
// without blocking; a file that grows past maxBytes while being read is kTooLarge.
// maxBytes must be below SIZE_MAX.
FileBytes ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Creates path and its missing parents. True when path is a directory afterwards.
bool MakeDirectories(const std::string& path);

// Replaces the file at path by content: written to a temporary file in the same
// directory, flushed, then renamed over path, so a reader sees the old or the new
// content and never a part. False (path unchanged) on any failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view content);

}  // namespace zirn
