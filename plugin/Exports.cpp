// The three functions the plug-in module exports: the browser binds the module
// through them.
#include <npupp.h>

#include "plugin/BrowserFuncs.h"
#include "plugin/EntryPoints.h"

#define NP_EXPORT(type) extern "C" __attribute__((visibility("default"))) type

NP_EXPORT(NPError) NP_GetEntryPoints(NPPluginFuncs* pFuncs) {
  if (pFuncs == nullptr || pFuncs->size < kMinPluginFuncsSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  pFuncs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  pFuncs->newp = NPP_New;
  pFuncs->destroy = NPP_Destroy;
  pFuncs->setwindow = NPP_SetWindow;
  pFuncs->newstream = NPP_NewStream;
  pFuncs->destroystream = NPP_DestroyStream;
  pFuncs->asfile = NPP_StreamAsFile;
  pFuncs->writeready = NPP_WriteReady;
  pFuncs->write = NPP_Write;
  pFuncs->print = NPP_Print;
  pFuncs->event = nullptr;
  g_bTeardownDone = 0;
  return NPERR_NO_ERROR;
}

NP_EXPORT(NPError) NP_Initialize(NPNetscapeFuncs* pFuncs) {
  if (pFuncs == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  g_pBrowserFuncs = pFuncs;
  if ((pFuncs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  if (pFuncs->size < kMinNetscapeFuncsSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  return NPP_Initialize();
}

NP_EXPORT(NPError) NP_Shutdown() {
  NPP_Shutdown();
  g_pBrowserFuncs = nullptr;
  return NPERR_NO_ERROR;
}
