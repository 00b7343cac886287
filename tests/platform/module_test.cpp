#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/scratchdir.h"

namespace {

using testsupport::ScopedCwd;
using testsupport::ScopedEnv;
using testsupport::ScratchDir;

// The probe module, copied into a scratch directory so the test decides where it lies.
class ModuleTest : public ::testing::Test {
 protected:
  ModuleTest() : m_cwd(m_elsewhere.path()), m_windir("WINDIR", m_windows.path()) {
    std::filesystem::copy_file(SEARCH_PROBE_MODULE, m_modules / "PROBE.DLL");
    platform::testing::SetApplicationDirectories({m_modules.path()});
  }
  ~ModuleTest() override { platform::testing::SetApplicationDirectories({}); }

  template <typename Function>
  Function Proc(HMODULE module, const char* name) {
    // Through void (*)(), the one function type every function pointer converts to quietly.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }

  ScratchDir m_modules, m_elsewhere, m_windows;
  ScopedCwd m_cwd;
  ScopedEnv m_windir;
};

TEST_F(ModuleTest, LoadsByNameInAnyCaseAndFindsExports) {
  HMODULE module = LoadLibraryA("probe.dll");
  ASSERT_NE(module, nullptr);
  auto answer = Proc<int (*)()>(module, "ProbeAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);

  HMODULE again = LoadLibraryA("PROBE");  // ".dll" added, then matched regardless of case
  EXPECT_EQ(again, module);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleTest, MissingModulesAndExportsSetTheLastError) {
  EXPECT_EQ(LoadLibraryA("ABSENT.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  std::string notAModule = m_modules.Write("BROKEN.DLL", "not an ELF file");
  EXPECT_EQ(LoadLibraryA(notAModule.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

  HMODULE module = LoadLibraryA("PROBE.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(12)), nullptr);  // an ordinal
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleTest, StaleAndForeignHandlesFail) {
  HMODULE module = LoadLibraryA("PROBE.DLL");
  ASSERT_NE(module, nullptr);
  ASSERT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "ProbeAnswer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FreeLibrary(module));
  int local = 0;
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&local)));
  EXPECT_EQ(GetProcAddress(nullptr, "ProbeAnswer"), nullptr);
}

TEST_F(ModuleTest, BackslashPathsLoadDirectly) {
  platform::testing::SetApplicationDirectories({m_elsewhere.path()});
  std::string path = m_modules.path() + "\\PROBE.DLL";
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

// A module's own directory is on the search path of the calls it makes, and only of those.
TEST_F(ModuleTest, SearchFromAModuleSeesItsOwnDirectory) {
  platform::testing::SetApplicationDirectories({});
  m_modules.Write("beside-probe.dat");
  std::string path = m_modules / "PROBE.DLL";
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  auto search = Proc<DWORD (*)(const char*, char*, DWORD)>(module, "ProbeSearch");
  ASSERT_NE(search, nullptr);
  char buffer[MAX_PATH * 4];
  DWORD n = search("beside-probe.dat", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), m_modules / "beside-probe.dat");
  EXPECT_EQ(SearchPathA(nullptr, "beside-probe.dat", nullptr, sizeof buffer, buffer, nullptr), 0u);

  // LoadLibraryA searches as its caller sees the path too.
  std::filesystem::copy_file(m_modules / "PROBE.DLL", m_modules / "SECOND.DLL");
  auto load = Proc<HMODULE (*)(const char*)>(module, "ProbeLoad");
  HMODULE second = load("second.dll");
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(LoadLibraryA("second.dll"), nullptr);
  if (second != nullptr) FreeLibrary(second);
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
