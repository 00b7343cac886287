// The browser: binds the module, lays each page out in a window of its own (a tab),
// gives each instance a child window and its file, plays the script, writes the
// screenshots, and tears everything down in the order a browser does.
#pragma once

#include "host/BrowserFunctions.h"
#include "host/CommandLine.h"
#include "host/Instance.h"
#include "host/MessageLog.h"
#include "host/Page.h"
#include "host/PluginModule.h"
#include "host/Script.h"
#include "host/ScriptedPerson.h"

#include <npupp.h>

#include <memory>
#include <string>
#include <vector>

namespace nphost {

class Browser {
 public:
  // Space around and between the embeds of a page.
  static constexpr int kPageMargin = 8;

  Browser(const Options& options, const PluginModule& module, MessageLog& log);
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  // From NP_GetEntryPoints to NP_Shutdown. The exit status: 0 when the page was
  // shown, 1 when the module would not bind, 2 for a script line that cannot be
  // played or a screenshot that cannot be written.
  int Run(const std::vector<PageContent>& pages, const std::vector<ScriptLine>& script);

  // Where the screenshot of window number (from 1) goes: the first at path, the
  // others at path with -number before its extension.
  static std::string ScreenshotPath(const std::string& path, std::size_t number);

 private:
  // One browser window and the page it shows.
  struct Tab {
    HWND window = nullptr;
    bool singleImage = false;
    std::vector<Instance*> instances;  // in page order
  };

  // Run's body, with the person and the print listener installed.
  int Show(const std::vector<PageContent>& pages, const std::vector<ScriptLine>& script);
  bool Bind();
  bool OpenWindow(Tab& tab);
  void OpenInstances(Tab& tab, const PageContent& page);
  // The status for the script: 0, or 2 at the first line that cannot be played.
  int Play(const std::vector<ScriptLine>& script);
  void Act(Instance& instance, const ScriptAction& action);
  // Raw input at points of an instance's window, through the platform as a screen
  // delivers it; Hold lets time pass on the script's clock.
  void Input(HWND hwnd, const PointerInput& input);
  void Input(HWND hwnd, const DragInput& drag);
  void Input(HWND hwnd, const WheelInput& wheel);
  void Input(const KeyInput& key);
  void Input(const Hold& hold);
  // Dispatches what the window system has queued, paints included, as a browser's
  // message loop would between two events; bounded, so a window that never stops
  // asking to be painted cannot hold the script up for ever.
  void Pump();
  // Sizes the browser's window to hold every instance's window.
  void FitWindow(const Tab& tab);
  const Tab& TabOf(const Instance& instance) const;
  bool WriteScreenshots() const;
  void Teardown();
  void Report() const;

  int NumberOf(NPP npp) const;
  HWND WindowOf(NPP npp) const;

  const Options& m_options;
  const PluginModule& m_module;
  MessageLog& m_log;
  BrowserFunctions m_browserFuncs;
  ScriptedPerson m_person;
  NPPluginFuncs m_pluginFuncs{};
  std::vector<Tab> m_tabs;
  std::vector<std::unique_ptr<Instance>> m_instances;  // numbered across the tabs
};

}  // namespace nphost
