#include "web/host/WebPlugin.h"

#include "host/RefusingBrowserTable.h"
#include "web/host/JsonText.h"

#include <emscripten.h>
#include <platform/versioninfo.h>

#include <cstdlib>
#include <cstring>

namespace webhost {
namespace {

constexpr char kModuleName[] = "NPZELVW.DLL";
constexpr std::size_t kMaxStatus = 4096;

void Status(NPP, const char* message) {
  if (message == nullptr) return;
  std::string text(message, strnlen(message, kMaxStatus));
  EM_ASM({ console.info(UTF8ToString($0)); }, text.c_str());
}
const char* UserAgent(NPP) { return "zelvw-web/1.0 (plug-in host)"; }
void* MemAlloc(uint32_t size) { return std::malloc(size != 0 ? size : 1); }
void MemFree(void* block) { std::free(block); }
// Instances repaint through their windows; the page presents after every call.
void InvalidateRect(NPP, NPRect*) {}
void InvalidateRegion(NPP, void*) {}
void ForceRedraw(NPP) {}

template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

WebPlugin::WebPlugin() {
  m_browser = nphost::RefusingBrowserTable();
  m_browser.status = Status;
  m_browser.uagent = UserAgent;
  m_browser.memalloc = MemAlloc;
  m_browser.memfree = MemFree;
  m_browser.invalidaterect = InvalidateRect;
  m_browser.invalidateregion = InvalidateRegion;
  m_browser.forceredraw = ForceRedraw;
  if (!Bind() && m_error.empty()) m_error = "cannot bind " + std::string(kModuleName);
}

bool WebPlugin::Bind() {
  m_module = LoadLibraryA(kModuleName);
  if (m_module == nullptr) {
    m_error = std::string("cannot load ") + kModuleName;
    return false;
  }
  const auto* record = reinterpret_cast<const platform::VersionInfo*>(
      GetProcAddress(m_module, platform::kVersionInfoSymbol));
  if (record == nullptr) return false;
  m_record = "{";
  for (std::size_t i = 0; i < record->stringCount; ++i) {
    if (i != 0) m_record += ",";
    m_record += JsonText(record->strings[i].key) + ":" + JsonText(record->strings[i].value);
  }
  m_record += "}";
  auto getEntryPoints = Export<NP_GetEntryPointsFunc>(m_module, "NP_GetEntryPoints");
  auto initialize = Export<NP_InitializeFunc>(m_module, "NP_Initialize");
  m_shutdown = Export<NP_ShutdownFunc>(m_module, "NP_Shutdown");
  if (getEntryPoints == nullptr || initialize == nullptr || m_shutdown == nullptr) return false;
  m_funcs.size = sizeof(NPPluginFuncs);
  if (getEntryPoints(&m_funcs) != NPERR_NO_ERROR || initialize(&m_browser) != NPERR_NO_ERROR) {
    m_shutdown = nullptr;
    return false;
  }
  return true;
}

WebPlugin::~WebPlugin() {
  if (m_shutdown != nullptr) m_shutdown();
  if (m_module != nullptr) FreeLibrary(m_module);
}

}  // namespace webhost
