// The leak check in every test program's main: a test that leaves a global memory
// block or a GDI object alive fails, and says which.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Run only from CheckedTest below, in a child process.
TEST(LeakCheckTest, DISABLED_LeavesABlock) { GlobalAlloc(GMEM_MOVEABLE, 16); }
TEST(LeakCheckTest, DISABLED_LeavesAPalette) {
  LOGPALETTE palette{0x300, 1, {{1, 2, 3, 0}}};
  CreatePalette(&palette);
}

struct ChildRun {
  int status;
  std::string output;
};

ChildRun CheckedTest(const std::string& name) {
  char program[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", program, sizeof program - 1), 0);
  std::string command = std::string(program) +
                        " --gtest_also_run_disabled_tests --gtest_filter=LeakCheckTest." + name +
                        " 2>&1";
  ChildRun run{-1, {}};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  run.status = pclose(pipe);
  return run;
}

TEST(LeakCheckTest, FailsATestThatLeavesABlockOrAGdiObject) {
  const struct {
    const char* test;
    const char* message;
  } cases[] = {{"DISABLED_LeavesABlock", "global memory blocks leaked"},
               {"DISABLED_LeavesAPalette", "GDI objects leaked"}};
  for (const auto& c : cases) {
    ChildRun run = CheckedTest(c.test);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) != 0) << c.test;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[  FAILED  ] LeakCheckTest." + std::string(c.test)),
              std::string::npos)
        << run.output;
  }
}

}  // namespace
