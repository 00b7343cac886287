// One <embed> or <object> on the page as the browser keeps it: the window made for it
// (a top-level window of the element's size, shown in the element's <canvas>), its NPP
// handle, the NPWindow it was given and its one stream. The page's script drives the
// stream in a browser's order; the plug-in's answers are checked, never trusted.
#pragma once

#include <npupp.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace webhost {

inline constexpr char kInstanceWindowClass[] = "web plug-in window";

class WebInstance {
 public:
  // argn/argv: the element's attributes.
  WebInstance(std::string mimeType, bool fullPage, std::vector<std::string> argn,
              std::vector<std::string> argv);
  WebInstance(const WebInstance&) = delete;
  WebInstance& operator=(const WebInstance&) = delete;

  HWND Window() const { return m_hwnd; }
  bool Alive() const { return m_alive; }

  // The window at its place on the screen, NPP_New and NPP_SetWindow; false when
  // the window cannot be made or NPP_New fails.
  bool Open(const NPPluginFuncs& funcs, POINT place, int width, int height);
  // NPP_NewStream: the stream type the plug-in asked for, or -1 when it refused the
  // stream or asked for one the browser does not give (the stream is then ended).
  int NewStream(const NPPluginFuncs& funcs, const char* url, uint32_t size);
  // NPP_WriteReady then NPP_Write of what it allows of the block; the bytes taken,
  // or -1 when the plug-in ended the stream.
  int32_t Write(const NPPluginFuncs& funcs, int32_t offset, int32_t length, void* buffer);
  void StreamAsFile(const NPPluginFuncs& funcs, const char* path);
  void DestroyStream(const NPPluginFuncs& funcs, NPReason reason);

  void Resize(const NPPluginFuncs& funcs, int width, int height);
  void Destroy(const NPPluginFuncs& funcs);

  // The window's pixels as RGBA bytes (what a canvas's ImageData holds).
  const std::vector<std::uint8_t>& Capture();
  int CaptureWidth() const { return m_captureWidth; }
  int CaptureHeight() const { return m_captureHeight; }

 private:
  void SetWindow(const NPPluginFuncs& funcs);

  std::string m_mimeType;  // NPP_New and NPP_NewStream take it writable
  bool m_fullPage;
  std::vector<std::string> m_argStrings;
  std::vector<char*> m_argn;
  std::vector<char*> m_argv;
  HWND m_hwnd = nullptr;
  POINT m_place{};
  NPP_t m_npp{};
  NPWindow m_npWindow{};
  NPStream m_stream{};
  std::string m_url;
  bool m_streamOpen = false;
  bool m_alive = false;
  std::vector<std::uint8_t> m_pixels;
  int m_captureWidth = 0;
  int m_captureHeight = 0;
};

}  // namespace webhost
