// GetWindowsDirectoryA: $WINDIR when set, otherwise a per-user directory under the
// XDG data directory. The directory is created on use, so the system can write its
// profile files there at once.
#include <platform/posix.h>
#include <windows.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "callerbuffer.h"

namespace {

std::string NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string HomeDirectory() {
  std::string home = NonEmptyEnv("HOME");
  if (!home.empty()) return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char text[4096];
  if (getpwuid_r(getuid(), &entry, text, sizeof text, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

std::string ConfiguredDirectory() {
  std::string windir = platform::ToPosixPath(NonEmptyEnv("WINDIR"));
  if (!windir.empty()) return windir;
  // The XDG rules ignore a relative XDG_DATA_HOME.
  std::string data = NonEmptyEnv("XDG_DATA_HOME");
  if (data.empty() || data[0] != '/') data = HomeDirectory() + "/.local/share";
  return data + "/zelvw/windows";
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* cwd = getcwd(nullptr, 0);
  if (cwd == nullptr) return path;
  std::string result = std::string(cwd) + "/" + path;
  std::free(cwd);
  return result;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// mkdir -p; errno describes the failure.
bool MakeDirectories(const std::string& path) {
  for (std::string::size_type pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string prefix = path.substr(0, pos);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

}  // namespace

/***********************************************************************
 * GetWindowsDirectoryA
 * Copies the Windows directory (created if need be) without a trailing separator and
 * returns its length; with a buffer too small, the size needed including the
 * terminator. 0 with the errno's Win32 error when it cannot be created.
 */
extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  std::string dir = WithoutTrailingSlashes(Absolute(ConfiguredDirectory()));
  if (!MakeDirectories(dir)) {
    SetLastError(platform::Win32ErrorFromErrno(errno));
    return 0;
  }
  return platform::CopyToCallerBuffer(dir, buffer, size);
}
