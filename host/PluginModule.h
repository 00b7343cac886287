// A plug-in module as the browser binds it: loaded, its registration record read as
// data before any of its code is called, then its three exported functions.
#pragma once

#include <npupp.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace nphost {

// The module cannot be loaded or has no usable record or exports.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PluginModule {
 public:
  // Loads the module and reads its record; throws LoadError.
  static std::unique_ptr<PluginModule> Load(const std::string& path);
  // Closes the module: call nothing of it after this.
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  const std::string& Path() const { return m_path; }
  // The MIME types of the record's "MIMEType", in lower case.
  const std::vector<std::string>& MimeTypes() const { return m_mimeTypes; }
  bool Handles(const std::string& mimeType) const;

  NPError GetEntryPoints(NPPluginFuncs* funcs) const { return m_getEntryPoints(funcs); }
  NPError Initialize(NPNetscapeFuncs* funcs) const { return m_initialize(funcs); }
  NPError Shutdown() const { return m_shutdown(); }

 private:
  PluginModule() = default;

  std::string m_path;
  void* m_handle = nullptr;
  std::vector<std::string> m_mimeTypes;
  NP_GetEntryPointsFunc m_getEntryPoints = nullptr;
  NP_InitializeFunc m_initialize = nullptr;
  NP_ShutdownFunc m_shutdown = nullptr;
};

}  // namespace nphost
