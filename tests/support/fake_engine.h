// A colour engine for the readers' tests: every entry point records its call and
// answers as the test set it up. Installed as the module's engine binding while it
// lives, with the Windows directory a scratch folder; the module's profile state is
// reset on both ends.
#pragma once

#include "color/ZirnApi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scratchdir.h"

namespace testsupport {

class FakeEngine {
 public:
  FakeEngine();
  ~FakeEngine();
  FakeEngine(const FakeEngine&) = delete;
  FakeEngine& operator=(const FakeEngine&) = delete;

  // The Windows directory as the module holds it: the folder and a backslash.
  const std::string& Dir() const { return m_dir.path(); }
  std::string WindowsDir() const { return m_dir.path() + "\\"; }
  std::string File(const std::string& name) const { return m_dir / name; }

  // Answers. GetProfileName leaves undefined text ('Z's) when it fails.
  std::string profileName = "Test Profile";
  int16_t nProfileNameResult = 1;
  std::string monitorName = "Studio Monitor";
  int16_t nMonitorResult = 0;
  int16_t nBeginResult = 0;
  int16_t nMatchResult = 0;     // for calls with count 1
  int16_t nMapMatchResult = 0;  // for calls with a larger count
  size_t nFailMatchAt = 0;      // the Match call (from 1) that answers 1; 0: none
  // Match gives every record this colour; unset, it turns red, green, blue into
  // (blue, red, green) and sets component 3 to 0x7777.
  std::optional<MatchColor> fixedResult;

  // Calls; Begin is recorded as "Begin <source> <monitor>".
  std::vector<std::string> calls;
  std::vector<std::string> beginSources;
  std::vector<MatchColor> matchInputs;  // every record passed to Match
  std::vector<int32_t> matchCounts;

 private:
  ScratchDir m_dir;
};

}  // namespace testsupport
