// The message log (--messages): one JSON object a line, written and flushed as
// each happens, so a run that ends early still leaves what it saw.
#pragma once

#include <cstdio>
#include <string>

namespace nphost {

class MessageLog {
 public:
  // No log: lines are dropped.
  MessageLog() = default;
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // Creates or empties the file; false when it cannot be written.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_file != nullptr; }

  void Write(const std::string& jsonObject);

 private:
  std::FILE* m_file = nullptr;
};

}  // namespace nphost
