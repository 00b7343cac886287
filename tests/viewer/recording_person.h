// The person at the screen for the viewer's and the plug-in's tests: every message
// box is recorded and answered OK.
#pragma once

#include <platform/person.h>
#include <windows.h>

#include <string>
#include <vector>

namespace viewertest {

struct Message {
  std::string caption;
  std::string text;
  unsigned style;
};

class RecordingPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    messages.push_back({caption, text, style});
    return IDOK;
  }
  std::vector<Message> messages;
};

}  // namespace viewertest
