#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ScopedEnv;
using testsupport::ScratchDir;

std::string WindowsDirectory() {
  char buffer[MAX_PATH * 4];
  UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

TEST(WindowsDirectoryTest, WindirIsUsedAndCreatedWithoutTrailingSeparator) {
  ScratchDir root;
  ScopedEnv windir("WINDIR", root.path() + "\\made\\on\\use\\");
  EXPECT_EQ(WindowsDirectory(), root / "made/on/use");
  EXPECT_TRUE(std::filesystem::is_directory(root / "made/on/use"));
}

TEST(WindowsDirectoryTest, DefaultsUnderTheXdgDataDirectory) {
  ScratchDir root;
  ScopedEnv windir("WINDIR", std::nullopt);
  {
    ScopedEnv data("XDG_DATA_HOME", root / "data");
    EXPECT_EQ(WindowsDirectory(), root / "data/zelvw/windows");
  }
  ScopedEnv relative("XDG_DATA_HOME", "relative/ignored");
  ScopedEnv home("HOME", root / "home");
  EXPECT_EQ(WindowsDirectory(), root / "home/.local/share/zelvw/windows");
  EXPECT_TRUE(std::filesystem::is_directory(root / "home/.local/share/zelvw/windows"));
}

TEST(WindowsDirectoryTest, Win32BufferRules) {
  ScratchDir root;
  ScopedEnv windir("WINDIR", root.path());
  UINT length = static_cast<UINT>(root.path().size());
  EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), length + 1);
  std::string small(length, '#');
  EXPECT_EQ(GetWindowsDirectoryA(small.data(), length), length + 1);
  EXPECT_EQ(small, std::string(length, '#'));
  std::string exact(length + 1, '#');
  EXPECT_EQ(GetWindowsDirectoryA(exact.data(), length + 1), length);
  EXPECT_STREQ(exact.c_str(), root.path().c_str());
}

TEST(WindowsDirectoryTest, FailsWhenItCannotBeCreated) {
  ScratchDir root;
  std::string file = root.Write("plain-file");
  ScopedEnv windir("WINDIR", file + "/windows");
  char buffer[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
