#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <optional>

#include "engine_test_support.h"

namespace enginetest {
namespace {

class MonitorSettingTest : public EngineTest {
 protected:
  std::string Current() {
    char* name = nullptr;
    EXPECT_EQ(ZIRN_GetMonitorProfile(&name), ZIRN_OK);
    return name != nullptr ? name : "<null>";
  }
  std::string settingFile() const { return home() + "/monitor"; }
};

// Runs body in a child process and returns its wait status.
template <typename Body>
int InChild(Body body) {
  pid_t child = ::fork();
  if (child == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

TEST_F(MonitorSettingTest, DefaultDisplayUntilOneIsSet) {
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  ASSERT_EQ(ZIRN_SetMonitorProfile(kSrgbName), ZIRN_OK);
  EXPECT_EQ(Current(), kSrgbName);
  std::vector<std::uint8_t> stored = ReadFile(settingFile());
  EXPECT_EQ(std::string(stored.begin(), stored.end()), "sRGB\n");
}

TEST_F(MonitorSettingTest, NameBufferKeepsItsAddressAndChangesOnlyOnGet) {
  char* first = nullptr;
  ASSERT_EQ(ZIRN_GetMonitorProfile(&first), ZIRN_OK);
  ASSERT_EQ(ZIRN_SetMonitorProfile("Wide Gamut RGB"), ZIRN_OK);
  EXPECT_STREQ(first, ZIRN_DEFAULT_DISPLAY);  // Set does not touch what Get handed out
  char* second = nullptr;
  ASSERT_EQ(ZIRN_GetMonitorProfile(&second), ZIRN_OK);
  EXPECT_EQ(second, first);
  EXPECT_STREQ(second, "Wide Gamut RGB");
}

TEST_F(MonitorSettingTest, RefusesNullEmptyAndOverlongNames) {
  EXPECT_EQ(ZIRN_SetMonitorProfile(nullptr), ZIRN_ERR_NULL_ARGUMENT);
  EXPECT_EQ(ZIRN_SetMonitorProfile(""), ZIRN_ERR_BAD_NAME);
  EXPECT_EQ(ZIRN_SetMonitorProfile(std::string(256, 'x').c_str()), ZIRN_ERR_BAD_NAME);
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  EXPECT_EQ(ZIRN_GetMonitorProfile(nullptr), ZIRN_ERR_NULL_ARGUMENT);

  std::string longest(255, 'y');
  ASSERT_EQ(ZIRN_SetMonitorProfile(longest.c_str()), ZIRN_OK);
  EXPECT_EQ(Current(), longest);
}

TEST_F(MonitorSettingTest, NamesWithLineEndsComeBackUnchanged) {
  for (const char* name : {"two\nlines", "ends in a line end\n", " spaced "}) {
    ASSERT_EQ(ZIRN_SetMonitorProfile(name), ZIRN_OK);
    EXPECT_EQ(Current(), name);
  }
}

TEST_F(MonitorSettingTest, ReadsHandWrittenAndRejectsMalformedFiles) {
  WriteFile(settingFile(), std::string("Rec. 709"));  // no line end
  EXPECT_EQ(Current(), "Rec. 709");
  WriteFile(settingFile(), std::string("\n"));
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  WriteFile(settingFile(), std::string(""));
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  WriteFile(settingFile(), std::string(300, 'z'));
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  WriteFile(settingFile(), std::string("sR\0GB\n", 6));
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  WriteFile(settingFile(), std::string(255, 'w') + "\n");
  EXPECT_EQ(Current(), std::string(255, 'w'));
}

TEST_F(MonitorSettingTest, SettingThatIsNoFileIsReportedWithoutBlocking) {
  ASSERT_EQ(::mkfifo(settingFile().c_str(), 0600), 0);
  char* name = nullptr;
  EXPECT_EQ(ZIRN_GetMonitorProfile(&name), ZIRN_ERR_SETTING_UNREADABLE);
  EXPECT_EQ(name, nullptr);
  ::unlink(settingFile().c_str());
  ASSERT_EQ(::mkdir(settingFile().c_str(), 0700), 0);
  EXPECT_EQ(ZIRN_GetMonitorProfile(&name), ZIRN_ERR_SETTING_UNREADABLE);
  EXPECT_EQ(ZIRN_SetMonitorProfile(kSrgbName), ZIRN_ERR_STORE_NOT_WRITABLE);
}

TEST_F(MonitorSettingTest, CreatesItsHomeAndReportsOneThatCannotBe) {
  std::string nested = home() + "/a/b/zirn";
  ::setenv("ZIRN_HOME", nested.c_str(), 1);
  ASSERT_EQ(ZIRN_SetMonitorProfile(kSrgbName), ZIRN_OK);
  EXPECT_EQ(ReadFile(nested + "/monitor").size(), 5u);

  WriteFile(home() + "/plain", std::string("not a folder"));
  ::setenv("ZIRN_HOME", (home() + "/plain/zirn").c_str(), 1);
  EXPECT_EQ(ZIRN_SetMonitorProfile(kSrgbName), ZIRN_ERR_STORE_NOT_WRITABLE);
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
}

TEST_F(MonitorSettingTest, FollowsTheHomeOfEachCall) {
  TempDir other;
  ASSERT_EQ(ZIRN_SetMonitorProfile("First"), ZIRN_OK);
  ::setenv("ZIRN_HOME", other.path().c_str(), 1);
  EXPECT_EQ(Current(), ZIRN_DEFAULT_DISPLAY);
  ASSERT_EQ(ZIRN_SetMonitorProfile("Second"), ZIRN_OK);
  ::setenv("ZIRN_HOME", home().c_str(), 1);
  EXPECT_EQ(Current(), "First");
}

// Restores an environment variable at the end of a test.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : m_name(name) {
    if (const char* value = std::getenv(name)) m_value = value;
  }
  ~SavedVariable() {
    if (m_value) {
      ::setenv(m_name, m_value->c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::optional<std::string> m_value;
};

TEST_F(MonitorSettingTest, HomeDefaultsToTheUsersDataFolder) {
  SavedVariable xdg("XDG_DATA_HOME");
  SavedVariable user("HOME");
  ::unsetenv("ZIRN_HOME");
  ::setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
  ASSERT_EQ(ZIRN_SetMonitorProfile("From XDG"), ZIRN_OK);
  EXPECT_FALSE(ReadFile(home() + "/data/zirn/monitor").empty());

  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", (home() + "/user").c_str(), 1);
  ASSERT_EQ(ZIRN_SetMonitorProfile("From HOME"), ZIRN_OK);
  EXPECT_EQ(Current(), "From HOME");
  EXPECT_FALSE(ReadFile(home() + "/user/.local/share/zirn/monitor").empty());
}

TEST_F(MonitorSettingTest, PersistsAcrossProcesses) {
  int status =
      InChild([] { ::_exit(ZIRN_SetMonitorProfile("Chosen Elsewhere") == ZIRN_OK ? 0 : 1); });
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Current(), "Chosen Elsewhere");

  ASSERT_EQ(ZIRN_SetMonitorProfile("Chosen Here"), ZIRN_OK);
  status = InChild([] {
    char* name = nullptr;
    bool seen = ZIRN_GetMonitorProfile(&name) == ZIRN_OK && std::string(name) == "Chosen Here";
    ::_exit(seen ? 0 : 1);
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MonitorSettingTest, ProcessDyingMidWriteLeavesTheOldSetting) {
  ASSERT_EQ(ZIRN_SetMonitorProfile("Old"), ZIRN_OK);
  int status = InChild([] {
    // The file size limit kills the process part-way through writing the new name.
    struct rlimit limit {
      16, 16
    };
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ZIRN_SetMonitorProfile(std::string(200, 'n').c_str());
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(Current(), "Old");
  ASSERT_EQ(ZIRN_SetMonitorProfile("New"), ZIRN_OK);
  EXPECT_EQ(Current(), "New");
}

}  // namespace
}  // namespace enginetest
