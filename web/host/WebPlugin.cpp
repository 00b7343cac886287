#include "web/host/WebPlugin.h"

#include <emscripten.h>
#include <platform/versioninfo.h>

#include <cstdlib>
#include <cstring>

namespace webhost {
namespace {

constexpr char kModuleName[] = "NPZELVW.DLL";
constexpr uint16_t kTableVersion = (0 << 8) | 9;
constexpr std::size_t kMaxStatus = 4096;

NPError GetURL(NPP, const char*, const char*) { return NPERR_GENERIC_ERROR; }
NPError PostURL(NPP, const char*, const char*, uint32_t, const char*, NPBool) {
  return NPERR_GENERIC_ERROR;
}
NPError RequestRead(NPStream*, NPByteRange*) { return NPERR_GENERIC_ERROR; }
NPError NewStream(NPP, NPMIMEType, const char*, NPStream**) { return NPERR_GENERIC_ERROR; }
int32_t Write(NPP, NPStream*, int32_t, void*) { return -1; }
NPError DestroyStream(NPP, NPStream*, NPReason) { return NPERR_GENERIC_ERROR; }
void Status(NPP, const char* message) {
  if (message == nullptr) return;
  std::string text(message, strnlen(message, kMaxStatus));
  EM_ASM({ console.info(UTF8ToString($0)); }, text.c_str());
}
const char* UserAgent(NPP) { return "zelvw-web/1.0 (plug-in host)"; }
void* MemAlloc(uint32_t size) { return std::malloc(size != 0 ? size : 1); }
void MemFree(void* block) { std::free(block); }
uint32_t MemFlush(uint32_t) { return 0; }
void ReloadPlugins(NPBool) {}
void* GetJavaEnv() { return nullptr; }
void* GetJavaPeer(NPP) { return nullptr; }
NPError GetURLNotify(NPP, const char*, const char*, void*) { return NPERR_GENERIC_ERROR; }
NPError PostURLNotify(NPP, const char*, const char*, uint32_t, const char*, NPBool, void*) {
  return NPERR_GENERIC_ERROR;
}
NPError GetValue(NPP, int, void*) { return NPERR_GENERIC_ERROR; }
NPError SetValue(NPP, int, void*) { return NPERR_GENERIC_ERROR; }
// Instances repaint through their windows; the page presents after every call.
void InvalidateRect(NPP, NPRect*) {}
void InvalidateRegion(NPP, void*) {}
void ForceRedraw(NPP) {}

std::string JsonString(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

WebPlugin::WebPlugin() {
  m_browser.size = sizeof(NPNetscapeFuncs);
  m_browser.version = kTableVersion;
  m_browser.geturl = GetURL;
  m_browser.posturl = PostURL;
  m_browser.requestread = RequestRead;
  m_browser.newstream = NewStream;
  m_browser.write = Write;
  m_browser.destroystream = DestroyStream;
  m_browser.status = Status;
  m_browser.uagent = UserAgent;
  m_browser.memalloc = MemAlloc;
  m_browser.memfree = MemFree;
  m_browser.memflush = MemFlush;
  m_browser.reloadplugins = ReloadPlugins;
  m_browser.getJavaEnv = GetJavaEnv;
  m_browser.getJavaPeer = GetJavaPeer;
  m_browser.geturlnotify = GetURLNotify;
  m_browser.posturlnotify = PostURLNotify;
  m_browser.getvalue = GetValue;
  m_browser.setvalue = SetValue;
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
    m_record += JsonString(record->strings[i].key) + ":" + JsonString(record->strings[i].value);
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
