// The tick count and Sleep over the monotonic clock, so neither jumps with the
// wall-clock time.
#include <windows.h>

#include <cerrno>
#include <ctime>

extern "C" {

DWORD WINAPI GetTickCount(void) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned long long milliseconds = static_cast<unsigned long long>(now.tv_sec) * 1000 +
                                    static_cast<unsigned long long>(now.tv_nsec) / 1000000;
  return static_cast<DWORD>(milliseconds);
}

void WINAPI Sleep(DWORD milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // extern "C"
