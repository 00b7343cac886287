// Hooks: the WH_CBT chain, which the framework uses to attach its window object
// to a window as it is created. Handles are never reused, so a stale HHOOK fails.
#include "hooks.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct Hook {
  HHOOK handle;
  HOOKPROC proc;
};

struct HookChain {
  std::vector<Hook> hooks;  // newest first
  std::uintptr_t next = 0x20000;
};

HookChain& Chain() {
  static HookChain* chain = new HookChain;  // outlives static destructors of other modules
  return *chain;
}

// The hook after position `from` in the chain, called; 0 past the end.
LRESULT CallFrom(std::size_t from, int code, WPARAM wParam, LPARAM lParam) {
  std::vector<Hook>& hooks = Chain().hooks;
  if (from >= hooks.size()) return 0;
  return hooks[from].proc(code, wParam, lParam);
}

}  // namespace

namespace platform::user {

LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam) {
  return CallFrom(0, code, wParam, lParam);
}

}  // namespace platform::user

extern "C" {

/***********************************************************************
 * SetWindowsHookExA
 * Installs a hook at the head of the chain; only WH_CBT exists, for every thread, and
 * the module and thread are ignored. NULL with ERROR_INVALID_PARAMETER for another
 * kind or no procedure.
 */
HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  if (idHook != WH_CBT || proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HookChain& chain = Chain();
  chain.next += 4;
  HHOOK handle = reinterpret_cast<HHOOK>(chain.next);
  chain.hooks.insert(chain.hooks.begin(), Hook{handle, proc});
  return handle;
}

/***********************************************************************
 * UnhookWindowsHookEx
 * Removes a hook. FALSE with ERROR_INVALID_HANDLE for a stale handle.
 */
BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
  std::vector<Hook>& hooks = Chain().hooks;
  auto it =
      std::find_if(hooks.begin(), hooks.end(), [hook](const Hook& h) { return h.handle == hook; });
  if (it == hooks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  hooks.erase(it);
  return TRUE;
}

/***********************************************************************
 * CallNextHookEx
 * Calls the hook after this one in the chain and returns its result; 0 at the end of
 * the chain and for a stale handle.
 */
LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  std::vector<Hook>& hooks = Chain().hooks;
  auto it =
      std::find_if(hooks.begin(), hooks.end(), [hook](const Hook& h) { return h.handle == hook; });
  if (it == hooks.end()) return 0;
  return CallFrom(static_cast<std::size_t>(it - hooks.begin()) + 1, code, wParam, lParam);
}

}  // extern "C"
