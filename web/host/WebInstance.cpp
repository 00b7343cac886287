#include "web/host/WebInstance.h"

#include <platform/windows_system.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace webhost {
namespace {

uint16_t ClipSide(LONG side) { return static_cast<uint16_t>(std::clamp<LONG>(side, 0, 0xFFFF)); }

}  // namespace

WebInstance::WebInstance(std::string mimeType, bool fullPage, std::vector<std::string> argn,
                         std::vector<std::string> argv)
    : m_mimeType(std::move(mimeType)), m_fullPage(fullPage) {
  m_npp.ndata = this;
  const std::size_t count = std::min(argn.size(), argv.size());
  m_argStrings.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) m_argStrings.push_back(std::move(argn[i]));
  for (std::size_t i = 0; i < count; ++i) m_argStrings.push_back(std::move(argv[i]));
  for (std::size_t i = 0; i < count; ++i) {
    m_argn.push_back(m_argStrings[i].data());
    m_argv.push_back(m_argStrings[count + i].data());
  }
}

bool WebInstance::Open(const NPPluginFuncs& funcs, POINT place, int width, int height) {
  m_place = place;
  m_hwnd = CreateWindowExA(0, kInstanceWindowClass, "", WS_POPUP | WS_VISIBLE, place.x, place.y,
                           width, height, nullptr, nullptr, nullptr, nullptr);
  if (m_hwnd == nullptr || funcs.newp == nullptr) return false;
  NPError error =
      funcs.newp(m_mimeType.data(), &m_npp, m_fullPage ? NP_FULL : NP_EMBED,
                 static_cast<int16_t>(m_argn.size()), m_argn.data(), m_argv.data(), nullptr);
  if (error != NPERR_NO_ERROR) return false;
  m_alive = true;
  SetWindow(funcs);
  return true;
}

void WebInstance::SetWindow(const NPPluginFuncs& funcs) {
  if (funcs.setwindow == nullptr) return;
  RECT rect{};
  GetWindowRect(m_hwnd, &rect);
  m_npWindow.window = m_hwnd;
  m_npWindow.x = m_place.x;
  m_npWindow.y = m_place.y;
  m_npWindow.width = static_cast<uint32_t>(rect.right - rect.left);
  m_npWindow.height = static_cast<uint32_t>(rect.bottom - rect.top);
  m_npWindow.clipRect =
      NPRect{0, 0, ClipSide(rect.bottom - rect.top), ClipSide(rect.right - rect.left)};
  m_npWindow.type = NPWindowTypeWindow;
  funcs.setwindow(&m_npp, &m_npWindow);
}

int WebInstance::NewStream(const NPPluginFuncs& funcs, const char* url, uint32_t size) {
  if (!m_alive || m_streamOpen || funcs.newstream == nullptr) return -1;
  m_url = url;
  m_stream = NPStream{};
  m_stream.ndata = this;
  m_stream.url = m_url.c_str();
  m_stream.end = size;
  uint16_t type = NP_NORMAL;
  if (funcs.newstream(&m_npp, m_mimeType.data(), &m_stream, false, &type) != NPERR_NO_ERROR) {
    return -1;
  }
  m_streamOpen = true;
  // The page delivers files only: other kinds of stream are ended at once.
  if (type != NP_ASFILE && type != NP_ASFILEONLY) {
    DestroyStream(funcs, NPRES_USER_BREAK);
    return -1;
  }
  return type;
}

int32_t WebInstance::Write(const NPPluginFuncs& funcs, int32_t offset, int32_t length,
                           void* buffer) {
  if (!m_streamOpen || funcs.write == nullptr) return -1;
  int32_t ready = funcs.writeready != nullptr ? funcs.writeready(&m_npp, &m_stream) : length;
  if (ready <= 0) return 0;
  int32_t taken = funcs.write(&m_npp, &m_stream, offset, std::min(ready, length), buffer);
  return taken < 0 ? -1 : std::min(taken, std::min(ready, length));
}

void WebInstance::StreamAsFile(const NPPluginFuncs& funcs, const char* path) {
  if (m_streamOpen && funcs.asfile != nullptr) funcs.asfile(&m_npp, &m_stream, path);
}

void WebInstance::DestroyStream(const NPPluginFuncs& funcs, NPReason reason) {
  if (!m_streamOpen) return;
  m_streamOpen = false;
  if (funcs.destroystream != nullptr) funcs.destroystream(&m_npp, &m_stream, reason);
}

void WebInstance::Resize(const NPPluginFuncs& funcs, int width, int height) {
  if (m_hwnd == nullptr) return;
  MoveWindow(m_hwnd, m_place.x, m_place.y, width, height, TRUE);
  if (m_alive) SetWindow(funcs);
}

void WebInstance::Destroy(const NPPluginFuncs& funcs) {
  if (m_alive) {
    DestroyStream(funcs, NPRES_USER_BREAK);
    m_alive = false;
    NPSavedData* saved = nullptr;
    if (funcs.destroy != nullptr) funcs.destroy(&m_npp, &saved);
    // Saved data comes from NPN_MemAlloc (malloc) and is the browser's to free; a
    // page keeps none.
    if (saved != nullptr) {
      std::free(saved->buf);
      std::free(saved);
    }
  }
  if (m_hwnd != nullptr) DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

const std::vector<std::uint8_t>& WebInstance::Capture() {
  std::unique_ptr<platform::Surface> shot =
      m_hwnd != nullptr ? platform::CaptureWindow(m_hwnd) : nullptr;
  m_captureWidth = shot != nullptr ? shot->Width() : 0;
  m_captureHeight = shot != nullptr ? shot->Height() : 0;
  m_pixels.resize(static_cast<std::size_t>(m_captureWidth) * m_captureHeight * 4);
  std::uint8_t* out = m_pixels.data();
  for (int y = 0; y < m_captureHeight; ++y) {
    const std::uint32_t* row = shot->Row(y);
    for (int x = 0; x < m_captureWidth; ++x, out += 4) {
      out[0] = static_cast<std::uint8_t>(row[x] >> 16);
      out[1] = static_cast<std::uint8_t>(row[x] >> 8);
      out[2] = static_cast<std::uint8_t>(row[x]);
      out[3] = 0xFF;
    }
  }
  return m_pixels;
}

}  // namespace webhost
