// Parsing nphost's options.
#include "host/CommandLine.h"

#include <charconv>
#include <functional>
#include <map>

namespace nphost {
namespace {

constexpr int kMaxSide = 32767;

long long ParseNumber(const std::string& option, const std::string& text, long long low,
                      long long high) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) {
    throw UsageError(option + " takes a number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

void ParseSize(const std::string& text, Options& options) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size takes WxH, not '" + text + "'");
  options.width = static_cast<int>(ParseNumber("--size", text.substr(0, x), 1, kMaxSide));
  options.height = static_cast<int>(ParseNumber("--size", text.substr(x + 1), 1, kMaxSide));
}

using Setter = std::function<void(const std::string& value, Options& options)>;

// Options that take a value.
const std::map<std::string, Setter>& ValueOptions() {
  static const std::map<std::string, Setter> kOptions = {
      {"--plugin", [](const std::string& v, Options& o) { o.plugin = v; }},
      {"--mode",
       [](const std::string& v, Options& o) {
         if (v != "full" && v != "embed")
           throw UsageError("--mode takes full or embed, not '" + v + "'");
         o.fullPage = v == "full";
       }},
      {"--size", ParseSize},
      {"--depth",
       [](const std::string& v, Options& o) {
         if (v != "24" && v != "8") throw UsageError("--depth takes 24 or 8, not '" + v + "'");
         o.depth = v == "8" ? 8 : 24;
       }},
      {"--script", [](const std::string& v, Options& o) { o.script = v; }},
      {"--screenshot", [](const std::string& v, Options& o) { o.screenshot = v; }},
      {"--messages", [](const std::string& v, Options& o) { o.messages = v; }},
      {"--windir", [](const std::string& v, Options& o) { o.windir = v; }},
      {"--fail-memalloc",
       [](const std::string& v, Options& o) {
         o.faults.failMemAlloc =
             static_cast<unsigned long>(ParseNumber("--fail-memalloc", v, 1, 1000000000));
       }},
      {"--fail-startpage",
       [](const std::string& v, Options& o) {
         o.faults.failStartPage =
             static_cast<unsigned long>(ParseNumber("--fail-startpage", v, 1, 1000000));
       }},
      {"--destroy-mid-stream",
       [](const std::string& v, Options& o) {
         o.faults.destroyMidStream =
             static_cast<int>(ParseNumber("--destroy-mid-stream", v, 1, 1000000));
       }},
  };
  return kOptions;
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    if (arg == "--write-bytewise") {
      options.faults.bytewise = true;
      continue;
    }
    if (arg == "--headless") {
      options.headless = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    const auto option = ValueOptions().find(name);
    if (option != ValueOptions().end()) {
      if (!value) {
        if (i + 1 == args.size()) throw UsageError(name + " needs a value");
        value = args[++i];
      }
      option->second(*value, options);
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') throw UsageError("unknown option '" + arg + "'");
    options.files.push_back(arg);
  }
  if (options.files.empty()) throw UsageError("no FILE given");
  return options;
}

std::string UsageText() {
  return R"(Usage: nphost [options] FILE...
Plays the browser for a plug-in module: loads it, opens FILE in it and plays a script.
FILE is an image (.jpg .jpeg .jpe .tif .tiff), opened full-page, or an .html/.htm
page, which opens one embedded instance per <embed> or <img> of a registered type.
Each FILE opens in a browser window of its own, all in one load of the module;
instances are numbered across the windows in order, and the screenshot of window N
after the first goes to the PNG's name with -N before its extension.

With a display ($DISPLAY or $WAYLAND_DISPLAY) the windows open on the desktop, titled
by their file: the script plays once they are shown, then the person at the desktop
scrolls, clicks, resizes and answers the plug-in's questions (those the script leaves
unanswered), and closing the last window ends the run. A window's screenshot is
written as it closes. Without a display, or with --headless, the run is off-screen.

  --plugin PATH         the plug-in module (default: NPZELVW.DLL beside nphost)
  --mode full|embed     how a single image opens (default full)
  --size WxH            outer size of each plug-in window (default 800x600)
  --depth 24|8          the screen: true colour, or 256 colours with a colour table
  --script FILE         events to play once the page is shown ('-': standard input)
  --screenshot PNG      write each window's plug-ins, with their scroll bars, at the end
  --messages FILE       write every message box, menu, dialog, print job and status
                        line as one JSON object a line
  --windir DIR          the Windows directory for this run (created when missing)
  --headless            off-screen even when a display is there

Faults to inject, for tests of the plug-in's error paths:
  --fail-memalloc N     the Nth call of NPN_MemAlloc (from 1) returns null
  --fail-startpage N    the Nth StartPage of the printer (from 1) fails
  --write-bytewise      deliver every stream one byte per NPP_Write
  --destroy-mid-stream N
                        destroy instance N after its first NPP_Write
                        (NPP_DestroyStream with NPRES_USER_BREAK, then NPP_Destroy)

Script lines (each for the current instance; blank lines and # comments ignored):
  instance N                 later lines go to instance N (from 1, in page order,
                               counted on across the windows)
  resize W H                 resize the instance's window
  hscroll CODE [POS]         WM_HSCROLL / WM_VSCROLL; CODE is lineup linedown pageup
  vscroll CODE [POS]           pagedown thumbposition thumbtrack top bottom endscroll
  lclick X Y, rclick X Y     a button pressed at client coordinates
  palette-changed self|other
  paint, print, window-gone, destroy
  menu ID|cancel             the answer to the next pop-up menu,
  save-as PATH|cancel          to the next save dialog,
  printer [copies=N] [dpi=D] [to=FILE.pdf|FILE-%d.png]|cancel
                               and to the next print dialog (default output:
                               nphost-print-N.pdf in the current directory)

Exit status: 0 when the page was shown, 1 when the module could not be loaded or
initialised, 2 for a bad command line or script line.
)";
}

}  // namespace nphost
