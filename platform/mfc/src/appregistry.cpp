// The registry of application objects, keyed by the load address of their module.
#include "appregistry.h"

#include <afxwin.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <vector>

namespace platform::mfc {
namespace {

struct Registration {
  const void* module;
  CWinApp* app;
};

struct Registry {
  std::mutex lock;
  std::vector<Registration> apps;  // in order of construction
};

Registry& Apps() {
  static Registry* registry = new Registry;  // outlives the static destructors of every module
  return *registry;
}

const void* ModuleOf(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

std::string ProgramPath() {
  char target[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::string TitleOf(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  std::string::size_type dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

void RegisterApp(CWinApp* app) {
  Registry& registry = Apps();
  std::lock_guard guard(registry.lock);
  registry.apps.push_back({ModuleOf(app), app});
}

void UnregisterApp(CWinApp* app) {
  Registry& registry = Apps();
  std::lock_guard guard(registry.lock);
  auto& apps = registry.apps;
  apps.erase(
      std::remove_if(apps.begin(), apps.end(), [&](const Registration& r) { return r.app == app; }),
      apps.end());
}

CWinApp* AppFor(const void* caller) {
  const void* module = ModuleOf(caller);
  Registry& registry = Apps();
  std::lock_guard guard(registry.lock);
  const auto& apps = registry.apps;
  auto own = std::find_if(apps.rbegin(), apps.rend(),
                          [&](const Registration& r) { return r.module == module; });
  if (own != apps.rend()) return own->app;
  return apps.empty() ? nullptr : apps.front().app;
}

LPCTSTR AppNameFor(const void* caller) {
  CWinApp* app = AppFor(caller);
  if (app != nullptr && app->m_pszAppName != nullptr) return app->m_pszAppName;
  static const std::string* program = new std::string(TitleOf(ProgramPath()));
  return program->c_str();
}

std::string ModuleTitleOf(const void* address) {
  Dl_info info{};
  bool inModule = address != nullptr && dladdr(address, &info) != 0 && info.dli_fname != nullptr &&
                  info.dli_fname[0] != '\0';
  return TitleOf(inModule ? std::string(info.dli_fname) : ProgramPath());
}

}  // namespace platform::mfc
