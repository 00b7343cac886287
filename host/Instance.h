// One plug-in instance as the browser keeps it: its place on the page, the child
// window the browser made for it, its NPP handle, the NPWindow it was given, and
// the one stream that delivers its file.
#pragma once

#include "host/BrowserFunctions.h"
#include "host/CommandLine.h"

#include <npupp.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace nphost {

// The class of the child windows the browser makes for its instances.
inline constexpr char kPluginWindowClass[] = "nphost plug-in window";

struct PageEntry {
  std::string path;      // the file, as a local path
  std::string mimeType;  // a type the module registers
  int width = 0;
  int height = 0;
  // The embed's attributes, given to NPP_New as argn/argv.
  std::vector<std::pair<std::string, std::string>> arguments;
};

class Instance {
 public:
  Instance(int number, PageEntry entry, bool fullPage, POINT position);
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  int Number() const { return m_number; }
  NPP Handle() { return &m_npp; }
  HWND Window() const { return m_hwnd; }
  POINT Position() const { return m_position; }
  // The window's outer size.
  SIZE Size() const;
  // NPP_New succeeded and NPP_Destroy has not run.
  bool Alive() const { return m_alive; }

  // Creates the child window of parent, then NPP_New and NPP_SetWindow. False when
  // the window cannot be made or NPP_New fails (a note says why).
  bool Open(HWND parent, const NPPluginFuncs& funcs);
  // Streams the file as a file: NPP_NewStream, the NPP_Write blocks, NPP_StreamAsFile
  // and NPP_DestroyStream.
  void DeliverFile(const NPPluginFuncs& funcs, const Faults& faults, BrowserFunctions& browser);

  // Gives the window its new size; WindowChanged then tells the plug-in (when it
  // still has the window).
  void Resize(int width, int height);
  void WindowChanged(const NPPluginFuncs& funcs);
  void WindowGone(const NPPluginFuncs& funcs);
  void Print(const NPPluginFuncs& funcs);
  // NPP_Destroy, freeing the saved data the plug-in hands back; nothing once done.
  void Destroy(const NPPluginFuncs& funcs, BrowserFunctions& browser);
  // Destroys the child window (after NPP_Destroy).
  void CloseWindow();

 private:
  enum class Delivery { Done, Failed, InstanceDestroyed };

  void SetWindow(const NPPluginFuncs& funcs);
  Delivery WriteBlocks(const NPPluginFuncs& funcs, NPStream& stream, const Faults& faults,
                       BrowserFunctions& browser);
  void Note(const std::string& text) const;

  int m_number;
  PageEntry m_entry;
  bool m_fullPage;
  POINT m_position;
  HWND m_hwnd = nullptr;
  NPP_t m_npp{};
  NPWindow m_npWindow{};
  bool m_alive = false;
  bool m_windowGiven = false;
  std::string m_mimeType;  // NPP_New and NPP_NewStream take it writable
  std::vector<std::string> m_argStrings;
  std::vector<char*> m_argn;
  std::vector<char*> m_argv;
};

}  // namespace nphost
