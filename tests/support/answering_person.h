// A person for the dialog tests: records every question and gives the answers the
// test queued (nothing queued: the question is cancelled).
#pragma once

#include <platform/person.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class AnsweringPerson : public platform::Person {
 public:
  AnsweringPerson() : m_previous(platform::SetPerson(this)) {}
  ~AnsweringPerson() override { platform::SetPerson(m_previous); }
  AnsweringPerson(const AnsweringPerson&) = delete;
  AnsweringPerson& operator=(const AnsweringPerson&) = delete;

  struct Box {
    std::string caption;
    std::string text;
    unsigned style;
  };

  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    boxes.push_back(Box{caption, text, style});
    return boxAnswer;
  }
  UINT ChooseMenuItem(const platform::MenuQuestion& question) override {
    menus.push_back(question);
    // Once only, and taken out first: the callback may open another menu.
    if (std::function<void()> callback = std::exchange(onMenu, nullptr)) callback();
    return Take(menuAnswers).value_or(0);
  }
  std::optional<std::string> ChooseFile(const platform::FileQuestion& question) override {
    files.push_back(question);
    return Take(fileAnswers).value_or(std::nullopt);
  }
  std::optional<platform::PrintAnswer> ChoosePrinter(
      const platform::PrintQuestion& question) override {
    printers.push_back(question);
    return Take(printerAnswers).value_or(std::nullopt);
  }

  int boxAnswer = IDOK;
  std::deque<UINT> menuAnswers;
  std::deque<std::optional<std::string>> fileAnswers;
  std::deque<std::optional<platform::PrintAnswer>> printerAnswers;
  std::function<void()> onMenu;  // runs once, while the next menu is open

  std::vector<Box> boxes;
  std::vector<platform::MenuQuestion> menus;
  std::vector<platform::FileQuestion> files;
  std::vector<platform::PrintQuestion> printers;

 private:
  template <class T>
  static std::optional<T> Take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
  }

  platform::Person* m_previous;
};

inline platform::PrintAnswer Printer(int dpi, WORD copies, std::string output = {}) {
  platform::PrintAnswer answer;
  answer.printer.dpi = dpi;
  answer.printer.output = std::move(output);
  answer.copies = copies;
  return answer;
}

}  // namespace testsupport
