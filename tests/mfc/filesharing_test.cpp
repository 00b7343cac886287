#include <afx.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;

constexpr UINT kRead = CFile::modeRead;
constexpr UINT kWrite = CFile::modeWrite;
constexpr UINT kReadWrite = CFile::modeReadWrite;

// The cause of a failed open, or none when it opened.
int OpenCause(const std::string& path, UINT flags) {
  CFile file;
  CFileException error;
  return file.Open(path.c_str(), flags, &error) ? static_cast<int>(CFileException::none)
                                                : error.m_cause;
}

class ShareModeTest : public ::testing::Test {
 protected:
  ScratchDir m_dir;
  std::string m_path = m_dir.Write("shared.jpg", "image bytes");
};

TEST_F(ShareModeTest, ExclusiveRefusesEveryOtherOpener) {
  CFile holder(m_path.c_str(), kRead | CFile::shareExclusive);
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(m_path.c_str(), kRead | CFile::shareDenyNone, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
  EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);
  EXPECT_STREQ(error.m_strFileName, m_path.c_str());
  EXPECT_EQ(OpenCause(m_path, kWrite | CFile::shareDenyNone), CFileException::sharingViolation);
  holder.Close();
  EXPECT_EQ(OpenCause(m_path, kReadWrite | CFile::shareExclusive), CFileException::none);
}

TEST_F(ShareModeTest, DenyWriteLetsReadersInButNoWriter) {
  CFile holder(m_path.c_str(), kRead | CFile::shareDenyWrite);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::none);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyWrite), CFileException::none);
  EXPECT_EQ(OpenCause(m_path, kWrite | CFile::shareDenyNone), CFileException::sharingViolation);
  EXPECT_EQ(OpenCause(m_path, kReadWrite | CFile::shareDenyNone), CFileException::sharingViolation);
}

TEST_F(ShareModeTest, DenyWriteIsRefusedWhileSomeoneWrites) {
  CFile writer(m_path.c_str(), kReadWrite | CFile::shareDenyNone);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyWrite), CFileException::sharingViolation);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::none);
}

TEST_F(ShareModeTest, DenyReadLetsWritersInButNoReader) {
  CFile holder(m_path.c_str(), kWrite | CFile::shareDenyRead);
  EXPECT_EQ(OpenCause(m_path, kWrite | CFile::shareDenyNone), CFileException::none);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::sharingViolation);
}

TEST_F(ShareModeTest, CompatibilityModeIsExclusive) {
  CFile holder(m_path.c_str(), kRead);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::sharingViolation);
}

TEST_F(ShareModeTest, TheFileCountsNotItsName) {
  CFile holder(m_path.c_str(), kRead | CFile::shareDenyWrite);
  std::string other = m_dir / "hard-link.jpg";
  ASSERT_EQ(link(m_path.c_str(), other.c_str()), 0);
  std::string backslashed = m_dir.path() + "\\shared.jpg";
  EXPECT_EQ(OpenCause(other, kWrite | CFile::shareDenyNone), CFileException::sharingViolation);
  EXPECT_EQ(OpenCause(backslashed, kWrite | CFile::shareDenyNone),
            CFileException::sharingViolation);
}

TEST_F(ShareModeTest, RefusedCreateDoesNotTruncate) {
  CFile holder(m_path.c_str(), kRead | CFile::shareDenyWrite);
  EXPECT_EQ(OpenCause(m_path, CFile::modeCreate | kReadWrite | CFile::shareExclusive),
            CFileException::sharingViolation);
  EXPECT_EQ(ReadFile(m_path), "image bytes");
}

TEST_F(ShareModeTest, DestructorAndAbortReleaseTheFile) {
  { CFile scoped(m_path.c_str(), kRead | CFile::shareExclusive); }
  CFile aborted(m_path.c_str(), kRead | CFile::shareExclusive);
  aborted.Abort();
  EXPECT_EQ(OpenCause(m_path, kReadWrite | CFile::shareExclusive), CFileException::none);
}

// The other process opens, reports on a pipe, then waits for a byte before it exits.
class CrossProcessTest : public ShareModeTest {
 protected:
  // A child that opens the file with flags and holds it; returns once it has it open.
  void HoldInChild(UINT flags) {
    ASSERT_EQ(pipe(m_ready), 0);
    ASSERT_EQ(pipe(m_release), 0);
    m_child = fork();
    ASSERT_GE(m_child, 0);
    if (m_child == 0) {
      CFile file;
      char opened = file.Open(m_path.c_str(), flags) ? 'y' : 'n';
      (void)!write(m_ready[1], &opened, 1);
      char release;
      (void)!read(m_release[0], &release, 1);
      _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(read(m_ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');
  }
  void ReleaseChild() {
    char release = 'x';
    (void)!write(m_release[1], &release, 1);
    int status = 0;
    waitpid(m_child, &status, 0);
    for (int fd : {m_ready[0], m_ready[1], m_release[0], m_release[1]}) close(fd);
    m_child = -1;
  }
  ~CrossProcessTest() override {
    if (m_child > 0) ReleaseChild();
  }

  // The open cause seen by a fresh child process.
  int CauseInChild(UINT flags) {
    pid_t child = fork();
    if (child == 0) _exit(OpenCause(m_path, flags));
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t m_child = -1;
  int m_ready[2] = {-1, -1};
  int m_release[2] = {-1, -1};
};

TEST_F(CrossProcessTest, AnotherProcessHoldingExclusiveKeepsUsOut) {
  HoldInChild(kRead | CFile::shareExclusive);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::sharingViolation);
  ReleaseChild();
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::none);
}

TEST_F(CrossProcessTest, AnotherProcessWritingRefusesDenyWrite) {
  HoldInChild(kWrite | CFile::shareDenyNone);  // a write-only opener
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyWrite), CFileException::sharingViolation);
  EXPECT_EQ(OpenCause(m_path, kRead | CFile::shareDenyNone), CFileException::none);
}

TEST_F(CrossProcessTest, OurDenyWriteKeepsOtherProcessesFromWriting) {
  CFile holder(m_path.c_str(), kRead | CFile::shareDenyWrite);
  EXPECT_EQ(CauseInChild(kReadWrite | CFile::shareDenyNone), CFileException::sharingViolation);
  EXPECT_EQ(CauseInChild(kRead | CFile::shareDenyNone), CFileException::none);
  holder.Close();
  EXPECT_EQ(CauseInChild(kReadWrite | CFile::shareExclusive), CFileException::none);
}

}  // namespace
