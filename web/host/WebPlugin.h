// The plug-in module as the page's script sees it: loaded by name from the module
// registry, its registration record read, NP_GetEntryPoints and NP_Initialize called
// with the browser's function table. Memory and status are real; the URL and stream
// requests a plug-in may make of the browser are refused, as nphost refuses them.
#pragma once

#include <npupp.h>
#include <windows.h>

#include <string>

namespace webhost {

class WebPlugin {
 public:
  // Loads NPZELVW.DLL and binds it; Error() says what failed.
  WebPlugin();
  ~WebPlugin();
  WebPlugin(const WebPlugin&) = delete;
  WebPlugin& operator=(const WebPlugin&) = delete;

  bool Ready() const { return m_error.empty(); }
  const std::string& Error() const { return m_error; }
  // The registration record as a JSON object of its strings.
  const std::string& RecordJson() const { return m_record; }
  const NPPluginFuncs& Funcs() const { return m_funcs; }

 private:
  bool Bind();

  HMODULE m_module = nullptr;
  NPPluginFuncs m_funcs{};
  NPNetscapeFuncs m_browser{};
  NP_ShutdownFunc m_shutdown = nullptr;
  std::string m_record;
  std::string m_error;
};

}  // namespace webhost
