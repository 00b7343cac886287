// The person at the screen for the viewer's and the plug-in's tests: every message
// box and question is recorded; message boxes are answered OK.
#pragma once

#include <platform/person.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace viewertest {

struct Message {
  std::string caption;
  std::string text;
  unsigned style;
};

// Answers the print dialog with printAnswer (cancels without one).
class RecordingPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    messages.push_back({caption, text, style});
    return IDOK;
  }
  std::optional<platform::PrintAnswer> ChoosePrinter(const platform::PrintQuestion& question) override {
    printQuestions.push_back(question);
    return printAnswer;
  }

  std::vector<Message> messages;
  std::vector<platform::PrintQuestion> printQuestions;
  std::optional<platform::PrintAnswer> printAnswer;
};

}  // namespace viewertest
