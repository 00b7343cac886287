// The engine's two dialogs, as message boxes: the real dialogs only show information.
#include <windows.h>
#include <zirn.h>
#include <zirndlg.h>

#include <string>

namespace {

std::string MonitorLine() {
  char* name = nullptr;
  std::string line = "Monitor profile: ";
  line += ZIRN_GetMonitorProfile(&name) == ZIRN_OK && name != nullptr ? name : "(unavailable)";
  return line;
}

std::string DisplayProfileLines() {
  std::string lines;
  int32_t cursor1 = 0;
  int32_t cursor2 = 0;
  char name[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  while (enum_profiles_by_classification(0, &cursor1, &cursor2, name, path, MAX_PATH) > 0) {
    lines += "\n  ";
    lines += name;
  }
  return lines.empty() ? "\n  (none)" : lines;
}

}  // namespace

extern "C" int ZirnDlg_About(void) {
  std::string text = ZIRN_ENGINE_NAME " " ZIRN_ENGINE_VERSION "\n" + MonitorLine();
  MessageBoxA(nullptr, text.c_str(), "About ZIRN", MB_OK);
  return IDOK;
}

extern "C" int ZirnDlg_ProfileSetup(void) {
  std::string text = MonitorLine() + "\nDisplay profiles:" + DisplayProfileLines();
  return MessageBoxA(nullptr, text.c_str(), "ZIRN Profile Setup", MB_OK);
}
