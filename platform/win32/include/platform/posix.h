// Where the stand-ins call POSIX: the spelling of paths and the translation of
// errno into Win32 error codes, kept in one place.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace platform {

// A Windows-style path as POSIX takes it: every backslash becomes a slash and a
// leading drive ("C:") is dropped.
std::string ToPosixPath(std::string_view path);

// The Win32 error for an errno value. For ENOENT, naming the path that failed
// tells a missing file (ERROR_FILE_NOT_FOUND) from a missing directory on its way
// (ERROR_PATH_NOT_FOUND).
DWORD Win32ErrorFromErrno(int error, const std::string& posixPath = {});

// rename() that never replaces an existing target (EEXIST instead), as MoveFile
// does. 0 on success, -1 with errno set otherwise.
int RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace platform
