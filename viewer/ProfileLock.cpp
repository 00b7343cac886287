#include "viewer/ProfileLock.h"

#include "viewer/ModuleState.h"
#include "viewer/ProfileName.h"

namespace {

constexpr const char* kLockName = "icm.lck";
// Every view opens the lock file alike: created when missing, never truncated.
constexpr UINT kLockOpen =
    CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite | CFile::shareDenyNone;

// TRUE when the byte was locked; FALSE while another holds it. Other errors raise.
BOOL TryLock(CFile& file) {
  try {
    file.LockRange(0, 1);
    return TRUE;
  } catch (CFileException* e) {
    if (e->m_lOsError != ERROR_LOCK_VIOLATION) throw;
    e->Delete();
    return FALSE;
  }
}

}  // namespace

CProfileLock::CProfileLock() : m_bHeld(FALSE) {}

CProfileLock::~CProfileLock() { Release(); }

BOOL CProfileLock::Acquire(DWORD dwWait) {
  if (m_bHeld) return TRUE;
  CString strPath = ProfilePathIn(g_strWindowsDir, kLockName);
  if (strPath.IsEmpty() || !m_file.Open(strPath, kLockOpen)) return FALSE;
  try {
    DWORD dwStart = GetTickCount();
    while (!(m_bHeld = TryLock(m_file)) && GetTickCount() - dwStart < dwWait)
      Sleep(kProfileLockPoll);
  } catch (CException* e) {
    e->Delete();
  }
  if (!m_bHeld) m_file.Abort();
  return m_bHeld;
}

void CProfileLock::Release() {
  m_bHeld = FALSE;
  m_file.Abort();  // closing lets go of the byte
}
