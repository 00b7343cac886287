// CFileException: a failed file operation, with the framework's cause, the
// operating system's error code (a Win32 error, -1 when there is none) and the
// name of the file.
#pragma once

#include <mfc/exception.h>
#include <mfc/string.h>

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)

 public:
  enum {
    none,
    generic,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };

  explicit CFileException(int cause = CFileException::none, LONG lOsError = -1,
                          LPCTSTR lpszFileName = nullptr);
  virtual ~CFileException();

  // The cause for a Win32 error code (ERROR_...); generic for codes it does not know.
  static int OsErrorToException(LONG lOsError);
  [[noreturn]] static void ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = nullptr);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

// Throws new CFileException(cause, lOsError, lpszFileName).
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1,
                                        LPCTSTR lpszFileName = nullptr);
