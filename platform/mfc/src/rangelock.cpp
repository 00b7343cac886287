// Byte-range locks: the kernel's natively; on the web a table of the one process.
//
// The table keys locks by file (device and inode) and holder (descriptor). A descriptor
// that is closed has no file any more: its locks are dropped the next time the file's
// locks are looked at. Unlocking drops every lock of the holder that overlaps the range
// (the callers unlock what they locked, never part of it).
#include "rangelock.h"

#ifdef __EMSCRIPTEN__
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <utility>
#include <vector>
#endif

namespace platform::mfc {

#ifdef __EMSCRIPTEN__
namespace {

struct Held {
  int fd;
  short type;
  off_t start;
  off_t length;  // 0: to the end of the file
};

using FileId = std::pair<dev_t, ino_t>;
std::map<FileId, std::vector<Held>> g_locks;

bool Overlaps(const Held& held, off_t start, off_t length) {
  bool heldEndsBefore = held.length != 0 && held.start + held.length <= start;
  bool rangeEndsBefore = length != 0 && start + length <= held.start;
  return !heldEndsBefore && !rangeEndsBefore;
}

bool SameFile(int fd, const FileId& file) {
  struct stat st {};
  return fstat(fd, &st) == 0 && st.st_dev == file.first && st.st_ino == file.second;
}

}  // namespace

int RangeLock(int fd, int command, struct flock* record) {
  struct stat st {};
  if (record == nullptr || fstat(fd, &st) != 0) {
    errno = EBADF;
    return -1;
  }
  if ((command != F_OFD_SETLK && command != F_OFD_GETLK) || record->l_whence != SEEK_SET) {
    errno = EINVAL;
    return -1;
  }
  FileId file{st.st_dev, st.st_ino};
  std::vector<Held>& locks = g_locks[file];
  std::erase_if(locks, [&](const Held& held) { return !SameFile(held.fd, file); });
  auto conflicting = std::find_if(locks.begin(), locks.end(), [&](const Held& held) {
    return held.fd != fd && Overlaps(held, record->l_start, record->l_len) &&
           (held.type == F_WRLCK || record->l_type == F_WRLCK);
  });
  if (command == F_OFD_GETLK) {
    if (conflicting == locks.end() || record->l_type == F_UNLCK) {
      record->l_type = F_UNLCK;
    } else {
      *record = flock{};
      record->l_type = conflicting->type;
      record->l_whence = SEEK_SET;
      record->l_start = conflicting->start;
      record->l_len = conflicting->length;
      record->l_pid = -1;
    }
    return 0;
  }
  if (record->l_type != F_UNLCK && conflicting != locks.end()) {
    errno = EAGAIN;
    return -1;
  }
  std::erase_if(locks, [&](const Held& held) {
    return held.fd == fd && Overlaps(held, record->l_start, record->l_len);
  });
  if (record->l_type != F_UNLCK) {
    locks.push_back({fd, record->l_type, record->l_start, record->l_len});
  }
  return 0;
}
#else
int RangeLock(int fd, int command, struct flock* record) { return fcntl(fd, command, record); }
#endif

}  // namespace platform::mfc
