// SCRNPICK as a program: copied beside a fake engine of the tests' own (names out of
// order, recorded settings), beside no engine at all, and run in the build tree with
// the real engine and a ZIRN_HOME of the test's own. The person's keys come from
// standard input, the dialog shows on standard output.
#include <zirn.h>

#include <elf.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/scratchdir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the program with input on standard input and the environment changed by env
// (an empty value removes the variable); the loader's own path variable is removed.
Outcome RunProgram(const std::string& program, const std::string& input,
                   std::map<std::string, std::string> env) {
  ScratchDir io;
  const std::string in = io.Write("in", input);
  const std::string out = io / "out";
  const std::string err = io / "err";
  env["LD_LIBRARY_PATH"] = "";
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    if (env.count(entry.substr(0, entry.find('='))) == 0) entries.push_back(entry);
  }
  for (const auto& [name, value] : env) {
    if (!value.empty()) entries.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  Outcome run;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(spawned);
    return run;
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << program << " did not end";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  return run;
}

// The list as the dialog showed it last: the entries and the marked one (-1: none).
struct Shown {
  std::vector<std::string> entries;
  int selected = -1;
};

Shown LastList(const std::string& out) {
  Shown shown;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    // Shown again (after the prompt, as the input is not echoed).
    if (line.find("Monitor Profile Selection") != std::string::npos) shown = Shown{};
    // "    * 12  name": a marker column, a right-aligned number, two spaces, the name.
    if (line.size() < 8 || line.compare(0, 4, "    ") != 0 || (line[4] != '*' && line[4] != ' ')) {
      continue;
    }
    std::size_t digits = line.find_first_not_of(' ', 5);
    std::size_t end = line.find("  ", digits);
    if (digits == std::string::npos || end == std::string::npos) continue;
    if (std::stoul(line.substr(digits, end - digits)) != shown.entries.size() + 1) continue;
    if (line[4] == '*') shown.selected = static_cast<int>(shown.entries.size());
    shown.entries.push_back(line.substr(end + 2));
  }
  return shown;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The DT_NEEDED entries of an ELF file's dynamic section.
std::vector<std::string> NeededLibraries(const std::string& path) {
  const std::string image = ReadFile(path);
  std::vector<std::string> needed;
  auto fits = [&](std::uint64_t offset, std::uint64_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  Elf64_Ehdr header;
  if (!fits(0, sizeof header)) return needed;
  std::memcpy(&header, image.data(), sizeof header);
  auto section = [&](std::uint64_t index, Elf64_Shdr& out) {
    const std::uint64_t at = header.e_shoff + index * sizeof(Elf64_Shdr);
    if (index >= header.e_shnum || !fits(at, sizeof out)) return false;
    std::memcpy(&out, image.data() + at, sizeof out);
    return true;
  };
  Elf64_Shdr dynamic;
  Elf64_Shdr strings;
  for (std::uint64_t i = 0; section(i, dynamic); ++i) {
    if (dynamic.sh_type != SHT_DYNAMIC || !section(dynamic.sh_link, strings)) continue;
    if (!fits(dynamic.sh_offset, dynamic.sh_size) || !fits(strings.sh_offset, strings.sh_size))
      break;
    for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.sh_size; at += sizeof(Elf64_Dyn)) {
      Elf64_Dyn entry;
      std::memcpy(&entry, image.data() + dynamic.sh_offset + at, sizeof entry);
      if (entry.d_tag == DT_NEEDED && entry.d_un.d_val < strings.sh_size) {
        needed.emplace_back(image.c_str() + strings.sh_offset + entry.d_un.d_val);
      }
    }
  }
  return needed;
}

// A directory holding a copy of SCRNPICK and the platform libraries (the desktop's
// too), with or without the fake engine.
class ChooserBesideEngine : public ::testing::Test {
 protected:
  void Install(bool withEngine) {
    for (const char* file : {SCRNPICK_PROGRAM, MFC_LIBRARY, WIN32_LIBRARY, DESKTOP_LIBRARY}) {
      fs::copy_file(file, fs::path(m_dir.path()) / fs::path(file).filename());
    }
    if (withEngine) fs::copy_file(FAKE_ENGINE, m_dir / "ZIRN.DLL");
  }

  // Runs the copy with the fake engine listing names (one per line).
  Outcome Choose(const std::string& names, const std::string& input,
                 std::map<std::string, std::string> env = {}) {
    env["FAKE_ZIRN_NAMES"] = names;
    env["FAKE_ZIRN_SET_LOG"] = SetLog();
    env["FAKE_ZIRN_ENUM_LOG"] = m_dir / "enum.log";
    Outcome run = RunProgram(m_dir / "SCRNPICK", input, env);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run;
  }

  std::string SetLog() const { return m_dir / "set.log"; }
  // Every name the engine was given, in order; empty when it was never called.
  std::vector<std::string> NamesSet() const { return Lines(ReadFile(SetLog())); }
  std::vector<std::string> EnumCalls() const { return Lines(ReadFile(m_dir / "enum.log")); }
  void ClearLogs() const {
    fs::remove(SetLog());
    fs::remove(m_dir / "enum.log");
  }

  ScratchDir m_dir;
};

const char kOutOfOrder[] = "sRGB\nZeta Display\nAdobe RGB (1998)\napple RGB";
const std::vector<std::string> kSorted = {"Adobe RGB (1998)", "apple RGB", "sRGB", "Zeta Display"};

TEST_F(ChooserBesideEngine, NeedsTheEngineItself) {
  std::vector<std::string> needed = NeededLibraries(SCRNPICK_PROGRAM);
  EXPECT_NE(std::find(needed.begin(), needed.end(), "ZIRN.DLL"), needed.end());
}

TEST_F(ChooserBesideEngine, DoesNotStartWithoutTheEngine) {
  Install(false);
  Outcome run = RunProgram(m_dir / "SCRNPICK", "ok\n", {});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("ZIRN.DLL"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(ChooserBesideEngine, ListsSortedWithTheFirstSelectedAndOkSetsIt) {
  Install(true);
  Outcome run = Choose(kOutOfOrder, "ok\n");
  Shown shown = LastList(run.out);
  EXPECT_EQ(shown.entries, kSorted);
  EXPECT_EQ(shown.selected, 0);
  EXPECT_NE(run.out.find("  Please select a Monitor Profile\n"), std::string::npos);
  EXPECT_NE(run.out.find("  <OK>  [Cancel]\n"), std::string::npos);
  EXPECT_EQ(NamesSet(), std::vector<std::string>{"Adobe RGB (1998)"});

  // Classification 0, 260-byte buffers cleared before the first call, and cursors that
  // start at 0 and come back as the engine left them; one call more ends the list.
  EXPECT_EQ(EnumCalls(),
            (std::vector<std::string>{"0 0 0 260 zero", "0 1 1001 260 used", "0 2 1002 260 used",
                                      "0 3 1003 260 used", "0 4 1004 260 used"}));
}

TEST_F(ChooserBesideEngine, EveryWayToConfirmSetsTheSelectedName) {
  Install(true);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\n", "Adobe RGB (1998)"},   {"3\nok\n", "sRGB"},   {"down\n\n", "apple RGB"},
      {"dbl 2\nok\n", "apple RGB"}, {"4\nup\n\n", "sRGB"}, {"9\nDBL 4\n", "Zeta Display"}};
  for (const auto& [input, expected] : cases) {
    ClearLogs();
    Choose(kOutOfOrder, input);
    // Exactly once: the dialog ended with the first confirmation.
    EXPECT_EQ(NamesSet(), std::vector<std::string>{expected}) << "input: " << input;
  }
}

TEST_F(ChooserBesideEngine, CancellingNeverCallsTheEngine) {
  Install(true);
  for (const char* input : {"cancel\n", "esc\n", "2\n", "", "what\n"}) {
    ClearLogs();
    Outcome run = Choose(kOutOfOrder, input);
    EXPECT_EQ(LastList(run.out).selected, input[0] == '2' ? 1 : 0) << input;
    EXPECT_TRUE(NamesSet().empty()) << "input: " << input;
    EXPECT_EQ(EnumCalls().size(), 5u);
  }
}

TEST_F(ChooserBesideEngine, AnEmptyListSetsNothing) {
  Install(true);
  for (const char* input : {"ok\n", "\n", "dbl 1\nok\n", "cancel\n"}) {
    ClearLogs();
    Outcome run = Choose("", input);
    EXPECT_TRUE(LastList(run.out).entries.empty());
    EXPECT_NE(run.out.find("(no entries)"), std::string::npos);
    EXPECT_TRUE(NamesSet().empty()) << "input: " << input;
  }
}

TEST_F(ChooserBesideEngine, NamesTooLongForTheEngineAreNotCut) {
  Install(true);
  const std::string longest(255, 'M');
  const std::string overlong(300, 'L');  // fills the 260-byte buffer with no terminator
  const std::string names = longest + "\n" + overlong;
  Outcome run = Choose(names, "dbl 1\n");
  EXPECT_EQ(LastList(run.out).entries, (std::vector<std::string>{std::string(259, 'L'), longest}));
  EXPECT_TRUE(NamesSet().empty());

  ClearLogs();
  Choose(names, "dbl 2\n");
  EXPECT_EQ(NamesSet(), std::vector<std::string>{longest});
}

TEST_F(ChooserBesideEngine, AnEngineThatNeverEndsFillsTheList) {
  Install(true);
  Outcome run = Choose("", "ok\n", {{"FAKE_ZIRN_ENDLESS", "1"}, {"FAKE_ZIRN_ENUM_LOG", ""}});
  EXPECT_EQ(LastList(run.out).entries.size(), 32767u);
  EXPECT_EQ(NamesSet(), std::vector<std::string>{"Again"});
}

// The real engine with a home of the test's own: the display profiles of the
// machine, and a choice that a later process reads back.
class ChooserWithRealEngine : public ::testing::Test {
 protected:
  Outcome Choose(const std::string& input) {
    Outcome run = RunProgram(SCRNPICK_PROGRAM, input, {{"ZIRN_HOME", m_home.path()}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run;
  }

  ScratchDir m_home;
  testsupport::ScopedEnv m_env{"ZIRN_HOME", m_home.path()};
};

TEST_F(ChooserWithRealEngine, ListsTheDisplayProfilesAndSetsTheOneChosen) {
  std::vector<std::string> listed;
  int32_t cursor1 = 0;
  int32_t cursor2 = 0;
  char name[260] = {};
  char path[260] = {};
  while (enum_profiles_by_classification(0, &cursor1, &cursor2, name, path, 260) > 0) {
    listed.push_back(name);
  }
  char srgb[256] = {};
  ASSERT_GT(ZIRN_GetProfileName("/usr/share/color/icc/colord/sRGB.icc", srgb), 0);

  Shown shown = LastList(Choose("cancel\n").out);
  std::vector<std::string> expected = listed;
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> got = shown.entries;
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(std::is_sorted(shown.entries.begin(), shown.entries.end(),
                             [](const std::string& a, const std::string& b) {
                               return strcasecmp(a.c_str(), b.c_str()) < 0;
                             }));
  char* monitor = nullptr;
  ASSERT_EQ(ZIRN_GetMonitorProfile(&monitor), ZIRN_OK);
  EXPECT_STREQ(monitor, ZIRN_DEFAULT_DISPLAY);

  auto at = std::find(shown.entries.begin(), shown.entries.end(), std::string(srgb));
  ASSERT_NE(at, shown.entries.end()) << srgb;
  Choose(std::to_string(at - shown.entries.begin() + 1) + "\nok\n");
  ASSERT_EQ(ZIRN_GetMonitorProfile(&monitor), ZIRN_OK);
  EXPECT_STREQ(monitor, srgb);
}

}  // namespace
