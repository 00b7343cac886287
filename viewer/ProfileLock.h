// CProfileLock: the Windows directory's lock over source profiles. Views in other
// processes (other browser windows, other browsers, other users of the directory)
// install profiles through the same temporary files, so a view holds this lock from
// creating its temporary file until its matching session has opened the profile it
// installed: no other view can truncate the file it is writing, rename it away, or
// replace the installed profile before the session has read it.
//
// The lock is the first byte of "icm.lck" in the Windows directory. A view waits for
// it a bounded time, polling, and gives up after that as if its temporary file could
// not be created. Closing the file, or the process ending, lets go of it.
#pragma once

#include <afx.h>
#include <windows.h>

#include <memory>

constexpr DWORD kProfileLockWait = 5000;  // milliseconds
constexpr DWORD kProfileLockPoll = 10;

class CProfileLock {
 public:
  CProfileLock();
  ~CProfileLock();
  CProfileLock(const CProfileLock&) = delete;
  CProfileLock& operator=(const CProfileLock&) = delete;

  // TRUE once the lock is held (at once when this object holds it already); FALSE when
  // the lock file cannot be opened or another holder kept it for dwWait milliseconds.
  BOOL Acquire(DWORD dwWait = kProfileLockWait);
  // Lets go of the lock, when held.
  void Release();
  BOOL IsHeld() const { return m_bHeld; }

 private:
  CFile m_file;
  BOOL m_bHeld;
};

// Releases a lock at the end of a scope, however the scope ends; the lock itself is
// not deleted.
struct ReleaseProfileLock {
  void operator()(CProfileLock* pLock) const { pLock->Release(); }
};
using CProfileLockScope = std::unique_ptr<CProfileLock, ReleaseProfileLock>;
