// SearchPathA over POSIX directories.
//
// With no path list the order is: the program's directory, the directory of the
// module that asks, the current directory, the Windows directory, then each entry
// of $PATH (a test hook may replace the first two). A path list is split at ';' and
// ':'. Names match exactly first, then regardless of ASCII letter case within the
// directory (the alphabetically first of several such matches), because Windows
// file names are case-insensitive and the system spells "ZIRN.DLL" as it likes.
// Directories never match. A name that starts at the root, "./" or "../" is not
// searched for but looked up where it points.
//
// The module that asks is the one holding the return address of SearchPathA (or
// LoadLibraryA): a module that calls them as a tail call asks as its own caller.
#include "searchpath.h"

#include <platform/linkedmodules.h>
#include <platform/posix.h>
#include <platform/testing.h>
#include <windows.h>

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "callerbuffer.h"

namespace platform {
namespace {

std::mutex g_hookLock;
std::vector<std::string> g_applicationDirectories;  // empty: the real ones

std::string CurrentDirectory() {
  std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string("/");
}

// Absolute and without "." and ".." components, as GetFullPathName spells paths.
std::string Absolute(const std::string& path) {
  std::string full = !path.empty() && path[0] == '/' ? path : CurrentDirectory() + "/" + path;
  return std::filesystem::path(full).lexically_normal().string();
}

#ifdef __EMSCRIPTEN__
// The web build's modules are all linked into the program, their files in one place.
std::string ProgramDirectory() { return kLinkedModuleDirectory; }
std::string ModuleDirectory(const void*) { return kLinkedModuleDirectory; }
#else
std::string DirectoryOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string ProgramDirectory() {
  char target[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", target, sizeof target - 1);
  if (n <= 0) return {};
  return DirectoryOf(std::string(target, static_cast<std::size_t>(n)));
}

std::string ModuleDirectory(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  std::string dir = DirectoryOf(info.dli_fname);
  return dir.empty() ? dir : Absolute(dir);
}
#endif

std::string WindowsDirectory() {
  char dir[MAX_PATH * 4];
  UINT n = GetWindowsDirectoryA(dir, sizeof dir);
  return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string();
}

std::vector<std::string> Split(const std::string& list, const char* separators) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (start <= list.size()) {
    std::string::size_type stop = list.find_first_of(separators, start);
    if (stop == std::string::npos) stop = list.size();
    if (stop > start) parts.push_back(list.substr(start, stop - start));
    start = stop + 1;
  }
  return parts;
}

std::vector<std::string> StandardDirectories(const void* caller) {
  std::vector<std::string> dirs;
  {
    std::lock_guard guard(g_hookLock);
    dirs = g_applicationDirectories;
  }
  if (dirs.empty()) {
    dirs.push_back(ProgramDirectory());
    dirs.push_back(ModuleDirectory(caller));
  }
  dirs.push_back(CurrentDirectory());
  dirs.push_back(WindowsDirectory());
  if (const char* path = std::getenv("PATH")) {
    for (std::string& dir : Split(path, ":")) dirs.push_back(std::move(dir));
  }
  return dirs;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

std::string Join(const std::string& dir, const std::string& name) {
  return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// dir/name, or dir/<name's directory>/<entry> whose name equals name's last
// component regardless of case.
std::optional<std::string> FindIn(const std::string& dir, const std::string& name) {
  std::string exact = Join(dir, name);
  if (IsFile(exact)) return Absolute(exact);
  std::string::size_type slash = name.find_last_of('/');
  std::string subdir = slash == std::string::npos ? dir : Join(dir, name.substr(0, slash));
  std::string leaf = slash == std::string::npos ? name : name.substr(slash + 1);
  std::unique_ptr<DIR, DirCloser> listing(opendir(subdir.c_str()));
  if (!listing) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(listing.get())) {
    if (_stricmp(entry->d_name, leaf.c_str()) != 0) continue;
    if (best && std::strcmp(entry->d_name, best->c_str()) >= 0) continue;
    if (IsFile(Join(subdir, entry->d_name))) best = entry->d_name;
  }
  if (!best) return std::nullopt;
  return Absolute(Join(subdir, *best));
}

bool HasExtension(const std::string& name) {
  std::string::size_type slash = name.find_last_of('/');
  std::string::size_type dot = name.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

bool PointsSomewhere(const std::string& name) {
  return name[0] == '/' || name.rfind("./", 0) == 0 || name.rfind("../", 0) == 0;
}

}  // namespace

std::optional<std::string> SearchFile(const void* caller, const char* pathList,
                                      const char* fileName, const char* extension) {
  std::string name = ToPosixPath(fileName);
  if (name.empty() || name.back() == '/') return std::nullopt;
  if (extension != nullptr && !HasExtension(name)) name += extension;
  if (PointsSomewhere(name)) {
    std::string full = Absolute(name);
    std::string::size_type slash = full.find_last_of('/');
    return FindIn(full.substr(0, slash == 0 ? 1 : slash), full.substr(slash + 1));
  }
  std::vector<std::string> dirs =
      pathList != nullptr ? Split(ToPosixPath(pathList), ";:") : StandardDirectories(caller);
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    if (std::optional<std::string> found = FindIn(dir, name)) return found;
  }
  return std::nullopt;
}

}  // namespace platform

namespace platform::testing {

void SetApplicationDirectories(std::vector<std::string> dirs) {
  std::lock_guard guard(g_hookLock);
  g_applicationDirectories = std::move(dirs);
}

}  // namespace platform::testing

/***********************************************************************
 * SearchPathA
 * Finds a file (adding extension to a name without one) and copies its full POSIX
 * path, returning its length; with a buffer too small, the size needed including
 * the terminator. filePart points at the name within the buffer. 0 with
 * ERROR_INVALID_PARAMETER for no name or a null buffer of nonzero length,
 * ERROR_FILE_NOT_FOUND when nothing matches.
 */
extern "C" __attribute__((noinline)) DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR fileName,
                                                              LPCSTR extension, DWORD bufferLength,
                                                              LPSTR buffer, LPSTR* filePart) {
  if (fileName == nullptr || (buffer == nullptr && bufferLength != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::optional<std::string> found =
      platform::SearchFile(__builtin_return_address(0), path, fileName, extension);
  if (!found) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  DWORD result = platform::CopyToCallerBuffer(*found, buffer, bufferLength);
  if (result < bufferLength && filePart != nullptr) {
    *filePart = buffer + found->find_last_of('/') + 1;
  }
  return result;
}
