// The process's queue of posted messages. It is the one part of the window system
// that any thread may use: PostMessageA from a worker wakes the user-interface
// thread waiting in GetMessageA. So that posting can refuse a stale window without
// reading the window table, the queue keeps its own set of live windows.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_set>

namespace platform::user {

class MessageQueue {
 public:
  static MessageQueue& Get();

  void AddWindow(HWND hwnd);
  // Forgets a window being destroyed and drops the messages posted to it.
  void RemoveWindow(HWND hwnd);

  // False for a window that is not live (hwnd NULL: a message for no window).
  bool Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void PostQuit(int exitCode);

  // The first posted message that matches, else WM_QUIT when one was posted
  // (whatever the filter, as on Windows). remove takes it out of the queue.
  bool Take(MSG* msg, const std::function<bool(const MSG&)>& matches, bool remove);

  // A count that changes with every post; Wait blocks until it differs from seen.
  std::uint64_t Generation();
  void Wait(std::uint64_t seen);

 private:
  MessageQueue() = default;

  std::mutex m_lock;
  std::condition_variable m_posted;
  std::deque<MSG> m_messages;
  std::unordered_set<HWND> m_windows;
  bool m_quit = false;
  int m_exitCode = 0;
  std::uint64_t m_generation = 0;
};

// Milliseconds on a monotonic clock, for MSG::time.
DWORD MessageTime();

}  // namespace platform::user
