// The browser's run.
#include "host/Browser.h"

#include "host/InstanceWindow.h"
#include "host/Json.h"

#include <platform/faults.h>
#include <platform/input.h>
#include <platform/printer.h>
#include <platform/windows_system.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <variant>

namespace nphost {
namespace {

constexpr char kBrowserWindowClass[] = "nphost browser window";
constexpr int kMaxPumpedMessages = 10000;
constexpr int kDragSteps = 4;

// The script's clock: it stands still but for `hold`, so a script plays the same on
// any machine (two presses with no hold between them are a double click).
DWORD g_scriptTime = 0;
DWORD ScriptTime() { return g_scriptTime; }

// The script's clock times the input while the script plays.
class ScriptClock {
 public:
  ScriptClock() { platform::input::SetClock(ScriptTime); }
  ~ScriptClock() { platform::input::SetClock(nullptr); }
  ScriptClock(const ScriptClock&) = delete;
  ScriptClock& operator=(const ScriptClock&) = delete;
};

// A point of the window (outer rectangle) on the screen.
POINT OnScreen(HWND hwnd, int x, int y) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return {rect.left + x, rect.top + y};
}

void Note(const std::string& text) { std::fprintf(stderr, "nphost: %s\n", text.c_str()); }

// A script line that cannot be played where it stands (a missing instance).
struct PlayError {
  std::string message;
};

template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void RegisterClasses() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = kBrowserWindowClass;
  RegisterClassA(&windowClass);
  windowClass.lpfnWndProc = InstanceWindowProc;
  windowClass.lpszClassName = kPluginWindowClass;
  RegisterClassA(&windowClass);
}

void UnregisterClasses() {
  UnregisterClassA(kPluginWindowClass, nullptr);
  UnregisterClassA(kBrowserWindowClass, nullptr);
}

std::string PrintJobLine(const platform::PrintJobRecord& job) {
  JsonObject line;
  line.Add("print-job", JsonSystemText(job.documentName))
      .Add("pages", static_cast<long long>(job.pages.size()))
      .Add("output", JsonHostText(job.output));
  if (job.aborted) line.Add("aborted", "true");
  return line.Text();
}

}  // namespace

Browser::Browser(const Options& options, const PluginModule& module, MessageLog& log)
    : m_options(options),
      m_module(module),
      m_log(log),
      m_browserFuncs(log,
                     BrowserFunctions::Instances{[this](NPP npp) { return NumberOf(npp); },
                                                 [this](NPP npp) { return WindowOf(npp); }},
                     options.faults.failMemAlloc),
      m_person(log) {
  platform::faults::FailNthStartPage(options.faults.failStartPage);
}

Browser::~Browser() = default;

int Browser::NumberOf(NPP npp) const {
  for (const auto& instance : m_instances) {
    if (instance->Handle() == npp && instance->Alive()) return instance->Number();
  }
  return 0;
}

HWND Browser::WindowOf(NPP npp) const {
  for (const auto& instance : m_instances) {
    if (instance->Handle() == npp && instance->Alive()) return instance->Window();
  }
  return nullptr;
}

int Browser::Run(const std::vector<PageContent>& pages, const std::vector<ScriptLine>& script) {
  // The person and the print listener are the browser's from the module's first call
  // on, so whatever it asks during NP_Initialize is answered and logged too.
  platform::Person* previousPerson = platform::SetPerson(&m_person);
  platform::PrintJobListener previousListener = platform::SetPrintJobListener(
      [this](const platform::PrintJobRecord& job) { m_log.Write(PrintJobLine(job)); });
  const int status = Show(pages, script);
  platform::SetPrintJobListener(previousListener);
  platform::SetPerson(previousPerson);
  Report();
  return status;
}

int Browser::Show(const std::vector<PageContent>& pages, const std::vector<ScriptLine>& script) {
  if (!Bind()) return 1;
  int status = 2;
  RegisterClasses();
  m_tabs.resize(pages.size());
  bool opened = true;
  for (std::size_t i = 0; i < pages.size() && opened; ++i) {
    m_tabs[i].singleImage = pages[i].singleImage;
    opened = OpenWindow(m_tabs[i]);
    if (opened) OpenInstances(m_tabs[i], pages[i]);
  }
  if (opened) {
    status = Play(script);
    Pump();
    if (!m_options.screenshot.empty() && !WriteScreenshots()) status = 2;
  }
  Teardown();
  return status;
}

std::string Browser::ScreenshotPath(const std::string& path, std::size_t number) {
  if (number <= 1) return path;
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && dot != 0 && (slash == std::string::npos || dot > slash + 1);
  const std::size_t at = hasExtension ? dot : path.size();
  return path.substr(0, at) + "-" + std::to_string(number) + path.substr(at);
}

bool Browser::Bind() {
  m_pluginFuncs = NPPluginFuncs{};
  m_pluginFuncs.size = sizeof(NPPluginFuncs);
  NPError error = m_module.GetEntryPoints(&m_pluginFuncs);
  if (error != NPERR_NO_ERROR) {
    Note(m_module.Path() + ": NP_GetEntryPoints failed with " + std::to_string(error));
    return false;
  }
  error = m_module.Initialize(m_browserFuncs.Table());
  if (error != NPERR_NO_ERROR) {
    Note(m_module.Path() + ": NP_Initialize failed with " + std::to_string(error));
    return false;
  }
  return true;
}

bool Browser::OpenWindow(Tab& tab) {
  tab.window =
      CreateWindowExA(0, kBrowserWindowClass, "nphost", WS_POPUP | WS_VISIBLE, 0, 0,
                      m_options.width, m_options.height, nullptr, nullptr, nullptr, nullptr);
  if (tab.window == nullptr) {
    Note("cannot make the browser's window");
    return false;
  }
  return true;
}

void Browser::OpenInstances(Tab& tab, const PageContent& page) {
  // A single image fills the window; a page has its embeds one under the other.
  int y = tab.singleImage ? 0 : kPageMargin;
  const int x = tab.singleImage ? 0 : kPageMargin;
  for (const PageEntry& entry : page.entries) {
    if (y + entry.height > 32767) {
      Note("the page is full: the embeds from " + entry.path + " on are skipped");
      break;
    }
    const int number = static_cast<int>(m_instances.size()) + 1;
    m_instances.push_back(std::make_unique<Instance>(
        number, entry, page.singleImage && m_options.fullPage, POINT{x, y}));
    tab.instances.push_back(m_instances.back().get());
    y += entry.height + kPageMargin;
  }
  FitWindow(tab);
  // The page is painted before the plug-ins paint over it: the browser's window does
  // not clip its children, so a page painted later would cover them.
  Pump();
  for (Instance* instance : tab.instances) {
    if (instance->Open(tab.window, m_pluginFuncs)) {
      instance->DeliverFile(m_pluginFuncs, m_options.faults, m_browserFuncs);
    }
    Pump();
  }
}

void Browser::FitWindow(const Tab& tab) {
  int width = tab.singleImage ? 0 : 2 * kPageMargin;
  int height = width;
  for (const Instance* instance : tab.instances) {
    const SIZE size = instance->Size();
    const int margin = tab.singleImage ? 0 : kPageMargin;
    width = std::max<int>(width, instance->Position().x + size.cx + margin);
    height = std::max<int>(height, instance->Position().y + size.cy + margin);
  }
  RECT rect{};
  GetWindowRect(tab.window, &rect);
  if (rect.right - rect.left != width || rect.bottom - rect.top != height) {
    MoveWindow(tab.window, 0, 0, std::max(width, 1), std::max(height, 1), TRUE);
  }
}

const Browser::Tab& Browser::TabOf(const Instance& instance) const {
  for (const Tab& tab : m_tabs) {
    if (std::find(tab.instances.begin(), tab.instances.end(), &instance) != tab.instances.end())
      return tab;
  }
  return m_tabs.front();  // every instance is in a tab
}

int Browser::Play(const std::vector<ScriptLine>& script) {
  const ScriptClock clock;
  std::size_t current = 1;
  for (const ScriptLine& line : script) {
    try {
      std::visit(Overloaded{
                     [&](const SelectInstance& select) {
                       if (static_cast<std::size_t>(select.number) > m_instances.size()) {
                         throw PlayError{"no instance " + std::to_string(select.number) +
                                         " (the page has " + std::to_string(m_instances.size()) +
                                         ")"};
                       }
                       current = static_cast<std::size_t>(select.number);
                     },
                     [&](const MenuAnswer& answer) { m_person.Queue(answer); },
                     [&](const SaveAnswer& answer) { m_person.Queue(answer); },
                     [&](const PrinterAnswer& answer) { m_person.Queue(answer); },
                     [&](const auto& command) {
                       if (current > m_instances.size())
                         throw PlayError{"the page has no instance"};
                       Act(*m_instances[current - 1], ScriptAction{command});
                     },
                 },
                 line.action);
    } catch (const PlayError& error) {
      Note(ScriptError(line.number, error.message).what());
      return 2;
    }
    Pump();
  }
  return 0;
}

void Browser::Act(Instance& instance, const ScriptAction& action) {
  const HWND hwnd = instance.Window();
  std::visit(Overloaded{
                 [&](const ResizeWindow& resize) {
                   instance.Resize(resize.width, resize.height);
                   FitWindow(TabOf(instance));
                   instance.WindowChanged(m_pluginFuncs);
                 },
                 [&](const Scroll& scroll) {
                   SendMessageA(hwnd, scroll.vertical ? WM_VSCROLL : WM_HSCROLL,
                                MAKEWPARAM(scroll.code, scroll.position), 0);
                 },
                 [&](const Click& click) {
                   SendMessageA(hwnd, click.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
                                click.right ? MK_RBUTTON : MK_LBUTTON,
                                MAKELPARAM(click.x, click.y));
                 },
                 [&](const PointerInput& input) { Input(hwnd, input); },
                 [&](const DragInput& drag) { Input(hwnd, drag); },
                 [&](const WheelInput& wheel) { Input(hwnd, wheel); },
                 [&](const KeyInput& key) { Input(key); },
                 [&](const Hold& hold) { Input(hold); },
                 [&](const PaletteChanged& changed) {
                   const HWND changer = changed.self ? hwnd : TabOf(instance).window;
                   SendMessageA(hwnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(changer), 0);
                 },
                 [&](const Paint&) {
                   InvalidateRect(hwnd, nullptr, TRUE);
                   UpdateWindow(hwnd);
                 },
                 [&](const Print&) { instance.Print(m_pluginFuncs); },
                 [&](const WindowGone&) { instance.WindowGone(m_pluginFuncs); },
                 [&](const Destroy&) {
                   if (!instance.Alive())
                     Note("instance " + std::to_string(instance.Number()) + " is gone already");
                   instance.Destroy(m_pluginFuncs, m_browserFuncs);
                 },
                 [&](const auto&) {},
             },
             action);
}

void Browser::Input(HWND hwnd, const PointerInput& input) {
  const POINT at = OnScreen(hwnd, input.x, input.y);
  if (input.kind == PointerInput::Kind::kMove) {
    platform::input::PointerMove(at, input.modifiers);
  } else {
    platform::input::PointerButton(at, input.button, input.kind == PointerInput::Kind::kDown,
                                   input.modifiers);
  }
}

void Browser::Input(HWND hwnd, const DragInput& drag) {
  const POINT from = OnScreen(hwnd, drag.fromX, drag.fromY);
  const POINT to = OnScreen(hwnd, drag.toX, drag.toY);
  platform::input::PointerButton(from, platform::input::Button::kLeft, true, drag.modifiers);
  for (int step = 1; step <= kDragSteps; ++step) {
    Pump();
    const long long x = from.x + (static_cast<long long>(to.x) - from.x) * step / kDragSteps;
    const long long y = from.y + (static_cast<long long>(to.y) - from.y) * step / kDragSteps;
    platform::input::PointerMove({static_cast<LONG>(x), static_cast<LONG>(y)}, drag.modifiers);
  }
  Pump();
  platform::input::PointerButton(to, platform::input::Button::kLeft, false, drag.modifiers);
}

void Browser::Input(HWND hwnd, const WheelInput& wheel) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  const POINT at = wheel.atPoint
                       ? OnScreen(hwnd, wheel.x, wheel.y)
                       : POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const int delta = wheel.notches > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
  for (int i = 0; i < std::abs(wheel.notches); ++i) {
    if (i > 0) Pump();
    platform::input::Wheel(at, delta, wheel.modifiers);
  }
}

void Browser::Input(const KeyInput& key) {
  platform::input::Key(key.virtualKey, true, key.modifiers);
  Pump();
  platform::input::Key(key.virtualKey, false, key.modifiers);
}

void Browser::Input(const Hold& hold) {
  DWORD left = static_cast<DWORD>(hold.milliseconds);
  for (;;) {
    // At least a millisecond a step, so the time always runs out.
    const DWORD step = std::max<DWORD>(platform::input::RepeatDelay(), 1);
    if (step == INFINITE || step > left) break;
    left -= step;
    g_scriptTime += step;
    platform::input::Repeat();
    Pump();
  }
  g_scriptTime += left;
}

void Browser::Pump() {
  MSG msg;
  for (int i = 0; i < kMaxPumpedMessages; ++i) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) continue;  // the browser decides when it quits
    DispatchMessageA(&msg);
  }
  Note("the window messages did not settle; the script goes on");
}

bool Browser::WriteScreenshots() const {
  for (std::size_t i = 0; i < m_tabs.size(); ++i) {
    const Tab& tab = m_tabs[i];
    std::unique_ptr<platform::Surface> shot;
    if (tab.singleImage && !tab.instances.empty() && tab.instances[0]->Window() != nullptr) {
      shot = platform::CaptureWindow(tab.instances[0]->Window());
    } else {
      shot = platform::CaptureWindow(tab.window);
    }
    const std::string path = ScreenshotPath(m_options.screenshot, i + 1);
    if (shot == nullptr || !shot->WritePng(path)) {
      Note("cannot write the screenshot " + path);
      return false;
    }
  }
  return true;
}

void Browser::Teardown() {
  for (const auto& instance : m_instances) instance->Destroy(m_pluginFuncs, m_browserFuncs);
  for (const auto& instance : m_instances) instance->CloseWindow();
  for (Tab& tab : m_tabs) {
    if (tab.window != nullptr) DestroyWindow(tab.window);
    tab.window = nullptr;
  }
  UnregisterClasses();
  const NPError error = m_module.Shutdown();
  if (error != NPERR_NO_ERROR)
    Note(m_module.Path() + ": NP_Shutdown failed with " + std::to_string(error));
}

void Browser::Report() const {
  if (m_browserFuncs.LiveBlocks() != 0) {
    Note(std::to_string(m_browserFuncs.LiveBlocks()) +
         " block(s) from NPN_MemAlloc were not freed by the plug-in");
  }
  if (m_person.UnusedAnswers() != 0) {
    Note(std::to_string(m_person.UnusedAnswers()) + " queued answer(s) were never asked for");
  }
}

}  // namespace nphost
