// Byte counts the platform takes from its environment (PLATFORM_GLOBAL_LIMIT,
// PLATFORM_VIEW_BUDGET).
#pragma once

#include <cstddef>

namespace platform {

// The positive decimal byte count in the environment variable name, or fallback when
// it is unset, empty, signed, zero or not a number.
std::size_t ByteSettingFromEnvironment(const char* name, std::size_t fallback);

}  // namespace platform
