// CFile: an unbuffered file over a POSIX descriptor, with Win32's share modes.
//
// Paths take either separator. Failures are CFileException objects thrown as
// pointers (Open fills a record instead). Positions and lengths are 64-bit.
//
// Share modes exclude each other as CreateFile's do, inside the process and across
// processes; the scheme is described in sharelock.h. shareCompat behaves as
// shareExclusive, as it does for files opened through Win32.
#pragma once

#include <winbase.h>

#include <mfc/fileexception.h>
#include <mfc/object.h>
#include <mfc/string.h>

#include <memory>

namespace platform::mfc {
class ShareLock;
}

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)

 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000
  };
  enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };
  static constexpr UINT hFileNull = 0xFFFFFFFF;

  CFile();
  // Opens the file; throws the CFileException that Open would have filled.
  CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
  virtual ~CFile();  // closes an open file; never throws

  // FALSE on failure, with the cause, Win32 error and file name in *pError when
  // given. An open CFile is closed first.
  virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

  // Bytes read; fewer than asked only at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes all of it or throws (diskFull when it could not all be written).
  virtual void Write(const void* lpBuf, UINT nCount);
  // The new position; a position before the start throws badSeek.
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin();
  ULONGLONG SeekToEnd();
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG dwNewLen);
  virtual void Flush();
  // Win32's LockFile and UnlockFile: a byte range held against every other open
  // file (in this process or another) until unlocked or closed. A range another
  // holds throws lockViolation; the lock needs a file opened for writing
  // (accessDenied otherwise), and bytes from 2^62 on are the share modes' own
  // (ERROR_INVALID_PARAMETER). Unlike Win32, locking a range this file already
  // holds succeeds, and unlocking a range it does not hold is not an error.
  virtual void LockRange(ULONGLONG dwPos, ULONGLONG dwCount);
  virtual void UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount);
  virtual void Close();  // throws when the system reports a failed close
  virtual void Abort();  // closes, ignoring every error

  // The path as given to Open, and its last component.
  virtual CString GetFilePath() const;
  virtual CString GetFileName() const;

  // MoveFile: never replaces an existing file (accessDenied, ERROR_ALREADY_EXISTS).
  static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
  static void Remove(LPCTSTR lpszFileName);

  UINT m_hFile;

 protected:
  BOOL m_bCloseOnDelete;
  CString m_strFileName;

 private:
  [[noreturn]] void ThrowErrno(int error) const;
  void RequireOpen() const;
  void SetRangeLock(ULONGLONG dwPos, ULONGLONG dwCount, short nType);
  void ReleaseHandle();

  UINT m_nOpenFlags = 0;
  std::unique_ptr<platform::mfc::ShareLock> m_pShareLock;
};
