// CMemoryException: an allocation failed.
#pragma once

#include <mfc/exception.h>

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)

 public:
  CMemoryException();
  virtual ~CMemoryException();
};

// Throws the one preallocated CMemoryException (no allocation is needed to report
// that memory is short); Delete() leaves it alone.
[[noreturn]] void AfxThrowMemoryException();
