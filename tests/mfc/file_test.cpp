#include <afx.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;

struct Failure {
  int m_cause = CFileException::none;
  LONG m_lOsError = 0;
  std::string m_strFileName;
};

// Runs body and returns what the CFileException it throws carries, or fails the
// test when it throws none.
template <typename Body>
Failure Thrown(Body body) {
  try {
    body();
  } catch (CFileException* e) {
    Failure failure{e->m_cause, e->m_lOsError, static_cast<LPCTSTR>(e->m_strFileName)};
    e->Delete();
    return failure;
  }
  ADD_FAILURE() << "no CFileException";
  return {};
}

TEST(CFileTest, WriteReadSeekAndLengths) {
  ScratchDir dir;
  CFile file;
  ASSERT_TRUE(file.Open((dir / "data.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite));
  file.Write("0123456789", 10);
  EXPECT_EQ(file.GetPosition(), 10u);
  EXPECT_EQ(file.GetLength(), 10u);
  EXPECT_EQ(file.Seek(-4, CFile::current), 6u);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u);  // fewer at the end
  EXPECT_STREQ(buffer, "6789");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // 0 at the end
  EXPECT_EQ(file.Read(buffer, 0), 0u);
  file.SeekToBegin();
  EXPECT_EQ(file.Read(buffer, 3), 3u);
  EXPECT_EQ(file.SeekToEnd(), 10u);
  EXPECT_EQ(file.Seek(-1, CFile::end), 9u);
  EXPECT_EQ(file.Seek(20, CFile::begin), 20u);  // past the end is allowed, as on Win32
  file.SetLength(4);
  EXPECT_EQ(file.GetLength(), 4u);
  EXPECT_STREQ(file.GetFilePath(), (dir / "data.bin").c_str());
  EXPECT_STREQ(file.GetFileName(), "data.bin");
  file.Close();
  EXPECT_EQ(ReadFile(dir / "data.bin"), "0123");
}

TEST(CFileTest, NegativeSeekThrowsBadSeekAndKeepsThePosition) {
  ScratchDir dir;
  std::string path = dir.Write("seek.bin", "abcdef");
  CFile file(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
  file.Seek(2, CFile::begin);
  Failure e = Thrown([&] { file.Seek(-3, CFile::current); });
  EXPECT_EQ(e.m_cause, CFileException::badSeek);
  EXPECT_EQ(e.m_lOsError, ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(e.m_strFileName, path);
  EXPECT_EQ(Thrown([&] { file.Seek(-1, CFile::begin); }).m_cause, CFileException::badSeek);
  EXPECT_EQ(Thrown([&] { file.Seek(0, 7); }).m_cause, CFileException::badSeek);
  EXPECT_EQ(file.GetPosition(), 2u);
}

TEST(CFileTest, ModeCreateTruncatesUnlessNoTruncate) {
  ScratchDir dir;
  std::string path = dir.Write("jjj.icm", "old contents");
  {
    CFile keep(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
    EXPECT_EQ(keep.GetLength(), 12u);
  }
  {
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
    EXPECT_EQ(file.GetLength(), 0u);
    file.Write("new", 3);
  }
  EXPECT_EQ(ReadFile(path), "new");
  CFile fresh((dir / "made.icm").c_str(), CFile::modeCreate | CFile::modeWrite);
  EXPECT_TRUE(std::filesystem::exists(dir / "made.icm"));
}

TEST(CFileTest, OpenFailuresFillTheRecordAndTheConstructorThrows) {
  ScratchDir dir;
  CFile file;
  CFileException error;
  std::string missing = dir / "missing.tif";
  EXPECT_FALSE(file.Open(missing.c_str(), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(error.m_strFileName, missing.c_str());
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);

  EXPECT_FALSE(file.Open((dir / "no\\such\\dir.tif").c_str(), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::badPath);
  EXPECT_FALSE(file.Open(dir.path().c_str(), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
  EXPECT_FALSE(file.Open((dir / "x").c_str(), CFile::modeWrite | CFile::modeReadWrite, &error));
  EXPECT_FALSE(file.Open("", CFile::modeRead));

  mkfifo((dir / "fifo").c_str(), 0600);  // refused at once instead of waiting for a writer
  EXPECT_FALSE(file.Open((dir / "fifo").c_str(), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);

  Failure thrown = Thrown([&] { CFile opened(missing.c_str(), CFile::modeRead); });
  EXPECT_EQ(thrown.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(thrown.m_strFileName, missing);
}

TEST(CFileTest, AccessTheFileWasNotOpenedForIsDenied) {
  ScratchDir dir;
  std::string path = dir.Write("ro.jpg", "abc");
  CFile reader(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
  EXPECT_EQ(Thrown([&] { reader.Write("x", 1); }).m_cause, CFileException::accessDenied);
  EXPECT_EQ(Thrown([&] { reader.SetLength(0); }).m_cause, CFileException::accessDenied);
  CFile writer(path.c_str(), CFile::modeWrite | CFile::shareDenyNone);
  char c;
  EXPECT_EQ(Thrown([&] { writer.Read(&c, 1); }).m_cause, CFileException::accessDenied);
  EXPECT_EQ(ReadFile(path), "abc");
}

TEST(CFileTest, ClosedFilesRefuseWorkButCloseAndAbortAreQuiet) {
  ScratchDir dir;
  std::string path = dir.Write("c.bin", "abc");
  CFile file(path.c_str(), CFile::modeRead);
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  char c;
  EXPECT_EQ(Thrown([&] { file.Read(&c, 1); }).m_lOsError, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Thrown([&] { file.GetLength(); }).m_lOsError, ERROR_INVALID_HANDLE);
  file.Close();
  file.Abort();
}

TEST(CFileTest, OpeningAnOpenFileClosesItFirst) {
  ScratchDir dir;
  std::string path = dir.Write("jjj.icm", "first profile");
  CFile file;
  ASSERT_TRUE(
      file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive));
  file.Write("partial", 7);
  // A second chunk 1 opens the same temporary file again on the same object.
  ASSERT_TRUE(
      file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive));
  EXPECT_EQ(file.GetLength(), 0u);
}

TEST(CFileTest, RenameNeverReplacesAndRemoveReports) {
  ScratchDir dir;
  std::string temp = dir.Write("jjj.icm", "new");
  std::string final = dir.Write("Monitor.icm", "old");
  Failure e = Thrown([&] { CFile::Rename(temp.c_str(), final.c_str()); });
  EXPECT_EQ(e.m_cause, CFileException::accessDenied);
  EXPECT_EQ(e.m_lOsError, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(e.m_strFileName, temp);
  EXPECT_EQ(ReadFile(final), "old");
  EXPECT_EQ(ReadFile(temp), "new");

  CFile::Remove(final.c_str());
  CFile::Rename(temp.c_str(), (dir.path() + "\\Monitor.icm").c_str());
  EXPECT_EQ(ReadFile(final), "new");
  EXPECT_EQ(Thrown([&] { CFile::Rename(temp.c_str(), (dir / "x.icm").c_str()); }).m_cause,
            CFileException::fileNotFound);
  EXPECT_EQ(Thrown([&] { CFile::Remove(temp.c_str()); }).m_cause, CFileException::fileNotFound);
}

// A write that the system cuts short (here by a file size limit) throws diskFull
// instead of losing the rest silently. In a child process, so the limit stays there.
TEST(CFileTest, ShortWriteThrows) {
  ScratchDir dir;
  std::string path = dir / "limited.bin";
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    int cause = -1;
    try {
      CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
      char block[150] = {};
      file.Write(block, sizeof block);
    } catch (CFileException* e) {
      cause = e->m_cause;
      e->Delete();
    }
    _exit(cause == CFileException::diskFull ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
