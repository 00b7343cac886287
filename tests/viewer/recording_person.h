// The person at the screen for the viewer's and the plug-in's tests: every message
// box and question is recorded; message boxes are answered OK, or Yes when they ask.
#pragma once

#include <platform/person.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/message_recorder.h"

namespace viewertest {

using testsupport::Message;

// Answers menus with menuAnswer (0: no choice), file dialogs with fileAnswer and the
// print dialog with printAnswer (cancelling without one).
class RecordingPerson : public testsupport::MessageRecorder {
 public:
  UINT ChooseMenuItem(const platform::MenuQuestion& question) override {
    menuQuestions.push_back(question);
    return menuAnswer;
  }
  std::optional<std::string> ChooseFile(const platform::FileQuestion& question) override {
    fileQuestions.push_back(question);
    return fileAnswer;
  }
  std::optional<platform::PrintAnswer> ChoosePrinter(
      const platform::PrintQuestion& question) override {
    printQuestions.push_back(question);
    return printAnswer;
  }

  std::vector<platform::MenuQuestion> menuQuestions;
  std::vector<platform::FileQuestion> fileQuestions;
  std::vector<platform::PrintQuestion> printQuestions;
  UINT menuAnswer = 0;
  std::optional<std::string> fileAnswer;
  std::optional<platform::PrintAnswer> printAnswer;
};

}  // namespace viewertest
