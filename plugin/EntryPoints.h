// The plug-in's entry points, placed in the browser's NPPluginFuncs table.
#pragma once

#include <npupp.h>

struct PluginInstance;

extern int g_bTeardownDone;  // set by the first teardown of a module load

NPError NPP_Initialize();
void NPP_Shutdown();
NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                char* argv[], NPSavedData* saved);
NPError NPP_Destroy(NPP instance, NPSavedData** save);
NPError NPP_SetWindow(NPP instance, NPWindow* window);
NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                      uint16_t* stype);
NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
int32_t NPP_WriteReady(NPP instance, NPStream* stream);
int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname);
void NPP_Print(NPP instance, NPPrint* platformPrint);

// Tears an instance record down: its document (every teardown deletes it; after the
// first teardown of a module load through LetGo, which keeps the engine binding for
// the documents still open) and its window (un-subclassed, detached and deleted).
void TeardownInstance(PluginInstance* pRecord);
