#include <windows.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;

// Nothing but the named files: a copy leaves no temporary behind.
std::size_t EntriesIn(const std::string& dir) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

TEST(CopyFileTest, CopiesBytesAndReplacesUnlessAskedNotTo) {
  ScratchDir dir;
  std::string binary("a\0b\xff\r\n", 6);
  std::string source = dir.Write("source.jpg", binary);
  std::string target = dir / "target.jpg";
  ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(ReadFile(target), binary);

  dir.Write("target.jpg", "older and longer contents");
  EXPECT_FALSE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadFile(target), "older and longer contents");

  ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(ReadFile(target), binary);
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(CopyFileTest, LargeFilesAndPermissionBitsSurvive) {
  ScratchDir dir;
  std::string big(300 * 1024 + 7, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  std::string source = dir.Write("big.tif", big);
  chmod(source.c_str(), 0640);
  std::string target = dir.path() + "\\copy.tif";
  ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(ReadFile(dir / "copy.tif"), big);
  struct stat st {};
  ASSERT_EQ(stat((dir / "copy.tif").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CopyFileTest, FailuresLeaveNothingBehind) {
  ScratchDir dir;
  std::string source = dir.Write("source.jpg");
  EXPECT_FALSE(CopyFileA((dir / "missing.jpg").c_str(), (dir / "t.jpg").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(CopyFileA(source.c_str(), (dir / "no/such/dir/t.jpg").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(CopyFileA(dir.path().c_str(), (dir / "t.jpg").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  std::filesystem::create_directory(dir / "occupied");
  EXPECT_FALSE(CopyFileA(source.c_str(), (dir / "occupied").c_str(), FALSE));
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
  EXPECT_EQ(EntriesIn(dir / "occupied"), 0u);
}

TEST(DeleteAndMoveTest, DeleteFileRemovesFilesOnly) {
  ScratchDir dir;
  std::string file = dir.Write("jjj.icm");
  EXPECT_TRUE(DeleteFileA(file.c_str()));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(DeleteFileA(file.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA(dir.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(DeleteAndMoveTest, MoveFileNeverReplaces) {
  ScratchDir dir;
  std::string from = dir.Write("ppp.icm", "new");
  std::string to = dir.Write("Monitor.icm", "old");
  EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadFile(to), "old");
  ASSERT_TRUE(DeleteFileA(to.c_str()));
  EXPECT_TRUE(MoveFileA(from.c_str(), (dir.path() + "\\Monitor.icm").c_str()));
  EXPECT_EQ(ReadFile(to), "new");
  EXPECT_FALSE(std::filesystem::exists(from));
}

}  // namespace
