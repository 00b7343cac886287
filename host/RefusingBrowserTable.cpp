#include "host/RefusingBrowserTable.h"

namespace nphost {
namespace {

// The table's version: major 0, minor 9.
constexpr uint16_t kTableVersion = (0 << 8) | 9;

NPError GetURL(NPP, const char*, const char*) { return NPERR_GENERIC_ERROR; }
NPError PostURL(NPP, const char*, const char*, uint32_t, const char*, NPBool) {
  return NPERR_GENERIC_ERROR;
}
NPError RequestRead(NPStream*, NPByteRange*) { return NPERR_GENERIC_ERROR; }
NPError NewStream(NPP, NPMIMEType, const char*, NPStream**) { return NPERR_GENERIC_ERROR; }
int32_t Write(NPP, NPStream*, int32_t, void*) { return -1; }
NPError DestroyStream(NPP, NPStream*, NPReason) { return NPERR_GENERIC_ERROR; }
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

}  // namespace

NPNetscapeFuncs RefusingBrowserTable() {
  NPNetscapeFuncs table{};
  table.size = sizeof(NPNetscapeFuncs);
  table.version = kTableVersion;
  table.geturl = GetURL;
  table.posturl = PostURL;
  table.requestread = RequestRead;
  table.newstream = NewStream;
  table.write = Write;
  table.destroystream = DestroyStream;
  table.memflush = MemFlush;
  table.reloadplugins = ReloadPlugins;
  table.getJavaEnv = GetJavaEnv;
  table.getJavaPeer = GetJavaPeer;
  table.geturlnotify = GetURLNotify;
  table.posturlnotify = PostURLNotify;
  table.getvalue = GetValue;
  table.setvalue = SetValue;
  return table;
}

}  // namespace nphost
