// Running nphost as a browser would run the plug-in, and reading what it leaves: the
// screenshot PNG and the message log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top first

  uint32_t At(int x, int y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

// text as one word for the shell, in single quotes.
std::string ShellQuoted(const std::string& text);

// An 8-bit RGB PNG; empty (0 x 0) when it cannot be read.
Screenshot ReadPng(const std::string& path);

struct LoggedMessage {
  std::string caption;
  std::string text;
  unsigned style = 0;
};

// The message boxes of a message log, in order; other entries are left out.
std::vector<LoggedMessage> ReadMessageBoxes(const std::string& path);

struct HostRun {
  std::string nphost;  // the program; its directory holds the modules it loads
  std::vector<std::string> arguments;
  std::string workingDirectory;
  std::string zirnHome;    // the engine's home for this run
  int timeoutSeconds = 0;  // when above 0, the run is killed after it (status 124 or 137)
  std::string errorFile;   // when set, the run's standard error goes there
};

// The exit status of the run (-1 when it did not end normally).
int Run(const HostRun& run);

// What a run cost: its exit status (-1 when it did not end normally), nphost's peak
// resident memory and the wall time.
struct RunCost {
  int status = -1;
  long peakKiB = 0;
  double seconds = 0;
};

// Run without a shell between: nphost itself is the child measured. A time limit
// kills it with SIGALRM.
RunCost RunMeasured(const HostRun& run);

// Whether two pixels differ by at most nTolerance in every channel.
bool Near(uint32_t a, uint32_t b, int nTolerance);

}  // namespace e2e
