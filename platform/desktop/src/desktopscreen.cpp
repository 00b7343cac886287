// The desktop screen. The platform draws into its own pixels and says nothing when it
// does, so the screen looks: after every input it delivers and on a short timer it
// dispatches the queued messages (paints included) and copies each top-level window
// (CaptureWindow), and only a copy that differs from the last is handed to the display.
// The toolkit's handlers do only that (Tick); they never run the toolkit's loop again
// inside themselves, so a quick pointer cannot stack handlers up.
#include <platform/desktopscreen.h>
#include <platform/input.h>
#include <platform/windows_system.h>

#include "text.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace platform {
namespace {

constexpr unsigned kTickMilliseconds = 40;
// Messages dispatched in one go, so a window that keeps posting cannot hold the display.
constexpr int kMaxPumpedMessages = 10000;

std::string TitleOf(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return desktop::Utf8FromWindows(text);
}

bool Visible(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

SIZE SizeOf(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

UINT Modifiers(guint state) {
  return ((state & GDK_SHIFT_MASK) != 0 ? MK_SHIFT : 0) |
         ((state & GDK_CONTROL_MASK) != 0 ? MK_CONTROL : 0);
}

// The virtual key of a key of the keyboard; 0 for one the system has no use for.
UINT VirtualKey(guint keyval) {
  static const std::pair<guint, UINT> kKeys[] = {
      {GDK_KEY_BackSpace, VK_BACK},  {GDK_KEY_Tab, VK_TAB},        {GDK_KEY_Return, VK_RETURN},
      {GDK_KEY_KP_Enter, VK_RETURN}, {GDK_KEY_Escape, VK_ESCAPE},  {GDK_KEY_space, VK_SPACE},
      {GDK_KEY_Page_Up, VK_PRIOR},   {GDK_KEY_Page_Down, VK_NEXT}, {GDK_KEY_End, VK_END},
      {GDK_KEY_Home, VK_HOME},       {GDK_KEY_Left, VK_LEFT},      {GDK_KEY_Up, VK_UP},
      {GDK_KEY_Right, VK_RIGHT},     {GDK_KEY_Down, VK_DOWN},      {GDK_KEY_Delete, VK_DELETE},
      {GDK_KEY_Shift_L, 0x10},       {GDK_KEY_Shift_R, 0x10},      {GDK_KEY_Control_L, 0x11},
      {GDK_KEY_Control_R, 0x11},
  };
  for (const auto& [key, virtualKey] : kKeys) {
    if (key == keyval) return virtualKey;
  }
  const guint upper = gdk_keyval_to_upper(keyval);
  if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9')) return upper;
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return 0x70 + (keyval - GDK_KEY_F1);
  return 0;
}

bool SamePixels(const Surface& a, const Surface& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), sizeof(std::uint32_t) * a.Width()) != 0) return false;
  }
  return true;
}

}  // namespace

struct DesktopScreen::Window {
  DesktopScreen* screen = nullptr;
  HWND hwnd = nullptr;
  GtkWidget* window = nullptr;
  GtkWidget* area = nullptr;
  cairo_surface_t* image = nullptr;
  std::unique_ptr<Surface> pixels;  // as last shown
  SIZE size{};                      // the platform window's, as last followed
  SIZE asked{};                     // the size last asked of the display
  std::string title;

  Window(DesktopScreen* owner, HWND shown);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void Follow();
  void Show(std::unique_ptr<Surface> shot);

  static gboolean Draw(GtkWidget*, cairo_t* cr, Window* self);
  static void Allocated(GtkWidget*, GdkRectangle* allocation, Window* self);
  static gboolean CloseBox(GtkWidget*, GdkEvent*, Window* self);
  static gboolean Focused(GtkWidget*, GdkEvent*, Window* self);
  static gboolean Moved(GtkWidget*, GdkEventMotion* event, Window* self);
  static gboolean Pressed(GtkWidget*, GdkEventButton* event, Window* self);
  static gboolean Scrolled(GtkWidget*, GdkEventScroll* event, Window* self);
  static gboolean Typed(GtkWidget*, GdkEventKey* event, Window* self);

  // A point of the drawing area on the platform's screen.
  POINT OnScreen(double x, double y) const;
};

DesktopScreen::Window::Window(DesktopScreen* owner, HWND shown)
    : screen(owner),
      hwnd(shown),
      window(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      area(gtk_drawing_area_new()),
      size(SizeOf(shown)),
      asked(size) {
  gtk_window_set_default_size(GTK_WINDOW(window), std::max<int>(size.cx, 1),
                              std::max<int>(size.cy, 1));
  gtk_container_add(GTK_CONTAINER(window), area);
  gtk_widget_set_can_focus(area, TRUE);
  g_signal_connect(area, "draw", G_CALLBACK(Draw), this);
  g_signal_connect(area, "size-allocate", G_CALLBACK(Allocated), this);
  g_signal_connect(window, "delete-event", G_CALLBACK(CloseBox), this);
  g_signal_connect(window, "focus-in-event", G_CALLBACK(Focused), this);
  gtk_widget_add_events(area, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                  GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                                  GDK_KEY_RELEASE_MASK);
  g_signal_connect(area, "motion-notify-event", G_CALLBACK(Moved), this);
  g_signal_connect(area, "button-press-event", G_CALLBACK(Pressed), this);
  g_signal_connect(area, "button-release-event", G_CALLBACK(Pressed), this);
  g_signal_connect(area, "scroll-event", G_CALLBACK(Scrolled), this);
  g_signal_connect(area, "key-press-event", G_CALLBACK(Typed), this);
  g_signal_connect(area, "key-release-event", G_CALLBACK(Typed), this);
  Follow();
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(area);
}

DesktopScreen::Window::~Window() {
  if (image != nullptr) cairo_surface_destroy(image);
  gtk_widget_destroy(window);
}

// Takes the platform window's title, size and pixels.
void DesktopScreen::Window::Follow() {
  const std::string now = TitleOf(hwnd);
  if (now != title) gtk_window_set_title(GTK_WINDOW(window), now.c_str());
  title = now;
  const SIZE platformSize = SizeOf(hwnd);
  if (platformSize.cx != size.cx || platformSize.cy != size.cy) {
    size = asked = platformSize;
    gtk_window_resize(GTK_WINDOW(window), std::max<int>(size.cx, 1), std::max<int>(size.cy, 1));
  }
  if (std::unique_ptr<Surface> shot = CaptureWindow(hwnd)) Show(std::move(shot));
}

void DesktopScreen::Window::Show(std::unique_ptr<Surface> shot) {
  if (pixels != nullptr && SamePixels(*pixels, *shot)) return;
  if (image != nullptr) cairo_surface_destroy(image);
  image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, shot->Width(), shot->Height());
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  // Both are native-endian 32-bit 0x00RRGGBB pixels.
  for (int y = 0; y < shot->Height(); ++y)
    std::memcpy(data + y * stride, shot->Row(y), sizeof(std::uint32_t) * shot->Width());
  cairo_surface_mark_dirty(image);
  pixels = std::move(shot);
  gtk_widget_queue_draw(area);
}

gboolean DesktopScreen::Window::Draw(GtkWidget*, cairo_t* cr, Window* self) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (self->image != nullptr) {
    cairo_set_source_surface(cr, self->image, 0, 0);
    cairo_paint(cr);
  }
  return TRUE;
}

// A size the display gives that is neither the platform's nor one the screen asked for
// is the person's: the platform window takes it.
void DesktopScreen::Window::Allocated(GtkWidget*, GdkRectangle* allocation, Window* self) {
  const SIZE given{allocation->width, allocation->height};
  const auto same = [&](SIZE size) { return size.cx == given.cx && size.cy == given.cy; };
  if (same(self->size) || same(self->asked)) return;
  self->asked = given;
  input::Resize(self->hwnd, given.cx, given.cy);
  self->screen->Tick();
}

gboolean DesktopScreen::Window::CloseBox(GtkWidget*, GdkEvent*, Window* self) {
  input::Close(self->hwnd);
  self->screen->Tick();
  return TRUE;  // the window goes when the platform's does
}

gboolean DesktopScreen::Window::Focused(GtkWidget*, GdkEvent*, Window* self) {
  input::Activate(self->hwnd);
  return FALSE;
}

POINT DesktopScreen::Window::OnScreen(double x, double y) const {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return {rect.left + static_cast<LONG>(x), rect.top + static_cast<LONG>(y)};
}

gboolean DesktopScreen::Window::Moved(GtkWidget*, GdkEventMotion* event, Window* self) {
  input::PointerMove(self->OnScreen(event->x, event->y), Modifiers(event->state));
  self->screen->Tick();
  return TRUE;
}

gboolean DesktopScreen::Window::Pressed(GtkWidget*, GdkEventButton* event, Window* self) {
  // The toolkit's own double-click events are left out: the platform counts clicks.
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
  static const input::Button kButtons[] = {input::Button::kLeft, input::Button::kMiddle,
                                           input::Button::kRight};
  if (event->button < 1 || event->button > 3) return FALSE;
  gtk_widget_grab_focus(self->area);
  input::PointerButton(self->OnScreen(event->x, event->y), kButtons[event->button - 1],
                       event->type == GDK_BUTTON_PRESS, Modifiers(event->state));
  // The click may have closed the window, and self with it.
  DesktopScreen* screen = self->screen;
  screen->ScheduleRepeat();
  screen->Tick();
  return TRUE;
}

gboolean DesktopScreen::Window::Scrolled(GtkWidget*, GdkEventScroll* event, Window* self) {
  int delta = 0;
  if (event->direction == GDK_SCROLL_UP) delta = WHEEL_DELTA;
  if (event->direction == GDK_SCROLL_DOWN) delta = -WHEEL_DELTA;
  if (event->direction == GDK_SCROLL_SMOOTH)
    delta = static_cast<int>(-event->delta_y * WHEEL_DELTA);
  if (delta == 0) return FALSE;
  input::Wheel(self->OnScreen(event->x, event->y), delta, Modifiers(event->state));
  self->screen->Tick();
  return TRUE;
}

gboolean DesktopScreen::Window::Typed(GtkWidget*, GdkEventKey* event, Window* self) {
  const UINT virtualKey = VirtualKey(event->keyval);
  if (virtualKey == 0) return FALSE;
  input::Key(virtualKey, event->type == GDK_KEY_PRESS, Modifiers(event->state));
  self->screen->Tick();
  return TRUE;
}

DesktopScreen::DesktopScreen() = default;

DesktopScreen::~DesktopScreen() {
  if (m_timer != 0) g_source_remove(m_timer);
  if (m_repeat != 0) g_source_remove(m_repeat);
}

void DesktopScreen::ScheduleRepeat() {
  if (m_repeat != 0) g_source_remove(m_repeat);
  m_repeat = 0;
  const DWORD delay = input::RepeatDelay();
  if (delay == INFINITE) return;
  m_repeat = g_timeout_add(
      delay,
      +[](gpointer data) {
        auto* screen = static_cast<DesktopScreen*>(data);
        screen->m_repeat = 0;
        input::Repeat();
        screen->Tick();
        screen->ScheduleRepeat();
        return G_SOURCE_REMOVE;
      },
      this);
}

void DesktopScreen::Pump() {
  MSG msg;
  for (int i = 0; i < kMaxPumpedMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    // The screen does not end the program: whoever runs it decides that.
    if (msg.message != WM_QUIT) DispatchMessageA(&msg);
  }
}

void DesktopScreen::Follow() {
  std::vector<HWND> shown;
  for (HWND hwnd : TopLevelWindows()) {
    if (Visible(hwnd)) shown.push_back(hwnd);
  }
  std::erase_if(m_windows, [&](const std::unique_ptr<Window>& window) {
    return std::find(shown.begin(), shown.end(), window->hwnd) == shown.end();
  });
  for (HWND hwnd : shown) {
    const auto known = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto& window) { return window->hwnd == hwnd; });
    if (known == m_windows.end())
      m_windows.push_back(std::make_unique<Window>(this, hwnd));
    else
      (*known)->Follow();
  }
}

void DesktopScreen::Tick() {
  Pump();
  Follow();
}

void DesktopScreen::Refresh() {
  Tick();
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void DesktopScreen::Run() {
  Refresh();
  m_timer = g_timeout_add(
      kTickMilliseconds,
      +[](gpointer data) {
        static_cast<DesktopScreen*>(data)->Tick();
        return G_SOURCE_CONTINUE;
      },
      this);
  while (!m_windows.empty()) gtk_main_iteration_do(TRUE);
  g_source_remove(m_timer);
  m_timer = 0;
}

}  // namespace platform
