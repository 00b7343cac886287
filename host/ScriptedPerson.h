// The person at the screen as the script plays it: modal questions are answered
// from queues that the script fills (`menu`, `save-as`, `printer`), message boxes
// with their affirmative button, and every question and its answer goes to the
// message log. A question with no answer queued is cancelled, or asked of the person
// behind the script when there is one (a person at the desktop).
#pragma once

#include "host/MessageLog.h"
#include "host/Script.h"

#include <platform/person.h>

#include <deque>

namespace nphost {

class ScriptedPerson : public platform::Person {
 public:
  explicit ScriptedPerson(MessageLog& log) : m_log(log) {}

  // Who answers what the script leaves unanswered, message boxes and dialog boxes
  // included; nullptr: nobody. The caller keeps ownership.
  void SetFallback(platform::Person* person) { m_fallback = person; }

  void Queue(const MenuAnswer& answer) { m_menuAnswers.push_back(answer); }
  void Queue(const SaveAnswer& answer) { m_saveAnswers.push_back(answer); }
  void Queue(const PrinterAnswer& answer) { m_printerAnswers.push_back(answer); }
  // Answers queued and never asked for.
  std::size_t UnusedAnswers() const;

  // The fallback's answer; without one IDYES for a box with Yes and No, else IDOK, and
  // without a log file too the box goes to stderr as "Caption: text", as nobody's
  // message boxes do.
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  UINT ChooseMenuItem(const platform::MenuQuestion& question) override;
  std::optional<std::string> ChooseFile(const platform::FileQuestion& question) override;
  // The printer's output is the answer's `to=`, or nphost-print-N.pdf in the current
  // directory, N counting the printers handed out in this run.
  std::optional<platform::PrintAnswer> ChoosePrinter(
      const platform::PrintQuestion& question) override;
  void RunDialog(platform::DialogView& dialog) override;

 private:
  MessageLog& m_log;
  platform::Person* m_fallback = nullptr;
  std::deque<MenuAnswer> m_menuAnswers;
  std::deque<SaveAnswer> m_saveAnswers;
  std::deque<PrinterAnswer> m_printerAnswers;
  int m_printersGiven = 0;
};

}  // namespace nphost
