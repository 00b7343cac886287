// LoadLibraryA, GetProcAddress, FreeLibrary over the registry of linked modules.
//
// A name is found as natively (SearchPathA's search, ".dll" added to a name without an
// extension); the file found names the module, in any letter case. Loading checks that
// every load-time link is found too, as the loader does. Handles are the registry's
// entries, counted: a stale or foreign HMODULE fails with ERROR_INVALID_HANDLE.
#include <platform/linkedmodules.h>
#include <platform/posix.h>
#include <windows.h>

#include <sys/stat.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "../searchpath.h"

namespace {

const platform::LinkedModule* g_modules = nullptr;
std::size_t g_moduleCount = 0;
std::map<HMODULE, unsigned long> g_moduleRefs;  // handle -> loads not yet freed
// Load-time links are followed at most this deep, so a cycle cannot loop.
constexpr int kMaxLinkDepth = 8;

const platform::LinkedModule* ModuleNamed(const std::string& path) {
  std::string leaf = path.substr(path.find_last_of('/') + 1);
  for (std::size_t i = 0; i < g_moduleCount; ++i) {
    if (_stricmp(g_modules[i].fileName, leaf.c_str()) == 0) return &g_modules[i];
  }
  return nullptr;
}

// The module the name finds, when it and everything it links are present.
const platform::LinkedModule* Find(const char* fileName, int depth) {
  std::string path = platform::ToPosixPath(fileName);
  if (path.find('/') == std::string::npos) {
    std::optional<std::string> found = platform::SearchFile(nullptr, nullptr, fileName, ".dll");
    if (!found) return nullptr;
    path = *found;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
  const platform::LinkedModule* module = ModuleNamed(path);
  if (module == nullptr || depth == kMaxLinkDepth) return nullptr;
  for (std::size_t i = 0; i < module->importCount; ++i) {
    if (Find(module->imports[i], depth + 1) == nullptr) return nullptr;
  }
  return module;
}

}  // namespace

namespace platform {

bool RegisterLinkedModules(const LinkedModule* modules, std::size_t count) {
  g_modules = modules;
  g_moduleCount = count;
  std::string dir = kLinkedModuleDirectory;
  for (std::string::size_type at = 1; at != std::string::npos; at = dir.find('/', at + 1)) {
    mkdir(dir.substr(0, at).c_str(), 0755);
  }
  mkdir(dir.c_str(), 0755);
  bool ok = true;
  for (std::size_t i = 0; i < count; ++i) {
    std::FILE* file = std::fopen((dir + "/" + modules[i].fileName).c_str(), "wb");
    ok = file != nullptr && std::fputs(modules[i].fileName, file) >= 0 && ok;
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
  }
  return ok;
}

}  // namespace platform

extern "C" {

/***********************************************************************
 * LoadLibraryA
 * Loads a linked module found by SearchPathA's search when the name has no directory.
 * NULL with ERROR_INVALID_PARAMETER for an empty name, ERROR_MOD_NOT_FOUND when the
 * module's file or one of its load-time links is missing, or the file is no module.
 */
HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const platform::LinkedModule* module = Find(fileName, 0);
  if (module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  auto handle = reinterpret_cast<HMODULE>(const_cast<platform::LinkedModule*>(module));
  ++g_moduleRefs[handle];
  return handle;
}

/***********************************************************************
 * GetProcAddress
 * The address of an exported name. NULL with ERROR_INVALID_HANDLE for a module not
 * from LoadLibraryA, ERROR_PROC_NOT_FOUND for a missing name and for any ordinal.
 */
FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
  if (g_moduleRefs.count(handle) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Win32 passes ordinals as names below 0x10000.
  if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  auto module = reinterpret_cast<const platform::LinkedModule*>(handle);
  for (std::size_t i = 0; i < module->exportCount; ++i) {
    if (std::strcmp(module->exports[i].name, procName) == 0) {
      return reinterpret_cast<FARPROC>(const_cast<void*>(module->exports[i].address));
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

/***********************************************************************
 * FreeLibrary
 * Drops one reference taken by LoadLibraryA. FALSE with ERROR_INVALID_HANDLE for a
 * stale or foreign module.
 */
BOOL WINAPI FreeLibrary(HMODULE module) {
  auto it = g_moduleRefs.find(module);
  if (it == g_moduleRefs.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--it->second == 0) g_moduleRefs.erase(it);
  return TRUE;
}

}  // extern "C"
