#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ScopedCwd;
using testsupport::ScopedEnv;
using testsupport::ScratchDir;

// Four directories standing for the program's, the current, the Windows directory
// and one on $PATH, in search order.
class SearchPathTest : public ::testing::Test {
 protected:
  SearchPathTest()
      : m_cwd(m_current.path()),
        m_windir("WINDIR", m_windows.path()),
        m_path("PATH", m_onPath.path() + ":/nonexistent") {
    platform::testing::SetApplicationDirectories({m_program.path()});
  }
  ~SearchPathTest() override { platform::testing::SetApplicationDirectories({}); }

  std::string Search(const char* name, const char* extension = nullptr) {
    char buffer[MAX_PATH * 4];
    DWORD n = SearchPathA(nullptr, name, extension, sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
  }

  ScratchDir m_program, m_current, m_windows, m_onPath;
  ScopedCwd m_cwd;
  ScopedEnv m_windir, m_path;
};

TEST_F(SearchPathTest, EachPlaceIsSearchedInOrder) {
  for (const ScratchDir* dir : {&m_program, &m_current, &m_windows, &m_onPath}) {
    dir->Write("everywhere.dat");
  }
  m_current.Write("cwd-and-later.dat");
  m_windows.Write("cwd-and-later.dat");
  m_onPath.Write("cwd-and-later.dat");
  m_windows.Write("windows-and-path.dat");
  m_onPath.Write("windows-and-path.dat");
  m_onPath.Write("path-only.dat");

  EXPECT_EQ(Search("everywhere.dat"), m_program / "everywhere.dat");
  EXPECT_EQ(Search("cwd-and-later.dat"), m_current / "cwd-and-later.dat");
  EXPECT_EQ(Search("windows-and-path.dat"), m_windows / "windows-and-path.dat");
  EXPECT_EQ(Search("path-only.dat"), m_onPath / "path-only.dat");
  EXPECT_EQ(Search("nowhere.dat"), "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SearchPathTest, NamesMatchRegardlessOfCaseButExactFirst) {
  m_program.Write("ZIRN.DLL");
  m_current.Write("talverin.dll");
  EXPECT_EQ(Search("zirn.dll"), m_program / "ZIRN.DLL");
  EXPECT_EQ(Search("TALVERIN.DLL"), m_current / "talverin.dll");

  m_windows.Write("Mixed.Icm");
  m_windows.Write("mixed.icm");
  EXPECT_EQ(Search("mixed.icm"), m_windows / "mixed.icm");
  EXPECT_EQ(Search("MIXED.ICM"), m_windows / "Mixed.Icm");  // the first of the near matches
}

TEST_F(SearchPathTest, DirectoriesDoNotMatch) {
  std::filesystem::create_directory(m_program / "ZIRN.DLL");
  m_onPath.Write("zirn.dll");
  EXPECT_EQ(Search("ZIRN.DLL"), m_onPath / "zirn.dll");
}

TEST_F(SearchPathTest, ExtensionIsAddedOnlyToANameWithout) {
  m_current.Write("engine.dll");
  m_current.Write("engine.bin");
  EXPECT_EQ(Search("engine", ".dll"), m_current / "engine.dll");
  EXPECT_EQ(Search("engine.bin", ".dll"), m_current / "engine.bin");
}

TEST_F(SearchPathTest, PathListReplacesTheStandardPlaces) {
  ScratchDir first, second;
  second.Write("listed.dat");
  m_program.Write("listed.dat");
  std::string list = first.path() + ";" + second.path();
  char buffer[MAX_PATH * 4];
  DWORD n = SearchPathA(list.c_str(), "listed.dat", nullptr, sizeof buffer, buffer, nullptr);
  EXPECT_EQ(std::string(buffer, n), second / "listed.dat");
}

TEST_F(SearchPathTest, BackslashesAndRelativeNamesAreAccepted) {
  m_current.Write("sub/inner.dat");
  std::string windowsStyle = m_current.path() + "\\sub\\inner.dat";
  EXPECT_EQ(Search(windowsStyle.c_str()), m_current / "sub/inner.dat");
  EXPECT_EQ(Search("sub\\inner.dat"), m_current / "sub/inner.dat");
  EXPECT_EQ(Search(".\\sub\\INNER.DAT"), m_current / "sub/inner.dat");
}

TEST_F(SearchPathTest, Win32BufferRules) {
  std::string expected = m_current.Write("rules.dat");
  DWORD length = static_cast<DWORD>(expected.size());

  EXPECT_EQ(SearchPathA(nullptr, "rules.dat", nullptr, 0, nullptr, nullptr), length + 1);
  std::string small(length, '#');
  EXPECT_EQ(SearchPathA(nullptr, "rules.dat", nullptr, length, small.data(), nullptr), length + 1);
  EXPECT_EQ(small, std::string(length, '#'));  // a buffer that is too small is left alone

  std::string exact(length + 1, '#');
  LPSTR filePart = nullptr;
  EXPECT_EQ(SearchPathA(nullptr, "rules.dat", nullptr, length + 1, exact.data(), &filePart),
            length);
  EXPECT_STREQ(exact.c_str(), expected.c_str());
  EXPECT_STREQ(filePart, "rules.dat");
  EXPECT_EQ(filePart, exact.data() + length - std::strlen("rules.dat"));

  EXPECT_EQ(SearchPathA(nullptr, nullptr, nullptr, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(SearchPathRealDirectories, ProgramDirectoryComesFirst) {
  platform::testing::SetApplicationDirectories({});
  char program[MAX_PATH * 4];
  ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
  ASSERT_GT(n, 0);
  std::string self(program, static_cast<std::size_t>(n));
  std::string name = self.substr(self.find_last_of('/') + 1);
  ScratchDir elsewhere;
  ScopedCwd cwd(elsewhere.path());
  elsewhere.Write(name);
  char buffer[MAX_PATH * 4];
  DWORD length = SearchPathA(nullptr, name.c_str(), nullptr, sizeof buffer, buffer, nullptr);
  EXPECT_EQ(std::string(buffer, length), self);
}

}  // namespace
