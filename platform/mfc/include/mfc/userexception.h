// CUserException: an operation stopped because of what the user gave it, after the
// user was told; callers stop quietly. Dialog data exchange ends with one.
#pragma once

#include <mfc/exception.h>

class CUserException : public CException {
  DECLARE_DYNAMIC(CUserException)

 public:
  CUserException();
  virtual ~CUserException();
};

[[noreturn]] void AfxThrowUserException();
