#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zirn {
namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

FileBytes ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  FileBytes result;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = errno == ENOENT || errno == ENOTDIR ? ReadError::kMissing : ReadError::kIo;
    return result;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    result.error = ReadError::kIo;
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.error = ReadError::kNotRegular;
    return result;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    result.error = ReadError::kTooLarge;
    return result;
  }
  // Room for one byte more than allowed, to notice a file that grew since fstat.
  const std::size_t cap = maxBytes + 1;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == buffer.size()) {
      if (buffer.size() >= cap) break;
      buffer.resize(std::min(cap, buffer.size() * 2));
    }
    ssize_t n = ::read(fd.get(), buffer.data() + used, buffer.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = ReadError::kIo;
      return result;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used > maxBytes) {
    result.error = ReadError::kTooLarge;
    return result;
  }
  buffer.resize(used);
  result.bytes = std::move(buffer);
  return result;
}

bool MakeDirectories(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string parent = DirectoryOf(path);
  if (parent != path && parent != "." && !MakeDirectories(parent)) return false;
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  std::string temp = path + ".XXXXXX";
  FileDescriptor fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return false;
  bool written = WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
  written = fd.Close() && written;
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable; a failure here leaves the new content in place.
  FileDescriptor dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace zirn
