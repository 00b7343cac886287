// An instance's life: its window, NPP_New, the stream, the browser's requests and
// NPP_Destroy. The plug-in's answers are checked, never trusted: a stream type it
// cannot be given is refused, block sizes are held to what NPP_WriteReady allows,
// and a plug-in that keeps taking nothing is given up on instead of waited for.
#include "host/Instance.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace nphost {
namespace {

// The largest block offered in one NPP_Write.
constexpr int32_t kMaxBlock = 65536;
// NPP_WriteReady or NPP_Write answering 0 this many times in a row ends the stream.
constexpr int kMaxStalls = 1000;

uint16_t ClipSide(int side) { return static_cast<uint16_t>(std::clamp(side, 0, 0xFFFF)); }

}  // namespace

Instance::Instance(int number, PageEntry entry, bool fullPage, POINT position)
    : m_number(number), m_entry(std::move(entry)), m_fullPage(fullPage), m_position(position) {
  m_npp.ndata = this;
  m_mimeType = m_entry.mimeType;
  m_argStrings.reserve(2 * m_entry.arguments.size());
  for (const auto& [name, value] : m_entry.arguments) m_argStrings.push_back(name);
  for (const auto& [name, value] : m_entry.arguments) m_argStrings.push_back(value);
  const std::size_t count = m_entry.arguments.size();
  for (std::size_t i = 0; i < count; ++i) {
    m_argn.push_back(m_argStrings[i].data());
    m_argv.push_back(m_argStrings[count + i].data());
  }
}

SIZE Instance::Size() const {
  RECT rect{};
  if (m_hwnd != nullptr && GetWindowRect(m_hwnd, &rect)) {
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }
  return SIZE{m_entry.width, m_entry.height};
}

void Instance::Note(const std::string& text) const {
  std::fprintf(stderr, "nphost: instance %d: %s\n", m_number, text.c_str());
}

bool Instance::Open(HWND parent, const NPPluginFuncs& funcs) {
  m_hwnd =
      CreateWindowExA(0, kPluginWindowClass, "", WS_CHILD | WS_VISIBLE, m_position.x, m_position.y,
                      m_entry.width, m_entry.height, parent,
                      reinterpret_cast<HMENU>(static_cast<intptr_t>(m_number)), nullptr, nullptr);
  if (m_hwnd == nullptr) {
    Note("cannot make its window");
    return false;
  }
  if (funcs.newp == nullptr) {
    Note("the plug-in has no NPP_New");
    return false;
  }
  const NPError error =
      funcs.newp(m_mimeType.data(), &m_npp, m_fullPage ? NP_FULL : NP_EMBED,
                 static_cast<int16_t>(m_argn.size()), m_argn.data(), m_argv.data(), nullptr);
  if (error != NPERR_NO_ERROR) {
    Note("NPP_New failed with " + std::to_string(error));
    return false;
  }
  m_alive = true;
  m_windowGiven = true;
  SetWindow(funcs);
  return true;
}

void Instance::SetWindow(const NPPluginFuncs& funcs) {
  if (funcs.setwindow == nullptr) return;
  const SIZE size = Size();
  m_npWindow.window = m_windowGiven ? m_hwnd : nullptr;
  m_npWindow.x = m_position.x;
  m_npWindow.y = m_position.y;
  m_npWindow.width = static_cast<uint32_t>(size.cx);
  m_npWindow.height = static_cast<uint32_t>(size.cy);
  m_npWindow.clipRect = NPRect{0, 0, ClipSide(size.cy), ClipSide(size.cx)};
  m_npWindow.type = NPWindowTypeWindow;
  const NPError error = funcs.setwindow(&m_npp, &m_npWindow);
  if (error != NPERR_NO_ERROR) Note("NPP_SetWindow failed with " + std::to_string(error));
}

void Instance::DeliverFile(const NPPluginFuncs& funcs, const Faults& faults,
                           BrowserFunctions& browser) {
  if (!m_alive) return;
  struct stat info {};
  if (stat(m_entry.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    Note("cannot open " + m_entry.path + ": the file is not delivered");
    return;
  }
  if (info.st_size > INT32_MAX) {
    Note(m_entry.path + " is too large to stream");
    return;
  }
  if (funcs.newstream == nullptr) {
    Note("the plug-in has no NPP_NewStream");
    return;
  }
  const std::string url = "file://" + std::filesystem::absolute(m_entry.path).string();
  NPStream stream{};
  stream.ndata = this;
  stream.url = url.c_str();
  stream.end = static_cast<uint32_t>(info.st_size);
  stream.lastmodified = static_cast<uint32_t>(info.st_mtime);

  uint16_t type = NP_NORMAL;
  const NPError error = funcs.newstream(&m_npp, m_mimeType.data(), &stream, false, &type);
  if (error != NPERR_NO_ERROR) {
    Note("NPP_NewStream failed with " + std::to_string(error) + ": the file is not delivered");
    return;
  }
  const auto destroyStream = [&](NPReason reason) {
    if (funcs.destroystream != nullptr) funcs.destroystream(&m_npp, &stream, reason);
  };
  if (type != NP_ASFILE && type != NP_ASFILEONLY) {
    Note("NPP_NewStream asked for stream type " + std::to_string(type) +
         "; only NP_ASFILE and NP_ASFILEONLY are given: the stream is skipped");
    destroyStream(NPRES_USER_BREAK);
    return;
  }
  if (type == NP_ASFILE) {
    const Delivery delivery = WriteBlocks(funcs, stream, faults, browser);
    if (delivery == Delivery::InstanceDestroyed) return;
    if (delivery == Delivery::Failed) {
      destroyStream(NPRES_NETWORK_ERR);
      return;
    }
  }
  const std::string path = std::filesystem::absolute(m_entry.path).string();
  if (funcs.asfile != nullptr) funcs.asfile(&m_npp, &stream, path.c_str());
  destroyStream(NPRES_DONE);
}

Instance::Delivery Instance::WriteBlocks(const NPPluginFuncs& funcs, NPStream& stream,
                                         const Faults& faults, BrowserFunctions& browser) {
  if (funcs.write == nullptr) return Delivery::Done;
  std::ifstream file(m_entry.path, std::ios::binary);
  if (!file) {
    Note("cannot read " + m_entry.path);
    return Delivery::Failed;
  }
  std::vector<char> block(kMaxBlock);
  int32_t offset = 0;
  const auto size = static_cast<int32_t>(stream.end);
  int stalls = 0;
  bool wrote = false;
  while (offset < size) {
    int32_t ready = funcs.writeready != nullptr ? funcs.writeready(&m_npp, &stream) : kMaxBlock;
    if (ready <= 0) {
      if (++stalls == kMaxStalls) {
        Note("NPP_WriteReady kept answering " + std::to_string(ready) + ": the stream is ended");
        return Delivery::Failed;
      }
      continue;
    }
    const int32_t length = faults.bytewise ? 1 : std::min({ready, size - offset, kMaxBlock});
    file.seekg(offset);
    if (!file.read(block.data(), length)) {
      Note("cannot read " + m_entry.path);
      return Delivery::Failed;
    }
    const int32_t taken = funcs.write(&m_npp, &stream, offset, length, block.data());
    if (taken < 0) {
      Note("NPP_Write answered " + std::to_string(taken) + ": the stream is ended");
      return Delivery::Failed;
    }
    if (taken == 0) {
      if (++stalls == kMaxStalls) {
        Note("NPP_Write kept taking nothing: the stream is ended");
        return Delivery::Failed;
      }
      continue;
    }
    stalls = 0;
    // A plug-in that claims more than it was given took the block.
    offset += std::min(taken, length);
    if (!wrote && faults.destroyMidStream == m_number) {
      if (funcs.destroystream != nullptr) funcs.destroystream(&m_npp, &stream, NPRES_USER_BREAK);
      Destroy(funcs, browser);
      return Delivery::InstanceDestroyed;
    }
    wrote = true;
  }
  return Delivery::Done;
}

void Instance::Resize(int width, int height) {
  if (m_hwnd != nullptr) MoveWindow(m_hwnd, m_position.x, m_position.y, width, height, TRUE);
}

void Instance::WindowChanged(const NPPluginFuncs& funcs) {
  if (m_alive && m_windowGiven) SetWindow(funcs);
}

void Instance::WindowGone(const NPPluginFuncs& funcs) {
  if (!m_alive) {
    Note("is gone: window-gone skipped");
    return;
  }
  m_windowGiven = false;
  SetWindow(funcs);
}

void Instance::Print(const NPPluginFuncs& funcs) {
  if (!m_alive) {
    Note("is gone: print skipped");
    return;
  }
  if (funcs.print == nullptr) return;
  // The browser has no printer of its own to offer: an embedded instance gets its
  // place on the page but no device context, and prints through its own dialog.
  NPPrint print{};
  print.mode = m_fullPage ? NP_FULL : NP_EMBED;
  if (m_fullPage) {
    print.print.fullPrint = NPFullPrint{false, false, nullptr};
  } else {
    print.print.embedPrint.window = m_npWindow;
    print.print.embedPrint.window.window = nullptr;
    print.print.embedPrint.platformPrint = nullptr;
  }
  funcs.print(&m_npp, &print);
}

void Instance::Destroy(const NPPluginFuncs& funcs, BrowserFunctions& browser) {
  if (!m_alive) return;
  m_alive = false;
  NPSavedData* saved = nullptr;
  if (funcs.destroy != nullptr) {
    const NPError error = funcs.destroy(&m_npp, &saved);
    if (error != NPERR_NO_ERROR) Note("NPP_Destroy failed with " + std::to_string(error));
  }
  // Saved data is the browser's to free, record and block both; a record the
  // browser did not allocate is not read.
  if (saved != nullptr && browser.Owns(saved)) {
    browser.Free(saved->buf);
    browser.Free(saved);
  } else if (saved != nullptr) {
    Note("NPP_Destroy handed back saved data NPN_MemAlloc did not give: ignored");
  }
}

void Instance::CloseWindow() {
  if (m_hwnd != nullptr) DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

}  // namespace nphost
