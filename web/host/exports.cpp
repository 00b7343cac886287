// The functions the page's script (web/zelvw.js) calls: the browser's side of the
// plug-in interface, one module load per page. Calls that reach the plug-in may wait
// for the person (a message box), so the script calls them asynchronously and one at
// a time.
#include <emscripten.h>
#include <platform/input.h>
#include <platform/person.h>
#include <platform/screen.h>
#include <windows.h>
#include <zirn.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/InstanceWindow.h"
#include "web/host/LinkedModules.h"
#include "web/host/WebInstance.h"
#include "web/host/WebPerson.h"
#include "web/host/WebPlugin.h"

namespace {

// Each instance's window has a place of its own on a large screen, so the window under
// a point is always the one the page's pointer is over.
constexpr int kScreenSide = 32768;
constexpr int kSlotSide = 4096;
constexpr int kSlotsPerRow = kScreenSide / kSlotSide;
// Window messages handled after each call at most, so a plug-in that keeps posting
// cannot hang the page.
constexpr int kMaxPumpedMessages = 10000;

std::unique_ptr<webhost::WebPlugin> g_plugin;
webhost::WebPerson g_person;
std::map<int, std::unique_ptr<webhost::WebInstance>> g_instances;
int g_nextId = 1;
std::string g_startError;

webhost::WebInstance* InstanceOf(int id) {
  auto it = g_instances.find(id);
  return it != g_instances.end() ? it->second.get() : nullptr;
}

void Pump() {
  MSG msg;
  for (int i = 0; i < kMaxPumpedMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message != WM_QUIT) DispatchMessageA(&msg);
  }
}

POINT SlotOf(int id) {
  int slot = (id - 1) % (kSlotsPerRow * kSlotsPerRow);
  return POINT{(slot % kSlotsPerRow) * kSlotSide, (slot / kSlotsPerRow) * kSlotSide};
}

bool Start() {
  WNDCLASSA windowClass{};
  // What the browser does in an instance's window: the wheel as line scrolls.
  windowClass.lpfnWndProc = nphost::InstanceWindowProc;
  windowClass.lpszClassName = webhost::kInstanceWindowClass;
  if (RegisterClassA(&windowClass) == 0 || !platform::SetScreen(kScreenSide, kScreenSide, 24)) {
    g_startError = "cannot set up the window system (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  if (!webhost::RegisterModules()) {
    g_startError = "cannot write the modules' files";
    return false;
  }
  platform::SetPerson(&g_person);
  g_plugin = std::make_unique<webhost::WebPlugin>();
  if (!g_plugin->Ready()) g_startError = g_plugin->Error();
  return g_plugin->Ready();
}

}  // namespace

extern "C" {

// The plug-in's registration record as JSON, or {"error": ...} when it cannot load.
EMSCRIPTEN_KEEPALIVE const char* zelvw_start() {
  static std::string answer;
  answer = Start() ? g_plugin->RecordJson() : "{\"error\":\"" + g_startError + "\"}";
  return answer.c_str();
}

// A new instance of the element's size: its id, or 0 when NPP_New failed.
EMSCRIPTEN_KEEPALIVE int zelvw_new(const char* mimeType, int fullPage, int argc,
                                   const char* const* argn, const char* const* argv, int width,
                                   int height) {
  if (g_plugin == nullptr || !g_plugin->Ready()) return 0;
  std::vector<std::string> names(argn, argn + (argc > 0 ? argc : 0));
  std::vector<std::string> values(argv, argv + (argc > 0 ? argc : 0));
  int id = g_nextId++;
  auto instance = std::make_unique<webhost::WebInstance>(mimeType, fullPage != 0, std::move(names),
                                                         std::move(values));
  webhost::WebInstance* opened = instance.get();
  g_instances[id] = std::move(instance);
  bool ok = opened->Open(g_plugin->Funcs(), SlotOf(id), width, height);
  Pump();
  if (ok) return id;
  opened->Destroy(g_plugin->Funcs());
  g_instances.erase(id);
  return 0;
}

EMSCRIPTEN_KEEPALIVE int zelvw_new_stream(int id, const char* url, uint32_t size) {
  webhost::WebInstance* instance = InstanceOf(id);
  return instance != nullptr ? instance->NewStream(g_plugin->Funcs(), url, size) : -1;
}

EMSCRIPTEN_KEEPALIVE int32_t zelvw_write(int id, int32_t offset, int32_t length, void* buffer) {
  webhost::WebInstance* instance = InstanceOf(id);
  return instance != nullptr ? instance->Write(g_plugin->Funcs(), offset, length, buffer) : -1;
}

EMSCRIPTEN_KEEPALIVE void zelvw_stream_as_file(int id, const char* path) {
  if (webhost::WebInstance* instance = InstanceOf(id)) {
    instance->StreamAsFile(g_plugin->Funcs(), path);
    Pump();
  }
}

EMSCRIPTEN_KEEPALIVE void zelvw_destroy_stream(int id, int reason) {
  if (webhost::WebInstance* instance = InstanceOf(id)) {
    instance->DestroyStream(g_plugin->Funcs(), static_cast<NPReason>(reason));
    Pump();
  }
}

EMSCRIPTEN_KEEPALIVE void zelvw_resize(int id, int width, int height) {
  if (webhost::WebInstance* instance = InstanceOf(id)) {
    instance->Resize(g_plugin->Funcs(), width, height);
    Pump();
  }
}

EMSCRIPTEN_KEEPALIVE void zelvw_destroy(int id) {
  if (webhost::WebInstance* instance = InstanceOf(id)) {
    instance->Destroy(g_plugin->Funcs());
    g_instances.erase(id);
    Pump();
  }
}

// The instance's window as RGBA pixels, valid until the next call; the size follows
// from zelvw_capture_width and zelvw_capture_height.
EMSCRIPTEN_KEEPALIVE const uint8_t* zelvw_capture(int id) {
  webhost::WebInstance* instance = InstanceOf(id);
  return instance != nullptr ? instance->Capture().data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int zelvw_capture_width(int id) {
  webhost::WebInstance* instance = InstanceOf(id);
  return instance != nullptr ? instance->CaptureWidth() : 0;
}

EMSCRIPTEN_KEEPALIVE int zelvw_capture_height(int id) {
  webhost::WebInstance* instance = InstanceOf(id);
  return instance != nullptr ? instance->CaptureHeight() : 0;
}

// Where the instance's window is on the screen, for turning page points into screen ones.
EMSCRIPTEN_KEEPALIVE int zelvw_window_x(int id) { return SlotOf(id).x; }
EMSCRIPTEN_KEEPALIVE int zelvw_window_y(int id) { return SlotOf(id).y; }

// Raw input at a point of the instance's window (device pixels from its corner). Each
// may open a modal loop (a menu, a dialog) that waits for the person.
EMSCRIPTEN_KEEPALIVE void zelvw_pointer_move(int id, int x, int y, unsigned modifiers) {
  POINT slot = SlotOf(id);
  platform::input::PointerMove({slot.x + x, slot.y + y}, modifiers);
  Pump();
}

EMSCRIPTEN_KEEPALIVE void zelvw_pointer_button(int id, int x, int y, int button, int down,
                                               unsigned modifiers) {
  static constexpr platform::input::Button kButtons[] = {
      platform::input::Button::kLeft, platform::input::Button::kMiddle,
      platform::input::Button::kRight};  // the order of the DOM's button numbers
  if (button < 0 || button > 2) return;
  POINT slot = SlotOf(id);
  platform::input::PointerButton({slot.x + x, slot.y + y}, kButtons[button], down != 0, modifiers);
  Pump();
}

EMSCRIPTEN_KEEPALIVE void zelvw_wheel(int id, int x, int y, int delta, unsigned modifiers) {
  POINT slot = SlotOf(id);
  platform::input::Wheel({slot.x + x, slot.y + y}, delta, modifiers);
  Pump();
}

EMSCRIPTEN_KEEPALIVE void zelvw_key(unsigned virtualKey, int down, unsigned modifiers) {
  platform::input::Key(virtualKey, down != 0, modifiers);
  Pump();
}

// Auto-repeat of a held scroll-bar arrow or track: milliseconds until the next, or -1.
EMSCRIPTEN_KEEPALIVE int zelvw_repeat_delay() {
  DWORD delay = platform::input::RepeatDelay();
  return delay == INFINITE ? -1 : static_cast<int>(delay);
}

EMSCRIPTEN_KEEPALIVE void zelvw_repeat() {
  platform::input::Repeat();
  Pump();
}

// The chooser's page: the engine's display profiles and the one chosen, as JSON
// {"current": name, "profiles": [names]}, names as Latin-1 text.
EMSCRIPTEN_KEEPALIVE const char* zelvw_display_profiles() {
  static std::string answer;
  auto quoted = [](const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
      auto c = static_cast<unsigned char>(*p);
      if (c == '"' || c == '\\') out += '\\';
      if (c >= 0x20) out += static_cast<char>(c);
    }
    return out + "\"";
  };
  char* current = nullptr;
  answer = "{\"current\":";
  answer +=
      quoted(ZIRN_GetMonitorProfile(&current) == ZIRN_OK && current != nullptr ? current : "");
  answer += ",\"profiles\":[";
  int32_t cursor1 = 0;
  int32_t cursor2 = 0;
  char name[MAX_PATH] = {};
  for (int n = 0;
       enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, MAX_PATH) > 0; ++n) {
    answer += (n != 0 ? "," : "") + quoted(name);
  }
  answer += "]}";
  return answer.c_str();
}

// Stores the chosen display profile; the engine's status.
EMSCRIPTEN_KEEPALIVE int zelvw_choose_display_profile(const char* name) {
  return ZIRN_SetMonitorProfile(name);
}

}  // extern "C"
