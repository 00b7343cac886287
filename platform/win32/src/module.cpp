// LoadLibraryA, GetProcAddress, FreeLibrary over dlopen, dlsym and dlclose.
//
// A name without a directory is found with the search of SearchPathA, as seen from
// the module that calls LoadLibraryA, ".dll" being added when it has no extension.
// Libraries are loaded RTLD_NOW | RTLD_LOCAL, so a missing dependency fails the load
// and no module's symbols leak into another's. Every handle handed out is counted
// in a table: a stale or foreign HMODULE fails with ERROR_INVALID_HANDLE instead of
// reaching dlsym. ELF has no ordinals, so asking for one finds nothing.
#include <platform/posix.h>
#include <windows.h>

#include <dlfcn.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "searchpath.h"

namespace {

std::mutex g_moduleLock;
std::map<HMODULE, unsigned long> g_moduleRefs;  // handle -> loads not yet freed

bool HasDirectory(const std::string& name) { return name.find('/') != std::string::npos; }

}  // namespace

extern "C" {

/***********************************************************************
 * LoadLibraryA
 * Loads a module (dlopen) found by SearchPathA's search, as seen from the caller, when
 * the name has no directory; ".dll" is added to a name without an extension. NULL with
 * ERROR_INVALID_PARAMETER for an empty name, ERROR_MOD_NOT_FOUND when the module or
 * one of its dependencies is missing.
 */
__attribute__((noinline)) HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = platform::ToPosixPath(fileName);
  if (!HasDirectory(path)) {
    std::optional<std::string> found =
        platform::SearchFile(__builtin_return_address(0), nullptr, fileName, ".dll");
    if (!found) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    path = *found;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  auto module = static_cast<HMODULE>(handle);
  std::lock_guard guard(g_moduleLock);
  ++g_moduleRefs[module];
  return module;
}

/***********************************************************************
 * GetProcAddress
 * The address of an exported name (dlsym). NULL with ERROR_INVALID_HANDLE for a
 * module not from LoadLibraryA, ERROR_PROC_NOT_FOUND for a missing name and for any
 * ordinal, as ELF has none.
 */
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  std::lock_guard guard(g_moduleLock);
  if (g_moduleRefs.count(module) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Win32 passes ordinals as names below 0x10000.
  if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(module, procName);
  if (symbol == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

/***********************************************************************
 * FreeLibrary
 * Drops one reference taken by LoadLibraryA; the last unloads the module. FALSE with
 * ERROR_INVALID_HANDLE for a stale or foreign module.
 */
BOOL WINAPI FreeLibrary(HMODULE module) {
  {
    std::lock_guard guard(g_moduleLock);
    auto it = g_moduleRefs.find(module);
    if (it == g_moduleRefs.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second == 0) g_moduleRefs.erase(it);
  }
  // Outside the lock: unloading runs the module's destructors, which may call us.
  dlclose(module);
  return TRUE;
}

}  // extern "C"
