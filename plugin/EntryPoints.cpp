#include "plugin/EntryPoints.h"

#include <afxwin.h>

#include <new>

#include "plugin/BrowserFuncs.h"
#include "plugin/PluginInstance.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

int g_bTeardownDone = 0;

namespace {

constexpr int32_t kWriteReadyBytes = 0x0FFFFFFF;

PluginInstance* RecordOf(NPP instance) { return static_cast<PluginInstance*>(instance->pdata); }

// A document whose construction fails (the engine binding, its first image state)
// leaves the record without one rather than failing the instance.
CImgVuDoc* NewDocument() {
  try {
    return new CImgVuDoc;
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

void Unsubclass(CImgVuWnd* pWnd) {
  WNDPROC pfnPrevious = *pWnd->GetSuperWndProcAddr();
  if (pfnPrevious != nullptr && pWnd->m_hWnd != nullptr)
    SetWindowLongA(pWnd->m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(pfnPrevious));
  pWnd->Detach();
}

}  // namespace

NPError NPP_Initialize() { return NPERR_NO_ERROR; }

// Documents let go of keep their use of the engine binding for as long as the module
// is loaded; once the browser shuts it down none of them can match again.
void NPP_Shutdown() {
  while (ColorEngineUsers() > 0) ReleaseColorEngine();
  g_bEngineReady = 0;
}

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t, char*[], char*[], NPSavedData*) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  if (g_pBrowserFuncs == nullptr || g_pBrowserFuncs->memalloc == nullptr)
    return NPERR_OUT_OF_MEMORY_ERROR;
  auto* pRecord = static_cast<PluginInstance*>(NPN_MemAlloc(sizeof(PluginInstance)));
  instance->pdata = pRecord;
  if (pRecord == nullptr) return NPERR_OUT_OF_MEMORY_ERROR;
  pRecord->window = nullptr;
  pRecord->document = NewDocument();
  pRecord->mode = mode;
  return NPERR_NO_ERROR;
}

void TeardownInstance(PluginInstance* pRecord) {
  if (pRecord->document != nullptr) {
    if (!g_bTeardownDone)
      delete pRecord->document;
    else
      pRecord->document->LetGo();
    pRecord->document = nullptr;
  }
  if (pRecord->window != nullptr) {
    Unsubclass(pRecord->window);
    delete pRecord->window;
    pRecord->window = nullptr;
  }
  if (!g_bTeardownDone) g_bTeardownDone = 1;
}

NPError NPP_Destroy(NPP instance, NPSavedData**) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* pRecord = RecordOf(instance);
  if (pRecord != nullptr) {
    TeardownInstance(pRecord);
    NPN_MemFree(pRecord);
    instance->pdata = nullptr;
  }
  return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* pRecord = RecordOf(instance);
  if (window == nullptr || pRecord == nullptr) return NPERR_GENERIC_ERROR;

  if (window->window == nullptr) {
    if (pRecord->window != nullptr) TeardownInstance(pRecord);
    return NPERR_NO_ERROR;
  }
  if (pRecord->window == nullptr) {
    pRecord->window = new CImgVuWnd;
    if (!pRecord->window->SubclassWindow(static_cast<HWND>(window->window)))
      return NPERR_GENERIC_ERROR;
    pRecord->window->m_pInstance = pRecord;
  }
  pRecord->window->InvalidateRect(nullptr, TRUE);
  pRecord->window->UpdateWindow();
  return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t* stype) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  *stype = NP_ASFILE;
  return NPERR_NO_ERROR;
}

NPError NPP_DestroyStream(NPP instance, NPStream*, NPReason) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream*) { return kWriteReadyBytes; }

int32_t NPP_Write(NPP, NPStream*, int32_t, int32_t len, void*) { return len; }

void NPP_StreamAsFile(NPP instance, NPStream*, const char* fname) {
  if (instance == nullptr || fname == nullptr) return;
  PluginInstance* pRecord = RecordOf(instance);
  if (pRecord == nullptr || pRecord->document == nullptr) return;
  pRecord->document->m_nDisplayMode = pRecord->mode;
  g_bEmbeddedProfile = 0;
  pRecord->document->Open(pRecord->window, CString(fname));
}

void NPP_Print(NPP instance, NPPrint*) {
  if (instance == nullptr) return;
  PluginInstance* pRecord = RecordOf(instance);
  if (pRecord != nullptr && pRecord->window != nullptr) pRecord->window->OnPrint();
}
