// The two function tables of the published plug-in interface: the plug-in's entry
// points (filled by NP_GetEntryPoints) and the browser's functions (given to
// NP_Initialize), with the exports a plug-in module provides.
#pragma once

#include <cstddef>

#include "npapi.h"

extern "C" {

typedef NPError (*NPP_NewUPP)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                              char* argn[], char* argv[], NPSavedData* saved);
typedef NPError (*NPP_DestroyUPP)(NPP instance, NPSavedData** save);
typedef NPError (*NPP_SetWindowUPP)(NPP instance, NPWindow* window);
typedef NPError (*NPP_NewStreamUPP)(NPP instance, NPMIMEType type, NPStream* stream,
                                    NPBool seekable, uint16_t* stype);
typedef NPError (*NPP_DestroyStreamUPP)(NPP instance, NPStream* stream, NPReason reason);
typedef int32_t (*NPP_WriteReadyUPP)(NPP instance, NPStream* stream);
typedef int32_t (*NPP_WriteUPP)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                void* buffer);
typedef void (*NPP_StreamAsFileUPP)(NPP instance, NPStream* stream, const char* fname);
typedef void (*NPP_PrintUPP)(NPP instance, NPPrint* platformPrint);
typedef int16_t (*NPP_HandleEventUPP)(NPP instance, void* event);
typedef void (*NPP_URLNotifyUPP)(NPP instance, const char* url, NPReason reason, void* notifyData);
typedef NPError (*NPP_GetValueUPP)(NPP instance, int variable, void* value);
typedef NPError (*NPP_SetValueUPP)(NPP instance, int variable, void* value);

typedef struct _NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewUPP newp;
  NPP_DestroyUPP destroy;
  NPP_SetWindowUPP setwindow;
  NPP_NewStreamUPP newstream;
  NPP_DestroyStreamUPP destroystream;
  NPP_StreamAsFileUPP asfile;
  NPP_WriteReadyUPP writeready;
  NPP_WriteUPP write;
  NPP_PrintUPP print;
  NPP_HandleEventUPP event;
  NPP_URLNotifyUPP urlnotify;
  void* javaClass;
  NPP_GetValueUPP getvalue;
  NPP_SetValueUPP setvalue;
} NPPluginFuncs;

typedef NPError (*NPN_GetURLUPP)(NPP instance, const char* url, const char* window);
typedef NPError (*NPN_PostURLUPP)(NPP instance, const char* url, const char* window, uint32_t len,
                                  const char* buf, NPBool file);
typedef NPError (*NPN_RequestReadUPP)(NPStream* stream, NPByteRange* rangeList);
typedef NPError (*NPN_NewStreamUPP)(NPP instance, NPMIMEType type, const char* window,
                                    NPStream** stream);
typedef int32_t (*NPN_WriteUPP)(NPP instance, NPStream* stream, int32_t len, void* buffer);
typedef NPError (*NPN_DestroyStreamUPP)(NPP instance, NPStream* stream, NPReason reason);
typedef void (*NPN_StatusUPP)(NPP instance, const char* message);
typedef const char* (*NPN_UserAgentUPP)(NPP instance);
typedef void* (*NPN_MemAllocUPP)(uint32_t size);
typedef void (*NPN_MemFreeUPP)(void* ptr);
typedef uint32_t (*NPN_MemFlushUPP)(uint32_t size);
typedef void (*NPN_ReloadPluginsUPP)(NPBool reloadPages);
typedef void* (*NPN_GetJavaEnvUPP)(void);
typedef void* (*NPN_GetJavaPeerUPP)(NPP instance);
typedef NPError (*NPN_GetURLNotifyUPP)(NPP instance, const char* url, const char* window,
                                       void* notifyData);
typedef NPError (*NPN_PostURLNotifyUPP)(NPP instance, const char* url, const char* window,
                                        uint32_t len, const char* buf, NPBool file,
                                        void* notifyData);
typedef NPError (*NPN_GetValueUPP)(NPP instance, int variable, void* value);
typedef NPError (*NPN_SetValueUPP)(NPP instance, int variable, void* value);
typedef void (*NPN_InvalidateRectUPP)(NPP instance, NPRect* rect);
typedef void (*NPN_InvalidateRegionUPP)(NPP instance, void* region);
typedef void (*NPN_ForceRedrawUPP)(NPP instance);

typedef struct _NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLUPP geturl;
  NPN_PostURLUPP posturl;
  NPN_RequestReadUPP requestread;
  NPN_NewStreamUPP newstream;
  NPN_WriteUPP write;
  NPN_DestroyStreamUPP destroystream;
  NPN_StatusUPP status;
  NPN_UserAgentUPP uagent;
  NPN_MemAllocUPP memalloc;
  NPN_MemFreeUPP memfree;
  NPN_MemFlushUPP memflush;
  NPN_ReloadPluginsUPP reloadplugins;
  NPN_GetJavaEnvUPP getJavaEnv;
  NPN_GetJavaPeerUPP getJavaPeer;
  NPN_GetURLNotifyUPP geturlnotify;
  NPN_PostURLNotifyUPP posturlnotify;
  NPN_GetValueUPP getvalue;
  NPN_SetValueUPP setvalue;
  NPN_InvalidateRectUPP invalidaterect;
  NPN_InvalidateRegionUPP invalidateregion;
  NPN_ForceRedrawUPP forceredraw;
} NPNetscapeFuncs;

// The smallest tables a plug-in of this interface version accepts: its own table as
// far as the event slot, the browser's as far as NPN_ReloadPlugins. (On a 32-bit
// system these are the 44 and 52 bytes of the interface's documentation.)
constexpr std::size_t kMinPluginFuncsSize = offsetof(NPPluginFuncs, event) + sizeof(void*);
constexpr std::size_t kMinNetscapeFuncsSize =
    offsetof(NPNetscapeFuncs, reloadplugins) + sizeof(void*);

// Exports of a plug-in module.
typedef NPError (*NP_GetEntryPointsFunc)(NPPluginFuncs* pluginFuncs);
typedef NPError (*NP_InitializeFunc)(NPNetscapeFuncs* browserFuncs);
typedef NPError (*NP_ShutdownFunc)(void);

}  // extern "C"
