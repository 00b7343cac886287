// The message log file.
#include "host/MessageLog.h"

namespace nphost {

MessageLog::~MessageLog() {
  if (m_file != nullptr) std::fclose(m_file);
}

bool MessageLog::Open(const std::string& path) {
  if (m_file != nullptr) std::fclose(m_file);
  m_file = std::fopen(path.c_str(), "wb");
  return m_file != nullptr;
}

void MessageLog::Write(const std::string& jsonObject) {
  if (m_file == nullptr) return;
  std::fputs(jsonObject.c_str(), m_file);
  std::fputc('\n', m_file);
  std::fflush(m_file);
}

}  // namespace nphost
