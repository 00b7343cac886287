#include "color/ColorEngine.h"

#include <platform/person.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class CountingPerson : public platform::Person {
 public:
  int MessageBox(const std::string&, const std::string&, unsigned) override {
    ++count;
    return IDOK;
  }
  int count = 0;
};

// A machine of its own for each test: the engine is found only where the test puts it.
class ColorEngineLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("color_engine_test_" + std::to_string(getpid()));
    fs::remove_all(root_);
    for (const char* dir : {"app", "windows", "cwd", "path"}) fs::create_directories(root_ / dir);
    oldCwd_ = fs::current_path();
    fs::current_path(root_ / "cwd");
    setenv("WINDIR", (root_ / "windows").c_str(), 1);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    setenv("PATH", (root_ / "path").c_str(), 1);
    platform::testing::SetApplicationDirectories({(root_ / "app").string()});
    previous_ = platform::SetPerson(&person_);
  }

  void TearDown() override {
    platform::SetPerson(previous_);
    platform::testing::SetApplicationDirectories({});
    setenv("PATH", oldPath_.c_str(), 1);
    unsetenv("WINDIR");
    fs::current_path(oldCwd_);
    fs::remove_all(root_);
  }

  void Install(const char* builtModule, const char* name, const char* dir = "app") {
    fs::copy_file(builtModule, root_ / dir / name, fs::copy_options::overwrite_existing);
  }

  fs::path root_;
  fs::path oldCwd_;
  std::string oldPath_;
  CountingPerson person_;
  platform::Person* previous_ = nullptr;
};

TEST_F(ColorEngineLoadTest, BindsAllEightEntryPoints) {
  Install(ZELVW_ZIRN_DLL, "ZIRN.DLL");
  Install(ZELVW_TALVERIN_DLL, "TALVERIN.DLL", "windows");
  CColorEngine engine;
  ASSERT_EQ(engine.Load(), 1);
  EXPECT_NE(engine.m_hModule, nullptr);
  EXPECT_EQ(fs::path(static_cast<LPCSTR>(engine.m_strPath)), root_ / "app" / "ZIRN.DLL");
  EXPECT_NE(engine.m_pfnGetMonitorProfile, nullptr);
  EXPECT_NE(engine.m_pfnSetMonitorProfile, nullptr);
  EXPECT_NE(engine.m_pfnDisposeProfile, nullptr);
  EXPECT_NE(engine.m_pfnGetProfileName, nullptr);
  EXPECT_NE(engine.m_pfnBeginMatchingSession, nullptr);
  EXPECT_NE(engine.m_pfnEndMatching, nullptr);
  EXPECT_NE(engine.m_pfnMatch, nullptr);
  EXPECT_NE(engine.m_pfnEnumProfilesByClassification, nullptr);
  EXPECT_EQ(person_.count, 0);
}

TEST_F(ColorEngineLoadTest, MissingEngineGivesZeroSilently) {
  Install(ZELVW_TALVERIN_DLL, "TALVERIN.DLL");
  CColorEngine engine;
  EXPECT_EQ(engine.Load(), 0);
  EXPECT_EQ(engine.m_hModule, nullptr);
  EXPECT_EQ(person_.count, 0);
}

TEST_F(ColorEngineLoadTest, MissingMarkerLibraryGivesZeroAndLoadsNothing) {
  Install(ZELVW_ZIRN_DLL, "ZIRN.DLL");
  CColorEngine engine;
  EXPECT_EQ(engine.Load(), 0);
  EXPECT_EQ(engine.m_hModule, nullptr);
  EXPECT_EQ(person_.count, 0);
}

TEST_F(ColorEngineLoadTest, EngineLackingOneEntryPointGivesZero) {
  Install(ZELVW_PARTIAL_ENGINE, "ZIRN.DLL");
  Install(ZELVW_TALVERIN_DLL, "TALVERIN.DLL", "path");
  CColorEngine engine;
  EXPECT_EQ(engine.Load(), 0);
  EXPECT_NE(engine.m_pfnGetMonitorProfile, nullptr);
  EXPECT_EQ(engine.m_pfnMatch, nullptr);
  EXPECT_EQ(person_.count, 0);
}

TEST_F(ColorEngineLoadTest, EngineIsFoundInTheCurrentDirectoryToo) {
  Install(ZELVW_ZIRN_DLL, "ZIRN.DLL", "cwd");
  Install(ZELVW_TALVERIN_DLL, "TALVERIN.DLL", "cwd");
  CColorEngine engine;
  EXPECT_EQ(engine.Load(), 1);
}

TEST_F(ColorEngineLoadTest, AboutBoxComesFromTheDialogLibrary) {
  CColorEngine engine;
  engine.ShowAbout();
  EXPECT_EQ(person_.count, 1);
}

}  // namespace
