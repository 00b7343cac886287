// nphost: the browser stand-in. Reads the command line and the script, loads the
// plug-in module and hands the page to the browser.
#include "host/Browser.h"
#include "host/CommandLine.h"
#include "host/MessageLog.h"
#include "host/Page.h"
#include "host/PluginModule.h"
#include "host/Script.h"

#include <platform/desktop.h>
#include <platform/screen.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

constexpr int kExitShown = 0;
constexpr int kExitModule = 1;
constexpr int kExitUsage = 2;

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "nphost: %s\n", message.c_str());
  return status;
}

std::vector<nphost::ScriptLine> ReadScript(const std::string& path) {
  if (path.empty()) return {};
  if (path == "-") return nphost::ParseScript(std::cin);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw nphost::UsageError("cannot read the script " + path);
  return nphost::ParseScript(in);
}

// NPZELVW.DLL beside this program.
std::string DefaultPlugin() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (error ? std::filesystem::path("NPZELVW.DLL") : self.parent_path() / "NPZELVW.DLL")
      .string();
}

// dlopen searches the library path for a bare name; the browser means a file.
std::string ModulePath(const std::string& given) {
  const std::string path = given.empty() ? DefaultPlugin() : given;
  return path.find('/') == std::string::npos ? "./" + path : path;
}

void SetWindowsDirectory(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) throw nphost::UsageError("--windir " + dir + ": " + error.message());
  setenv("WINDIR", dir.c_str(), 1);
}

int Run(const std::vector<std::string>& args) {
  nphost::Options options;
  std::vector<nphost::ScriptLine> script;
  nphost::MessageLog log;
  try {
    options = nphost::ParseCommandLine(args);
    if (options.help) {
      std::fputs(nphost::UsageText().c_str(), stdout);
      return kExitShown;
    }
    script = ReadScript(options.script);
    for (const std::string& file : options.files) {
      if (!std::filesystem::is_regular_file(file)) throw nphost::UsageError("cannot open " + file);
    }
    if (!options.messages.empty() && !log.Open(options.messages)) {
      throw nphost::UsageError("cannot write the messages file " + options.messages);
    }
    if (options.windir) SetWindowsDirectory(*options.windir);
  } catch (const nphost::UsageError& error) {
    Fail(kExitUsage, error.what());
    std::fputs("Try 'nphost --help'.\n", stderr);
    return kExitUsage;
  } catch (const nphost::ScriptError& error) {
    return Fail(kExitUsage, error.what());
  }

  platform::SetScreen(std::max(1024, options.width), std::max(768, options.height), options.depth);

  std::unique_ptr<nphost::PluginModule> module;
  try {
    module = nphost::PluginModule::Load(ModulePath(options.plugin));
  } catch (const nphost::LoadError& error) {
    return Fail(kExitModule, error.what());
  }
  std::vector<nphost::PageContent> pages;
  try {
    for (const std::string& file : options.files)
      pages.push_back(nphost::LoadPage(file, options, *module));
  } catch (const nphost::UsageError& error) {
    return Fail(kExitUsage, error.what());
  }
  bool desktop = false;
  if (!options.headless && platform::desktop::DisplayNamed()) {
    desktop = platform::desktop::OpenDisplay();
    if (!desktop) Fail(0, "cannot open the display: the run is off-screen");
  }
  nphost::Browser browser(options, *module, log, desktop);
  return browser.Run(pages, script);
}

}  // namespace

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
