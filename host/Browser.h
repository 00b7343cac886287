// The browser: binds the module, lays each page out in a window of its own (a tab),
// gives each instance a child window and its file, plays the script, writes the
// screenshots, and tears everything down in the order a browser does.
//
// On the desktop the tabs are real windows: the script plays once they are shown, then
// the browser runs until the person has closed them all. A window resized by the
// person lays its page out again; a window closed destroys its instances, after its
// screenshot is written.
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
#include <platform/desktopperson.h>
#include <platform/desktopscreen.h>

#include <memory>
#include <string>
#include <vector>

namespace nphost {

class Browser {
 public:
  // Space around and between the embeds of a page.
  static constexpr int kPageMargin = 8;

  // desktop: the display is open (platform::desktop::OpenDisplay) and the windows go
  // there; otherwise the run is off-screen.
  Browser(const Options& options, const PluginModule& module, MessageLog& log, bool desktop);
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
    std::size_t number = 0;  // from 1
    HWND window = nullptr;
    bool singleImage = false;
    std::vector<Instance*> instances;  // in page order
  };

  // Run's body, with the person and the print listener installed.
  int Show(const std::vector<PageContent>& pages, const std::vector<ScriptLine>& script);
  bool Bind();
  bool OpenWindow(Tab& tab, const std::string& file);
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
  bool WriteScreenshot(const Tab& tab) const;
  // The window system's messages to a browser window: the person's new size and close box.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  Tab* TabOfWindow(HWND hwnd);
  // The page of a window whose size the person changed, laid out again.
  void Relayout(Tab& tab);
  // The person closed the window: the screenshot, then its instances go, then it does.
  void CloseTab(Tab& tab);
  void Teardown();
  void Report() const;

  int NumberOf(NPP npp) const;
  HWND WindowOf(NPP npp) const;

  const Options& m_options;
  const PluginModule& m_module;
  MessageLog& m_log;
  BrowserFunctions m_browserFuncs;
  ScriptedPerson m_person;
  std::unique_ptr<platform::DesktopPerson> m_desktopPerson;
  std::unique_ptr<platform::DesktopScreen> m_screen;
  bool m_fitting = false;  // FitWindow is sizing a window: not the person's size
  bool m_screenshotFailed = false;
  NPPluginFuncs m_pluginFuncs{};
  std::vector<Tab> m_tabs;
  std::vector<std::unique_ptr<Instance>> m_instances;  // numbered across the tabs
};

}  // namespace nphost
