// CMemoryException and the one instance thrown when memory is short.
#include <afx.h>

IMPLEMENT_DYNAMIC(CMemoryException, CException)

CMemoryException::CMemoryException() = default;

CMemoryException::~CMemoryException() = default;

void AfxThrowMemoryException() {
  static CMemoryException s_memoryException;
  throw &s_memoryException;
}
