// CFile over POSIX descriptors. Sharing is ShareLock's (sharelock.h); this file maps
// the framework's flags and errors.
//
// Open never blocks and never truncates before the share check: the descriptor is
// opened without O_TRUNC (and O_NONBLOCK, so a FIFO cannot hang it), only regular
// files are accepted (a directory is accessDenied, as CreateFile answers), and
// modeCreate truncates once the share modes have agreed.
#include <afx.h>
#include <platform/posix.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "rangelock.h"
#include "sharelock.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

bool Readable(UINT flags) { return (flags & kAccessMask) != CFile::modeWrite; }
bool Writable(UINT flags) { return (flags & kAccessMask) != CFile::modeRead; }

// The share mode of CreateFile: shareCompat is exclusive, as for Win32 files.
bool ShareModeFor(UINT flags, platform::mfc::ShareLock::Mode* mode) {
  mode->read = Readable(flags);
  mode->write = Writable(flags);
  switch (flags & kShareMask) {
    case CFile::shareCompat:
    case CFile::shareExclusive:
      mode->denyRead = mode->denyWrite = true;
      return true;
    case CFile::shareDenyWrite:
      mode->denyWrite = true;
      return true;
    case CFile::shareDenyRead:
      mode->denyRead = true;
      return true;
    case CFile::shareDenyNone:
      return true;
    default:
      return false;
  }
}

int OpenFlagsFor(UINT flags) {
  int access = (flags & kAccessMask) == CFile::modeRead    ? O_RDONLY
               : (flags & kAccessMask) == CFile::modeWrite ? O_WRONLY
                                                           : O_RDWR;
  int result = access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (flags & CFile::modeCreate) result |= O_CREAT;
  return result;
}

void Fill(CFileException* error, DWORD osError, LPCTSTR fileName) {
  if (error == nullptr) return;
  error->m_cause = CFileException::OsErrorToException(static_cast<LONG>(osError));
  error->m_lOsError = static_cast<LONG>(osError);
  error->m_strFileName = fileName;
}

// An open regular file with its share lock and, for modeCreate, truncated; the
// descriptor is closed again on every failure.
DWORD OpenDescriptor(const std::string& path, UINT flags, int* fd,
                     std::unique_ptr<platform::mfc::ShareLock>* lock) {
  platform::mfc::ShareLock::Mode mode;
  if ((flags & kAccessMask) == kAccessMask || !ShareModeFor(flags, &mode)) {
    return ERROR_INVALID_PARAMETER;
  }
  int descriptor = open(path.c_str(), OpenFlagsFor(flags), 0666);
  if (descriptor < 0) return platform::Win32ErrorFromErrno(errno, path);
  struct stat st {};
  DWORD error = ERROR_SUCCESS;
  if (fstat(descriptor, &st) != 0) {
    error = platform::Win32ErrorFromErrno(errno);
  } else if (!S_ISREG(st.st_mode)) {
    error = ERROR_ACCESS_DENIED;
  } else if (fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = platform::Win32ErrorFromErrno(errno);
  } else {
    error = platform::mfc::ShareLock::Acquire(descriptor, mode, lock);
  }
  if (error == ERROR_SUCCESS && (flags & CFile::modeCreate) && !(flags & CFile::modeNoTruncate) &&
      ftruncate(descriptor, 0) != 0) {
    error = platform::Win32ErrorFromErrno(errno);
  }
  if (error != ERROR_SUCCESS) {
    lock->reset();
    close(descriptor);
    return error;
  }
  *fd = descriptor;
  return ERROR_SUCCESS;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile() {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
  }
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull) Abort();
  if (lpszFileName == nullptr || *lpszFileName == '\0') {
    Fill(pError, ERROR_INVALID_NAME, lpszFileName);
    return FALSE;
  }
  int fd = -1;
  DWORD error = OpenDescriptor(platform::ToPosixPath(lpszFileName), nOpenFlags, &fd, &m_pShareLock);
  if (error != ERROR_SUCCESS) {
    Fill(pError, error, lpszFileName);
    return FALSE;
  }
  m_hFile = static_cast<UINT>(fd);
  m_nOpenFlags = nOpenFlags;
  m_bCloseOnDelete = TRUE;
  m_strFileName = lpszFileName;
  return TRUE;
}

void CFile::ThrowErrno(int error) const {
  CFileException::ThrowOsError(static_cast<LONG>(platform::Win32ErrorFromErrno(error)),
                               m_strFileName);
}

void CFile::RequireOpen() const {
  if (m_hFile == hFileNull) CFileException::ThrowOsError(ERROR_INVALID_HANDLE, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  RequireOpen();
  if (!Readable(m_nOpenFlags)) CFileException::ThrowOsError(ERROR_ACCESS_DENIED, m_strFileName);
  auto* out = static_cast<char*>(lpBuf);
  UINT total = 0;
  while (total < nCount) {
    ssize_t n = read(static_cast<int>(m_hFile), out + total, nCount - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno);
    if (n == 0) break;
    total += static_cast<UINT>(n);
  }
  return total;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  RequireOpen();
  if (!Writable(m_nOpenFlags)) CFileException::ThrowOsError(ERROR_ACCESS_DENIED, m_strFileName);
  const auto* in = static_cast<const char*>(lpBuf);
  UINT total = 0;
  while (total < nCount) {
    ssize_t n = write(static_cast<int>(m_hFile), in + total, nCount - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno);
    if (n == 0) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    total += static_cast<UINT>(n);
  }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  RequireOpen();
  if (nFrom != begin && nFrom != current && nFrom != end) {
    AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
  }
  int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
  off_t position = lseek(static_cast<int>(m_hFile), static_cast<off_t>(lOff), whence);
  if (position < 0) {
    // lseek refuses a position before the start with EINVAL: Win32's negative seek.
    if (errno == EINVAL) {
      AfxThrowFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK, m_strFileName);
    }
    ThrowErrno(errno);
  }
  return static_cast<ULONGLONG>(position);
}

void CFile::SeekToBegin() { Seek(0, begin); }

ULONGLONG CFile::SeekToEnd() { return Seek(0, end); }

ULONGLONG CFile::GetPosition() const {
  RequireOpen();
  off_t position = lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
  if (position < 0) ThrowErrno(errno);
  return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const {
  RequireOpen();
  struct stat st {};
  if (fstat(static_cast<int>(m_hFile), &st) != 0) ThrowErrno(errno);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  RequireOpen();
  if (!Writable(m_nOpenFlags)) CFileException::ThrowOsError(ERROR_ACCESS_DENIED, m_strFileName);
  if (dwNewLen > static_cast<ULONGLONG>(INT64_MAX)) {
    AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
  }
  if (ftruncate(static_cast<int>(m_hFile), static_cast<off_t>(dwNewLen)) != 0) ThrowErrno(errno);
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  if (fsync(static_cast<int>(m_hFile)) != 0) ThrowErrno(errno);
}

void CFile::LockRange(ULONGLONG dwPos, ULONGLONG dwCount) { SetRangeLock(dwPos, dwCount, F_WRLCK); }

void CFile::UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount) {
  SetRangeLock(dwPos, dwCount, F_UNLCK);
}

// Open-file-description locks, as Win32's belong to the handle: two CFile objects
// of one process exclude each other too, and closing the file lets go.
void CFile::SetRangeLock(ULONGLONG dwPos, ULONGLONG dwCount, short nType) {
  RequireOpen();
  constexpr auto kLimit = static_cast<ULONGLONG>(platform::mfc::ShareLock::kFirstLockByte);
  if (dwCount == 0 || dwPos >= kLimit || dwCount > kLimit - dwPos) {
    CFileException::ThrowOsError(ERROR_INVALID_PARAMETER, m_strFileName);
  }
  struct flock record {};
  record.l_type = nType;
  record.l_whence = SEEK_SET;
  record.l_start = static_cast<off_t>(dwPos);
  record.l_len = static_cast<off_t>(dwCount);
  if (platform::mfc::RangeLock(static_cast<int>(m_hFile), F_OFD_SETLK, &record) == 0) return;
  if (errno == EAGAIN || errno == EACCES)
    CFileException::ThrowOsError(ERROR_LOCK_VIOLATION, m_strFileName);
  if (errno == EBADF) CFileException::ThrowOsError(ERROR_ACCESS_DENIED, m_strFileName);
  ThrowErrno(errno);
}

void CFile::ReleaseHandle() {
  m_pShareLock.reset();  // before the descriptor, whose number may be reused at once
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  int fd = static_cast<int>(m_hFile);
  ReleaseHandle();
  // The descriptor is gone even when close reports an error.
  if (close(fd) != 0 && errno != EINTR) ThrowErrno(errno);
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
  int fd = static_cast<int>(m_hFile);
  ReleaseHandle();
  close(fd);
}

CString CFile::GetFilePath() const { return m_strFileName; }

CString CFile::GetFileName() const {
  int slash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
  return m_strFileName.Mid(slash + 1);
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
  if (!MoveFileA(lpszOldName, lpszNewName)) {
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszOldName);
  }
}

void CFile::Remove(LPCTSTR lpszFileName) {
  if (!DeleteFileA(lpszFileName)) {
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszFileName);
  }
}
