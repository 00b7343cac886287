// nphost's command line: a fixed interface (see host/README.md and UsageText).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nphost {

// Faults the host injects so that the plug-in's error paths run as ordinary tests.
struct Faults {
  unsigned long failMemAlloc = 0;   // the Nth NPN_MemAlloc returns null; 0: none
  unsigned long failStartPage = 0;  // the Nth StartPage of the printer fails; 0: none
  bool bytewise = false;            // every NPP_Write carries one byte
  int destroyMidStream = 0;         // instance destroyed after its first NPP_Write; 0: none
};

struct Options {
  std::vector<std::string> files;  // each opens in a browser window of its own
  std::string plugin;              // empty: NPZELVW.DLL beside nphost
  bool fullPage = true;
  int width = 800;
  int height = 600;
  int depth = 24;
  std::string script;  // empty: none; "-": standard input
  std::string screenshot;
  std::string messages;
  std::optional<std::string> windir;
  Faults faults;
  bool headless = false;  // off-screen even when a display is there
  bool help = false;
};

// A command line that cannot be used; what() says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options of args (without the program name); throws UsageError.
Options ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

}  // namespace nphost
