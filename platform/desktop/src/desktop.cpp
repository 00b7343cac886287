// Opening the display once for the whole process.
#include <platform/desktop.h>

#include <gtk/gtk.h>

#include <cstdlib>

namespace platform::desktop {
namespace {

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool DisplayNamed() { return Named("DISPLAY") || Named("WAYLAND_DISPLAY"); }

bool OpenDisplay() {
  static const bool opened = DisplayNamed() && gtk_init_check(nullptr, nullptr);
  return opened;
}

}  // namespace platform::desktop
