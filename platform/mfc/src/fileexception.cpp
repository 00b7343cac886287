// CFileException: the framework's causes for Win32 error codes.
#include <afx.h>

#include <utility>

IMPLEMENT_DYNAMIC(CFileException, CException)

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

CFileException::~CFileException() = default;

int CFileException::OsErrorToException(LONG lOsError) {
  static constexpr std::pair<LONG, int> kCauses[] = {
      {ERROR_SUCCESS, none},
      {ERROR_FILE_NOT_FOUND, fileNotFound},
      {ERROR_PATH_NOT_FOUND, badPath},
      {ERROR_TOO_MANY_OPEN_FILES, tooManyOpenFiles},
      {ERROR_ACCESS_DENIED, accessDenied},
      {ERROR_INVALID_HANDLE, fileNotFound},
      {ERROR_CURRENT_DIRECTORY, removeCurrentDir},
      {ERROR_NOT_SAME_DEVICE, badPath},
      {ERROR_WRITE_PROTECT, accessDenied},
      {ERROR_CRC, hardIO},
      {ERROR_SEEK, badSeek},
      {ERROR_WRITE_FAULT, accessDenied},
      {ERROR_READ_FAULT, badSeek},
      {ERROR_SHARING_VIOLATION, sharingViolation},
      {ERROR_LOCK_VIOLATION, lockViolation},
      {ERROR_HANDLE_EOF, endOfFile},
      {ERROR_HANDLE_DISK_FULL, diskFull},
      {ERROR_FILE_EXISTS, accessDenied},
      {ERROR_DISK_FULL, diskFull},
      {ERROR_INVALID_NAME, badPath},
      {ERROR_NEGATIVE_SEEK, badSeek},
      {ERROR_SEEK_ON_DEVICE, badSeek},
      {ERROR_DIR_NOT_EMPTY, removeCurrentDir},
      {ERROR_BAD_PATHNAME, badPath},
      {ERROR_BUSY, accessDenied},
      {ERROR_ALREADY_EXISTS, accessDenied},
      {ERROR_FILENAME_EXCED_RANGE, badPath},
      {ERROR_IO_DEVICE, hardIO},
  };
  for (const auto& [error, cause] : kCauses) {
    if (error == lOsError) return cause;
  }
  return generic;
}

void CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName) {
  if (lOsError != 0) AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
  AfxThrowFileException(generic, lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}
