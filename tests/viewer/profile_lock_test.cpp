#include "viewer/ModuleState.h"
#include "viewer/ProfileLock.h"

#include "tests/support/scratchdir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

class ProfileLockTest : public ::testing::Test {
 protected:
  ProfileLockTest() : m_strOldDir(g_strWindowsDir) {
    g_strWindowsDir = CString((m_dir.path() + "/").c_str());
  }
  ~ProfileLockTest() override { g_strWindowsDir = m_strOldDir; }

  testsupport::ScratchDir m_dir;
  CString m_strOldDir;
};

TEST_F(ProfileLockTest, ASecondHolderWaitsItsTimeAndGetsTheLockOnceReleased) {
  CProfileLock first, second;
  ASSERT_TRUE(first.Acquire());
  EXPECT_TRUE(std::filesystem::exists(m_dir / "icm.lck"));
  EXPECT_TRUE(first.Acquire(0));  // held already

  DWORD dwStart = GetTickCount();
  EXPECT_FALSE(second.Acquire(100));
  DWORD dwWaited = GetTickCount() - dwStart;
  EXPECT_GE(dwWaited, 100u);
  EXPECT_LT(dwWaited, 2000u);
  EXPECT_FALSE(second.IsHeld());

  first.Release();
  EXPECT_TRUE(second.Acquire(0));
  { CProfileLockScope scope(&second); }
  EXPECT_FALSE(second.IsHeld());
  EXPECT_TRUE(first.Acquire(0));
}

TEST_F(ProfileLockTest, AWaitingViewGetsTheLockWhenAnotherProcessLetsGo) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    CProfileLock lock;
    char held = lock.Acquire(0) ? 'y' : 'n';
    (void)!write(ready[1], &held, 1);
    Sleep(200);
    _exit(0);  // the process ending lets go
  }
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  CProfileLock lock;
  DWORD dwStart = GetTickCount();
  EXPECT_TRUE(lock.Acquire());
  EXPECT_GE(GetTickCount() - dwStart, 100u);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
