// The person at the screen for tests: every message box is recorded and answered OK,
// or Yes when it asks.
#pragma once

#include <platform/person.h>
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct Message {
  std::string caption;
  std::string text;
  unsigned style;
};

class MessageRecorder : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    messages.push_back({caption, text, style});
    return (style & 0xF) == MB_YESNO ? IDYES : IDOK;
  }

  std::vector<Message> messages;
};

// A MessageRecorder that is the person at the screen while it lives.
class ScopedMessageRecorder : public MessageRecorder {
 public:
  ScopedMessageRecorder() : m_pPrevious(platform::SetPerson(this)) {}
  ~ScopedMessageRecorder() override { platform::SetPerson(m_pPrevious); }
  ScopedMessageRecorder(const ScopedMessageRecorder&) = delete;
  ScopedMessageRecorder& operator=(const ScopedMessageRecorder&) = delete;

 private:
  platform::Person* m_pPrevious;
};

}  // namespace testsupport
