// A colour engine for the reader's tests: every entry point records its call and
// answers as the test set it up. Installed as the module's engine binding while it
// lives, with the Windows directory set to a scratch folder.
#pragma once

#include <string>
#include <vector>

#include "color/ZirnApi.h"

namespace tifftest {

class FakeEngine {
 public:
  FakeEngine();
  ~FakeEngine();
  FakeEngine(const FakeEngine&) = delete;
  FakeEngine& operator=(const FakeEngine&) = delete;

  // The Windows directory as the module holds it: the folder and a backslash.
  const std::string& Dir() const { return m_dir; }
  std::string WindowsDir() const { return m_dir + "\\"; }

  // Answers.
  std::string profileName = "Test Profile";
  int16_t nProfileNameResult = 1;
  std::string monitorName = "Studio Monitor";
  int16_t nMonitorResult = 0;
  int16_t nBeginResult = 0;
  int16_t nMatchResult = 0;      // for calls with count 1
  int16_t nMapMatchResult = 0;   // for calls with a larger count
  // Match turns red, green, blue into (blue, red, green) and sets component 3 to 0x7777.
  bool bRotate = true;

  // Calls.
  std::vector<std::string> calls;
  std::vector<std::string> beginSources;
  std::vector<MatchColor> matchInputs;  // every record passed to Match
  std::vector<int32_t> matchCounts;

  static FakeEngine* Current();

 private:
  std::string m_dir;
};

}  // namespace tifftest
