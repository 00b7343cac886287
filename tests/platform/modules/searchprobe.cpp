// A tiny module for the module tests: an export to find with GetProcAddress, and a
// search made from inside a module, which sees that module's own directory.
#include <windows.h>

extern "C" int ProbeAnswer() { return 42; }

extern "C" DWORD ProbeSearch(const char* name, char* buffer, DWORD size) {
  return SearchPathA(nullptr, name, nullptr, size, buffer, nullptr);
}

extern "C" HMODULE ProbeLoad(const char* name) { return LoadLibraryA(name); }
