// ShareLock: the share mode of one open CFile, enforced against every other opener
// of the same file in this process and in other processes.
//
// Win32 rule: an open succeeds only when the access it asks for is allowed by the
// share mode of every existing opener, and the access of every existing opener is
// allowed by its own share mode. An opener is four facts: it reads, it writes, it
// denies reading, it denies writing.
//
// Inside the process a table keyed by the file's (device, inode) lists the facts of
// every opener, so the answer never depends on the file system.
//
// Across processes each opener holds open-file-description locks (F_OFD_SETLK) on
// four bytes far past any real data, one per fact it has: shared read locks, so any
// number of openers may hold the same fact. An opener first takes its own bytes and
// then asks (F_OFD_GETLK) whether another description holds a byte of an opposing
// fact; if so it lets go and fails. Taking before asking means two racing openers
// see each other: at worst both fail, never both succeed. The locks go with the
// open file description, so they end when the file is closed or the process dies;
// being advisory, they never stop anyone's reads or writes. Read locks need a
// readable descriptor: a write-only opener reopens the file read-only for its locks
// (and, when even that is refused, is covered by the table alone, as is every
// opener on a file system without these locks).
//
// A forked child inherits the table and the descriptors of its parent: it ignores
// table entries made by another process (their locks speak for them) and never
// unlocks what its parent locked.
#pragma once

#include <windef.h>

#include <sys/types.h>
#include <memory>

namespace platform::mfc {

class ShareLock {
 public:
  struct Mode {
    bool read = false;
    bool write = false;
    bool denyRead = false;
    bool denyWrite = false;
  };

  // ERROR_SUCCESS with the lock in *lock, or ERROR_SHARING_VIOLATION when this
  // opener and another exclude each other, or the Win32 error of a failed fstat.
  static DWORD Acquire(int fd, Mode mode, std::unique_ptr<ShareLock>* lock);

  // The first of the lock bytes, far beyond any data the system writes; byte-range
  // locks of the file's own users stay below it.
  static constexpr off_t kFirstLockByte = off_t{1} << 62;

  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

 private:
  ShareLock(dev_t device, ino_t inode, Mode mode);
  bool LockFacts(int fd);
  bool OtherHoldsOpposingFact() const;
  void Unlock();

  dev_t m_device;
  ino_t m_inode;
  Mode m_mode;
  pid_t m_owner;
  int m_lockFd = -1;          // the descriptor holding the locks; -1 when none
  bool m_ownsLockFd = false;  // opened for the locks alone
};

}  // namespace platform::mfc
