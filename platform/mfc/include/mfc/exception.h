// CException: the base of the framework's exceptions. They are heap objects thrown
// as pointers and caught as CException*; the catcher calls Delete().
//
// Delete() frees only objects that operator new made: the class's operator new
// notes each address it hands out and the constructor compares it with its own,
// so an exception on the stack or in static storage (the memory exception thrown
// when memory is short) survives a Delete().
#pragma once

#include <mfc/object.h>

#include <cstddef>

class CException : public CObject {
  DECLARE_DYNAMIC(CException)

 public:
  CException();
  virtual ~CException();

  // Deletes the object when it was allocated with new; does nothing otherwise.
  void Delete();

  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

 protected:
  BOOL m_bAutoDelete;
};
