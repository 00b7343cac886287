// Win32's rule for a string returned in the caller's buffer, shared by the calls
// that return paths.
#pragma once

#include <windef.h>

#include <cstring>
#include <string>

namespace platform {

// Copies text and its terminator when they fit in size bytes and returns the length
// copied; otherwise leaves the buffer alone and returns the size needed, terminator
// included.
inline DWORD CopyToCallerBuffer(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || text.size() >= size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace platform
