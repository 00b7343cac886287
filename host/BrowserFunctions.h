// The browser's function table (NPNetscapeFuncs) given to NP_Initialize: version 0.9,
// every entry filled. NPN_MemAlloc and NPN_MemFree sit on malloc and count the
// blocks alive, so a plug-in that leaks or frees what it never got is caught;
// NPN_Status and NPN_UserAgent are real; the URL and stream functions, which need a
// network, answer NPERR_GENERIC_ERROR.
//
// The table's functions reach the one BrowserFunctions object alive in the process.
#pragma once

#include "host/MessageLog.h"

#include <npupp.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

namespace nphost {

class BrowserFunctions {
 public:
  // What the table asks of the browser about an instance handle from the plug-in:
  // its number (0 when it is not a live instance of this browser) and its window.
  struct Instances {
    std::function<int(NPP)> numberOf;
    std::function<HWND(NPP)> windowOf;
  };

  // failNthAlloc: the Nth NPN_MemAlloc from now fails (0: none).
  BrowserFunctions(MessageLog& log, Instances instances, unsigned long failNthAlloc);
  // Frees the blocks still alive.
  ~BrowserFunctions();
  BrowserFunctions(const BrowserFunctions&) = delete;
  BrowserFunctions& operator=(const BrowserFunctions&) = delete;

  NPNetscapeFuncs* Table() { return &m_table; }

  std::size_t LiveBlocks() const { return m_live.size(); }
  // Whether block is alive and came from NPN_MemAlloc.
  bool Owns(const void* block) const { return m_live.count(const_cast<void*>(block)) != 0; }
  // Frees a block as NPN_MemFree does (saved data the plug-in hands back).
  void Free(void* block);

  static constexpr const char* kUserAgent = "nphost/1.0 (plug-in host)";

 private:
  static BrowserFunctions* Active();
  static void* MemAlloc(uint32_t size);
  static void MemFree(void* block);
  static void Status(NPP instance, const char* message);
  static void InvalidateRect(NPP instance, NPRect* rect);
  static void InvalidateRegion(NPP instance, void* region);
  static void ForceRedraw(NPP instance);

  MessageLog& m_log;
  Instances m_instances;
  unsigned long m_allocsUntilFailure;
  std::unordered_set<void*> m_live;
  NPNetscapeFuncs m_table{};
};

}  // namespace nphost
