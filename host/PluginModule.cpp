// Loading a plug-in module and reading its registration record.
#include "host/PluginModule.h"

#include "host/MimeTypes.h"

#include <platform/versioninfo.h>

#include <algorithm>

#include <dlfcn.h>

namespace nphost {
namespace {

// More strings than any version resource holds means the record is not one.
constexpr std::size_t kMaxVersionStrings = 256;

std::string DlError() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}

// The "MIMEType" value; throws LoadError for a record that cannot be one.
std::string ReadMimeTypes(const platform::VersionInfo& record, const std::string& path) {
  if (record.stringCount > kMaxVersionStrings ||
      (record.stringCount > 0 && record.strings == nullptr)) {
    throw LoadError(path + ": the registration record is damaged");
  }
  for (std::size_t i = 0; i < record.stringCount; ++i) {
    const platform::VersionString& entry = record.strings[i];
    if (entry.key != nullptr && entry.value != nullptr && std::string(entry.key) == "MIMEType") {
      return entry.value;
    }
  }
  throw LoadError(path + ": the registration record has no MIMEType");
}

template <class Function>
Function Export(void* handle, const char* name, const std::string& path) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) throw LoadError(path + ": no export " + name);
  return reinterpret_cast<Function>(symbol);
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path) {
  std::unique_ptr<PluginModule> module(new PluginModule());
  module->m_path = path;
  module->m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module->m_handle == nullptr) throw LoadError("cannot load " + path + ": " + DlError());

  const auto* record = static_cast<const platform::VersionInfo*>(
      dlsym(module->m_handle, platform::kVersionInfoSymbol));
  if (record == nullptr) throw LoadError(path + ": no registration record");
  module->m_mimeTypes = SplitMimeTypes(ReadMimeTypes(*record, path));

  module->m_getEntryPoints =
      Export<NP_GetEntryPointsFunc>(module->m_handle, "NP_GetEntryPoints", path);
  module->m_initialize = Export<NP_InitializeFunc>(module->m_handle, "NP_Initialize", path);
  module->m_shutdown = Export<NP_ShutdownFunc>(module->m_handle, "NP_Shutdown", path);
  return module;
}

PluginModule::~PluginModule() {
  if (m_handle != nullptr) dlclose(m_handle);
}

bool PluginModule::Handles(const std::string& mimeType) const {
  return std::find(m_mimeTypes.begin(), m_mimeTypes.end(), mimeType) != m_mimeTypes.end();
}

}  // namespace nphost
