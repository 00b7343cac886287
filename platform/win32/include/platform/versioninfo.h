// A module's version resource. A Windows module announces itself through a version
// resource that the browser reads without running the module's code; here a module
// exports one record under the well-known symbol kVersionInfoSymbol, which a host
// finds with dlsym and reads as data.
//
//   PLATFORM_VERSION_INFO(0x0409, 1252, 1, 0, 0, 2,
//                         {"MIMEType", "image/jpeg|image/tiff"}, {"FileExtents", "jpg|tif"});
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct VersionString {
  const char* key;
  const char* value;  // UTF-8 (the resource's UTF-16 text, converted)
};

struct VersionInfo {
  uint16_t language;
  uint16_t codePage;
  uint16_t fileVersion[4];
  uint16_t productVersion[4];
  const VersionString* strings;
  std::size_t stringCount;
};

inline constexpr const char kVersionInfoSymbol[] = "PlatformVersionInfo";

}  // namespace platform

#define PLATFORM_VERSION_INFO(language, codePage, v1, v2, v3, v4, ...) \
  namespace {                                                          \
  constexpr platform::VersionString kVersionStrings[] = {__VA_ARGS__}; \
  }                                                                    \
  extern "C" __attribute__((visibility("default")))                    \
  const platform::VersionInfo PlatformVersionInfo = {                  \
      language,         codePage,        {v1, v2, v3, v4},             \
      {v1, v2, v3, v4}, kVersionStrings, sizeof(kVersionStrings) / sizeof(kVersionStrings[0])}
