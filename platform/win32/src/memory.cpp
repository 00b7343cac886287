// The platform's memory settings from the environment, and the view memory budget. 2 GiB holds a
// 24-bit image of about 200 megapixels three times over, twice the largest photos and scans, and
// stays well below the memory of the machines the system runs on.
#include <platform/memory.h>

#include "bytesetting.h"

#include <cstdlib>

namespace platform {

namespace {

constexpr std::size_t kDefaultViewBudget = std::size_t{2} << 30;

}  // namespace

std::size_t ByteSettingFromEnvironment(const char* name, std::size_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0' || text[0] == '-') return fallback;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || value == 0) return fallback;
  return static_cast<std::size_t>(value);
}

std::size_t ViewMemoryBudget() {
  return ByteSettingFromEnvironment("PLATFORM_VIEW_BUDGET", kDefaultViewBudget);
}

}  // namespace platform
