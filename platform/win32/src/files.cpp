// CopyFileA, MoveFileA and DeleteFileA.
//
// A copy is written to a temporary file beside the target and renamed over it only
// when complete, so a failed copy never leaves a half-written target. With
// failIfExists the final rename refuses to replace (RENAME_NOREPLACE), so a target
// that appears during the copy is not overwritten either. The copy keeps the
// source's permission bits and modification time, as CopyFile keeps attributes and
// the last-write time.
#include <platform/posix.h>
#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL FailErrno(const std::string& path) { return Fail(platform::Win32ErrorFromErrno(errno, path)); }

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0;
  }

 private:
  int m_fd;
};

bool WriteAll(int fd, const char* data, ssize_t count) {
  while (count > 0) {
    ssize_t n = write(fd, data, static_cast<size_t>(count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    count -= n;
  }
  return true;
}

bool CopyContents(int from, int to) {
  char block[64 * 1024];
  for (;;) {
    ssize_t n = read(from, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, block, n)) return false;
  }
}

std::string TemporaryNameBeside(const std::string& target) {
  std::string::size_type slash = target.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
  return dir + "." + leaf + ".XXXXXX";
}

bool ExistsOrLink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

extern "C" {

/***********************************************************************
 * CopyFileA
 * Copies a regular file with its permission bits and modification time; the target
 * appears only when complete. With failIfExists, FALSE with ERROR_FILE_EXISTS for an
 * existing target. FALSE with the errno's Win32 error otherwise (ERROR_ACCESS_DENIED
 * for a source that is not a regular file).
 */
BOOL WINAPI CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  if (existingFileName == nullptr || newFileName == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string source = platform::ToPosixPath(existingFileName);
  std::string target = platform::ToPosixPath(newFileName);
  Descriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return FailErrno(source);
  struct stat st {};
  if (fstat(in.get(), &st) != 0) return FailErrno(source);
  if (!S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (failIfExists && ExistsOrLink(target)) return Fail(ERROR_FILE_EXISTS);

  std::string temporary = TemporaryNameBeside(target);
  Descriptor out(mkostemp(temporary.data(), O_CLOEXEC));
  if (out.get() < 0) return FailErrno(target);
  bool written = CopyContents(in.get(), out.get());
  if (written) {
    fchmod(out.get(), st.st_mode & 07777);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out.get(), times);
  }
  int error = errno;
  if (!out.Close() && written) {
    written = false;
    error = errno;
  }
  if (written) {
    int renamed = failIfExists ? platform::RenameNoReplace(temporary, target)
                               : rename(temporary.c_str(), target.c_str());
    if (renamed == 0) return TRUE;
    error = errno;
  }
  unlink(temporary.c_str());
  errno = error;
  return FailErrno(target);
}

/***********************************************************************
 * DeleteFileA
 * Deletes a file. FALSE with the errno's Win32 error.
 */
BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  if (fileName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::string path = platform::ToPosixPath(fileName);
  if (unlink(path.c_str()) != 0) return FailErrno(path);
  return TRUE;
}

/***********************************************************************
 * MoveFileA
 * Renames a file or directory; never replaces a target (ERROR_ALREADY_EXISTS). FALSE
 * with the errno's Win32 error otherwise, for the target when only its directory is
 * missing.
 */
BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  if (existingFileName == nullptr || newFileName == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string source = platform::ToPosixPath(existingFileName);
  std::string target = platform::ToPosixPath(newFileName);
  if (platform::RenameNoReplace(source, target) == 0) return TRUE;
  if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  return FailErrno(errno == ENOENT && ExistsOrLink(source) ? target : source);
}

}  // extern "C"
