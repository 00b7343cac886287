#include "plugin/BrowserFuncs.h"

NPNetscapeFuncs* g_pBrowserFuncs = nullptr;

void NPN_Version(int* pluginMajor, int* pluginMinor, int* browserMajor, int* browserMinor) {
  *pluginMajor = NP_VERSION_MAJOR;
  *pluginMinor = NP_VERSION_MINOR;
  *browserMajor = g_pBrowserFuncs->version >> 8;
  *browserMinor = g_pBrowserFuncs->version & 0xFF;
}

NPError NPN_GetURL(NPP instance, const char* url, const char* window) {
  return g_pBrowserFuncs->geturl(instance, url, window);
}

NPError NPN_PostURL(NPP instance, const char* url, const char* window, uint32_t len,
                    const char* buf, NPBool file) {
  return g_pBrowserFuncs->posturl(instance, url, window, len, buf, file);
}

NPError NPN_RequestRead(NPStream* stream, NPByteRange* rangeList) {
  return g_pBrowserFuncs->requestread(stream, rangeList);
}

NPError NPN_NewStream(NPP instance, NPMIMEType type, NPStream** stream) {
  return g_pBrowserFuncs->newstream(instance, type, nullptr, stream);
}

int32_t NPN_Write(NPP instance, NPStream* stream, int32_t len, void* buffer) {
  return g_pBrowserFuncs->write(instance, stream, len, buffer);
}

NPError NPN_DestroyStream(NPP instance, NPStream* stream, NPReason reason) {
  return g_pBrowserFuncs->destroystream(instance, stream, reason);
}

void NPN_Status(NPP instance, const char* message) { g_pBrowserFuncs->status(instance, message); }

const char* NPN_UserAgent(NPP instance) { return g_pBrowserFuncs->uagent(instance); }

void* NPN_MemAlloc(uint32_t size) { return g_pBrowserFuncs->memalloc(size); }

void NPN_MemFree(void* ptr) { g_pBrowserFuncs->memfree(ptr); }

void NPN_ReloadPlugins(NPBool reloadPages) { g_pBrowserFuncs->reloadplugins(reloadPages); }
