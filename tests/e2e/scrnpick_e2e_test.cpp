// SCRNPICK end to end: the real chooser over the real engine with the test's own
// engine home, keys on standard input, and nphost afterwards matching to the choice.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "color/ColorEngine.h"
#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::kAdvice;
using e2e::Near;
using e2e::Quarters;
using e2e::Swapped;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

// The list as the chooser showed it last.
struct Shown {
  std::vector<std::string> entries;
  int selected = -1;
};

Shown LastList(const std::string& out) {
  static const std::regex entry("    ([* ]) +([0-9]+)  (.*)");
  Shown shown;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    // Shown again after each prompt, on the prompt's line: the keys are not echoed.
    if (line.find("Monitor Profile Selection") != std::string::npos) shown = Shown{};
    std::smatch match;
    if (!std::regex_match(line, match, entry)) continue;
    if (std::stoul(match[2]) != shown.entries.size() + 1) continue;
    if (match[1] == "*") shown.selected = static_cast<int>(shown.entries.size());
    shown.entries.push_back(match[3]);
  }
  return shown;
}

// Whether the file's header says an RGB display profile.
bool IsRgbDisplayProfile(const fs::path& path) {
  std::string header = testsupport::ReadFile(path).substr(0, 128);
  return header.size() == 128 && header.compare(12, 8, "mntrRGB ") == 0;
}

class ChooserEndToEndTest : public e2e::HostTest {
 protected:
  struct Outcome {
    int exitCode = -1;
    std::string out;
  };

  // Runs the build's SCRNPICK with this test's engine home and the keys given.
  Outcome Choose(const std::string& keys) {
    std::string in = WriteText("keys.txt", keys);
    std::string out = m_scratch / "chooser.txt";
    std::string command = "ZIRN_HOME='" + ZirnHome() + "' '" + ZELVW_SCRNPICK + "' < '" + in +
                          "' > '" + out + "' 2>&1";
    int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = testsupport::ReadFile(out);
    return outcome;
  }

  // The engine's name for a profile file and its own list of display profiles, asked
  // with this test's engine home.
  std::string ProfileName(const std::string& path) {
    testsupport::ScopedEnv home("ZIRN_HOME", ZirnHome());
    CColorEngine engine;
    char szName[256] = {};
    if (engine.Load() != 1 || engine.m_pfnGetProfileName(path.c_str(), szName) <= 0) return "";
    return szName;
  }
  std::vector<std::string> EngineDisplayProfiles() {
    testsupport::ScopedEnv home("ZIRN_HOME", ZirnHome());
    CColorEngine engine;
    std::vector<std::string> names;
    if (engine.Load() != 1) return names;
    int32_t nCursor1 = 0, nCursor2 = 0;
    char szName[260] = {}, szPath[260] = {};
    while (engine.m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath, 260) >
           0) {
      names.push_back(szName);
    }
    return names;
  }

  // The chooser's entry number for a profile of the colour store.
  int EntryNumber(const std::string& profile) {
    Outcome listed = Choose("cancel\n");
    std::vector<std::string> entries = LastList(listed.out).entries;
    std::string name = ProfileName(profile);
    auto at = std::find(entries.begin(), entries.end(), name);
    EXPECT_NE(at, entries.end()) << "'" << name << "' in:\n" << listed.out;
    return static_cast<int>(at - entries.begin()) + 1;
  }
  int SrgbNumber() { return EntryNumber("/usr/share/color/icc/colord/sRGB.icc"); }

  // Views a JPEG carrying a red-green swapping profile full-page: whether the right
  // half showed it matched to sRGB (swapped), or matched to a monitor that swaps too
  // (as it was), with no message; or else the advice alone, unmatched.
  enum class Viewed { kMatched, kSwappedBack, kAdvice, kOther };
  Viewed ViewSwappingJpeg() {
    std::string path = WriteSwappingJpeg("swapped.jpg");
    if (Host(path, {"--size", "200x100"}) != 0) return Viewed::kOther;
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    if (shot.width != 200) return Viewed::kOther;
    bool bLeftAsIs = true;
    bool bRightSwapped = true;
    bool bRightAsIs = true;
    for (auto [x, y] :
         {std::pair{10, 10}, std::pair{50, 10}, std::pair{10, 40}, std::pair{50, 40}}) {
      bLeftAsIs &= Near(shot.At(x, y), ToPixel(Quarters(x, y)), 6);
      bRightSwapped &= Near(shot.At(64 + x, y), Swapped(Quarters(x, y)), 8);
      bRightAsIs &= Near(shot.At(64 + x, y), ToPixel(Quarters(x, y)), 8);
    }
    if (!bLeftAsIs) return Viewed::kOther;
    if (messages.empty() && bRightSwapped) return Viewed::kMatched;
    if (messages.empty() && bRightAsIs) return Viewed::kSwappedBack;
    bool bAdvice = messages.size() == 1 && messages[0].text == kAdvice;
    return bAdvice && shot.At(64 + 10, 10) == e2e::kWhite ? Viewed::kAdvice : Viewed::kOther;
  }
};

TEST_F(ChooserEndToEndTest, ListsTheDisplayProfilesOfTheMachineWithTheFirstSelected) {
  Outcome run = Choose("cancel\n");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("  Please select a Monitor Profile\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  <OK>  [Cancel]\n"), std::string::npos) << run.out;
  Shown shown = LastList(run.out);
  ASSERT_FALSE(shown.entries.empty()) << run.out;
  EXPECT_EQ(shown.selected, 0);

  std::vector<std::string> engine = EngineDisplayProfiles();
  EXPECT_EQ(std::multiset<std::string>(shown.entries.begin(), shown.entries.end()),
            std::multiset<std::string>(engine.begin(), engine.end()));
  // Every RGB display profile that the colour store's package installs is there by
  // the engine's name for it.
  size_t nColord = 0;
  for (const auto& file : fs::directory_iterator("/usr/share/color/icc/colord")) {
    if (!IsRgbDisplayProfile(file.path())) continue;
    ++nColord;
    std::string name = ProfileName(file.path());
    EXPECT_NE(std::find(shown.entries.begin(), shown.entries.end(), name), shown.entries.end())
        << file.path() << ": '" << name << "'";
  }
  EXPECT_GT(nColord, 3u);
}

TEST_F(ChooserEndToEndTest, ChoosingSrgbLetsTheViewerMatchInsteadOfAdvising) {
  ASSERT_EQ(ViewSwappingJpeg(), Viewed::kAdvice);
  int nSrgb = SrgbNumber();
  // A number selects, Enter confirms.
  Outcome run = Choose(std::to_string(nSrgb) + "\n\n");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(LastList(run.out).selected, nSrgb - 1);
  EXPECT_EQ(ViewSwappingJpeg(), Viewed::kMatched);
}

TEST_F(ChooserEndToEndTest, ChoosingByMovingTheSelectionAndDoubleClicking) {
  int nSrgb = SrgbNumber();
  std::string keys;
  for (int i = 1; i < nSrgb; ++i) keys += "down\n";
  ASSERT_EQ(Choose(keys + "ok\n").exitCode, 0);
  EXPECT_EQ(ViewSwappingJpeg(), Viewed::kMatched);

  // A double click replaces the choice at once: a monitor that swaps red and green
  // undoes the image's swap.
  int nSwapping = EntryNumber(viewertest::kSwappedProfile);
  ASSERT_EQ(Choose("dbl " + std::to_string(nSwapping) + "\n").exitCode, 0);
  EXPECT_EQ(ViewSwappingJpeg(), Viewed::kSwappedBack);
}

TEST_F(ChooserEndToEndTest, CancellingLeavesTheSettingAsItWas) {
  int nSrgb = SrgbNumber();
  // Cancel, Escape and the close box (input ends), each with sRGB selected.
  for (const char* how : {"cancel\n", "esc\n", ""}) {
    Outcome run = Choose(std::to_string(nSrgb) + "\n" + how);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ViewSwappingJpeg(), Viewed::kAdvice) << "keys: " << how;
  }
  // A setting made before stays too.
  ChooseSrgbMonitor();
  ASSERT_EQ(Choose("1\ncancel\n").exitCode, 0);
  EXPECT_EQ(ViewSwappingJpeg(), Viewed::kMatched);
}

}  // namespace
