// The posted-message queue. A quit request is a flag, not a queued message, so it
// comes after every posted message and is seen exactly once.
#include "messagequeue.h"

#include <algorithm>
#include <chrono>

namespace platform::user {

MessageQueue& MessageQueue::Get() {
  static MessageQueue* queue = new MessageQueue;  // outlives static destructors of other modules
  return *queue;
}

DWORD MessageTime() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void MessageQueue::AddWindow(HWND hwnd) {
  std::lock_guard guard(m_lock);
  m_windows.insert(hwnd);
}

void MessageQueue::RemoveWindow(HWND hwnd) {
  std::lock_guard guard(m_lock);
  m_windows.erase(hwnd);
  std::erase_if(m_messages, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
}

bool MessageQueue::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard guard(m_lock);
    if (hwnd != nullptr && m_windows.count(hwnd) == 0) return false;
    m_messages.push_back(MSG{hwnd, message, wParam, lParam, MessageTime(), POINT{}});
    ++m_generation;
  }
  m_posted.notify_all();
  return true;
}

void MessageQueue::PostQuit(int exitCode) {
  {
    std::lock_guard guard(m_lock);
    m_quit = true;
    m_exitCode = exitCode;
    ++m_generation;
  }
  m_posted.notify_all();
}

bool MessageQueue::Take(MSG* msg, const std::function<bool(const MSG&)>& matches, bool remove) {
  std::lock_guard guard(m_lock);
  auto it = std::find_if(m_messages.begin(), m_messages.end(), matches);
  if (it != m_messages.end()) {
    *msg = *it;
    if (remove) m_messages.erase(it);
    return true;
  }
  if (!m_quit) return false;
  *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_exitCode), 0, MessageTime(), POINT{}};
  if (remove) m_quit = false;
  return true;
}

std::uint64_t MessageQueue::Generation() {
  std::lock_guard guard(m_lock);
  return m_generation;
}

void MessageQueue::Wait(std::uint64_t seen) {
  std::unique_lock guard(m_lock);
  m_posted.wait(guard, [&] { return m_generation != seen; });
}

}  // namespace platform::user
