// The browser's functions, called through the table the browser gave NP_Initialize.
#pragma once

#include <npupp.h>

extern NPNetscapeFuncs* g_pBrowserFuncs;

void NPN_Version(int* pluginMajor, int* pluginMinor, int* browserMajor, int* browserMinor);
NPError NPN_GetURL(NPP instance, const char* url, const char* window);
NPError NPN_PostURL(NPP instance, const char* url, const char* window, uint32_t len,
                    const char* buf, NPBool file);
NPError NPN_RequestRead(NPStream* stream, NPByteRange* rangeList);
NPError NPN_NewStream(NPP instance, NPMIMEType type, NPStream** stream);
int32_t NPN_Write(NPP instance, NPStream* stream, int32_t len, void* buffer);
NPError NPN_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
void NPN_Status(NPP instance, const char* message);
const char* NPN_UserAgent(NPP instance);
void* NPN_MemAlloc(uint32_t size);
void NPN_MemFree(void* ptr);
void NPN_ReloadPlugins(NPBool reloadPages);
