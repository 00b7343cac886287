#include <afx.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../support/scratchdir.h"

namespace {

constexpr UINT kShared = CFile::modeReadWrite | CFile::shareDenyNone;
constexpr ULONGLONG kShareBytes = ULONGLONG{1} << 62;

// The Win32 error LockRange throws, or ERROR_SUCCESS when the range was locked.
int LockError(CFile& file, ULONGLONG nPos, ULONGLONG nCount) {
  try {
    file.LockRange(nPos, nCount);
    return ERROR_SUCCESS;
  } catch (CFileException* e) {
    int nError = static_cast<int>(e->m_lOsError);
    e->Delete();
    return nError;
  }
}

class FileLockTest : public ::testing::Test {
 protected:
  // The error a fresh process gets for locking the range.
  int LockErrorInChild(ULONGLONG nPos, ULONGLONG nCount) {
    pid_t child = fork();
    if (child == 0) {
      CFile file(m_path.c_str(), kShared);
      _exit(LockError(file, nPos, nCount));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  testsupport::ScratchDir m_dir;
  std::string m_path = m_dir.Write("icm.lck", "");
};

TEST_F(FileLockTest, AHeldRangeKeepsOtherFilesOutUntilUnlockedOrClosed) {
  CFile holder(m_path.c_str(), kShared);
  CFile other(m_path.c_str(), kShared);
  holder.LockRange(0, 1);
  EXPECT_EQ(LockError(other, 0, 1), ERROR_LOCK_VIOLATION);
  EXPECT_EQ(LockErrorInChild(0, 1), ERROR_LOCK_VIOLATION);
  EXPECT_EQ(LockError(other, 1, 1), ERROR_SUCCESS);  // the next byte is free
  holder.UnlockRange(0, 1);
  EXPECT_EQ(LockErrorInChild(0, 1), ERROR_SUCCESS);
  EXPECT_EQ(LockError(other, 0, 1), ERROR_SUCCESS);
  other.Close();
  EXPECT_EQ(LockError(holder, 0, 2), ERROR_SUCCESS);
}

TEST_F(FileLockTest, RangesOutsideTheFilesOwnAreRefused) {
  CFile file(m_path.c_str(), kShared);
  CFile reader(m_path.c_str(), CFile::modeRead | CFile::shareDenyNone);
  const struct {
    CFile* file;
    ULONGLONG nPos, nCount;
    int nError;
  } cases[] = {
      {&file, 0, 0, ERROR_INVALID_PARAMETER},
      {&file, kShareBytes - 1, 2, ERROR_INVALID_PARAMETER},
      {&file, ~ULONGLONG{0}, 1, ERROR_INVALID_PARAMETER},
      {&reader, 0, 1, ERROR_ACCESS_DENIED},
      {&file, kShareBytes - 2, 2, ERROR_SUCCESS},
  };
  for (const auto& c : cases) EXPECT_EQ(LockError(*c.file, c.nPos, c.nCount), c.nError) << c.nPos;
}

}  // namespace
