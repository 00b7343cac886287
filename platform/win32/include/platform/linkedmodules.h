// The modules linked into one program (the web build's single WebAssembly module).
//
// There is no dynamic loader there: the program registers the modules it holds, and
// LoadLibraryA, GetProcAddress and FreeLibrary work over this registry. Each module
// still has a file, placed in kLinkedModuleDirectory (the program's directory, and the
// directory of every module), so SearchPathA finds it as it finds a DLL; a module
// whose file is gone, or one of whose load-time links is gone, does not load.
#pragma once

#include <cstddef>

namespace platform {

inline constexpr char kLinkedModuleDirectory[] = "/zelvw/bin";

struct LinkedExport {
  const char* name;
  const void* address;  // a function or data
};

struct LinkedModule {
  const char* fileName;  // "ZIRN.DLL"
  const LinkedExport* exports;
  std::size_t exportCount;
  const char* const* imports;  // file names of the modules it links at load time
  std::size_t importCount;
};

// Registers the program's modules (the table must outlive every load) and writes
// their files. False when a file cannot be written.
bool RegisterLinkedModules(const LinkedModule* modules, std::size_t count);

}  // namespace platform
