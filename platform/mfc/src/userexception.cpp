// CUserException.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CUserException, CException)

CUserException::CUserException() = default;

CUserException::~CUserException() = default;

void AfxThrowUserException() { throw new CUserException; }
