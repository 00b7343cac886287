// ShareLock: the in-process table of openers and the cross-process lock bytes.
#include "sharelock.h"
#include "rangelock.h"

#include <platform/posix.h>
#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace platform::mfc {
namespace {

// One byte per fact.
constexpr off_t kLockBase = ShareLock::kFirstLockByte;
enum Fact : off_t { kReads = 0, kWrites = 1, kDeniesRead = 2, kDeniesWrite = 3 };

struct Table {
  std::mutex lock;
  std::map<std::pair<dev_t, ino_t>, std::vector<const ShareLock*>> openers;
};

Table& Openers() {
  static Table* table = new Table;  // outlives the static destructors of every module
  return *table;
}

bool Excludes(const ShareLock::Mode& a, const ShareLock::Mode& b) {
  return (a.read && b.denyRead) || (a.write && b.denyWrite) || (b.read && a.denyRead) ||
         (b.write && a.denyWrite);
}

std::vector<Fact> FactsOf(const ShareLock::Mode& mode) {
  std::vector<Fact> facts;
  if (mode.read) facts.push_back(kReads);
  if (mode.write) facts.push_back(kWrites);
  if (mode.denyRead) facts.push_back(kDeniesRead);
  if (mode.denyWrite) facts.push_back(kDeniesWrite);
  return facts;
}

// The facts of others that exclude an opener with this mode.
std::vector<Fact> OpposingFacts(const ShareLock::Mode& mode) {
  std::vector<Fact> facts;
  if (mode.read) facts.push_back(kDeniesRead);
  if (mode.write) facts.push_back(kDeniesWrite);
  if (mode.denyRead) facts.push_back(kReads);
  if (mode.denyWrite) facts.push_back(kWrites);
  return facts;
}

struct flock LockRecord(short type, off_t start, off_t length) {
  struct flock record {};
  record.l_type = type;
  record.l_whence = SEEK_SET;
  record.l_start = start;
  record.l_len = length;
  return record;
}

// A read-only descriptor of the same file, for a write-only opener's locks.
int ReopenForReading(int fd) {
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

}  // namespace

ShareLock::ShareLock(dev_t device, ino_t inode, Mode mode)
    : m_device(device), m_inode(inode), m_mode(mode), m_owner(getpid()) {}

DWORD ShareLock::Acquire(int fd, Mode mode, std::unique_ptr<ShareLock>* lock) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return platform::Win32ErrorFromErrno(errno);
  std::unique_ptr<ShareLock> candidate(new ShareLock(st.st_dev, st.st_ino, mode));

  // On every refusal the candidate's destructor, run after the guard's, lets go of
  // its lock bytes and of the table slot made here.
  Table& table = Openers();
  std::lock_guard guard(table.lock);
  std::vector<const ShareLock*>& openers = table.openers[{st.st_dev, st.st_ino}];
  for (const ShareLock* other : openers) {
    if (other->m_owner == candidate->m_owner && Excludes(other->m_mode, mode)) {
      return ERROR_SHARING_VIOLATION;
    }
  }
  if (candidate->LockFacts(fd) && candidate->OtherHoldsOpposingFact()) {
    return ERROR_SHARING_VIOLATION;
  }
  openers.push_back(candidate.get());
  *lock = std::move(candidate);
  return ERROR_SUCCESS;
}

// Takes a lock byte for each fact of this opener; false when the file system has
// no such locks (the table then stands alone).
bool ShareLock::LockFacts(int fd) {
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0 && (flags & O_ACCMODE) != O_WRONLY) {
    m_lockFd = fd;
  } else {
    m_lockFd = ReopenForReading(fd);
    m_ownsLockFd = m_lockFd >= 0;
  }
  if (m_lockFd < 0) return false;
  for (Fact fact : FactsOf(m_mode)) {
    struct flock record = LockRecord(F_RDLCK, kLockBase + fact, 1);
    if (RangeLock(m_lockFd, F_OFD_SETLK, &record) != 0) {
      Unlock();
      return false;
    }
  }
  return true;
}

bool ShareLock::OtherHoldsOpposingFact() const {
  for (Fact fact : OpposingFacts(m_mode)) {
    struct flock record = LockRecord(F_WRLCK, kLockBase + fact, 1);
    if (RangeLock(m_lockFd, F_OFD_GETLK, &record) == 0 && record.l_type != F_UNLCK) return true;
  }
  return false;
}

void ShareLock::Unlock() {
  if (m_lockFd >= 0 && getpid() == m_owner) {
    struct flock record = LockRecord(F_UNLCK, kLockBase, 4);
    RangeLock(m_lockFd, F_OFD_SETLK, &record);
  }
  if (m_ownsLockFd) close(m_lockFd);
  m_lockFd = -1;
  m_ownsLockFd = false;
}

ShareLock::~ShareLock() {
  Unlock();
  Table& table = Openers();
  std::lock_guard guard(table.lock);
  auto it = table.openers.find({m_device, m_inode});
  if (it == table.openers.end()) return;
  std::vector<const ShareLock*>& openers = it->second;
  openers.erase(std::remove(openers.begin(), openers.end(), this), openers.end());
  if (openers.empty()) table.openers.erase(it);
}

}  // namespace platform::mfc
