// The search behind SearchPathA, for the calls that search on behalf of their own
// caller (LoadLibraryA).
#pragma once

#include <optional>
#include <string>

namespace platform {

// The absolute POSIX path of fileName (extension appended when it has none) on the
// path list, or on the standard search path as seen from the module that holds the
// address caller when pathList is null.
std::optional<std::string> SearchFile(const void* caller, const char* pathList,
                                      const char* fileName, const char* extension);

}  // namespace platform
