// The engine's two dialogs, as message boxes: the real dialogs only show information.
//
// The dialog library binds the engine at run time, as the plug-in does: a program that
// links the dialog library must still start, and show its images unmatched, when the
// engine itself is not installed.
#include <windows.h>
#include <zirn.h>
#include <zirndlg.h>

#include <string>

namespace {

template <class Proc>
Proc Bind(HMODULE engine, const char* name) {
  // void(*)() is the generic function pointer type the compiler lets us convert through.
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(engine, name)));
}

class EngineBinding {
 public:
  EngineBinding() : module_(LoadLibraryA("ZIRN.DLL")) {}
  ~EngineBinding() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  EngineBinding(const EngineBinding&) = delete;
  EngineBinding& operator=(const EngineBinding&) = delete;

  std::string MonitorLine() const {
    using GetMonitorProfile = short(WINAPI*)(char**);
    auto get =
        module_ != nullptr ? Bind<GetMonitorProfile>(module_, "ZIRN_GetMonitorProfile") : nullptr;
    char* name = nullptr;
    std::string line = "Monitor profile: ";
    line += get != nullptr && get(&name) == ZIRN_OK && name != nullptr ? name : "(unavailable)";
    return line;
  }

  std::string DisplayProfileLines() const {
    using Enumerate = int32_t(WINAPI*)(int32_t, int32_t*, int32_t*, char*, char*, int32_t);
    auto enumerate =
        module_ != nullptr ? Bind<Enumerate>(module_, "enum_profiles_by_classification") : nullptr;
    std::string lines;
    int32_t cursor1 = 0;
    int32_t cursor2 = 0;
    char name[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    while (enumerate != nullptr && enumerate(0, &cursor1, &cursor2, name, path, MAX_PATH) > 0) {
      lines += "\n  ";
      lines += name;
    }
    return lines.empty() ? "\n  (none)" : lines;
  }

 private:
  HMODULE module_;
};

}  // namespace

extern "C" int ZirnDlg_About(void) {
  EngineBinding engine;
  std::string text = ZIRN_ENGINE_NAME " " ZIRN_ENGINE_VERSION "\n" + engine.MonitorLine();
  MessageBoxA(nullptr, text.c_str(), "About ZIRN", MB_OK);
  return IDOK;
}

extern "C" int ZirnDlg_ProfileSetup(void) {
  EngineBinding engine;
  std::string text = engine.MonitorLine() + "\nDisplay profiles:" + engine.DisplayProfileLines();
  return MessageBoxA(nullptr, text.c_str(), "ZIRN Profile Setup", MB_OK);
}
