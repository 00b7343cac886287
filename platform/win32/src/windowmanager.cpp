// The window system's state and shared geometry.
//
// Handles are never reused (a counter hands them out), so a stale HWND finds
// nothing. A child window has no pixels of its own: it draws into its top-level
// window's surface at its offset, clipped by every ancestor's client area.
#include "windowmanager.h"

#include "controlclasses.h"
#include "dc.h"
#include "framepainter.h"

#include <platform/screen.h>

#include <algorithm>
#include <cctype>
#include <limits>

namespace platform::user {
namespace {

std::string Lower(const char* text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsAtom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

LONG ClampLong(long long v) {
  return static_cast<LONG>(
      std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

constexpr int kMaxWindowExtra = 1024;
// A top-level window's surface is at most 256 MiB (8192 x 8192 pixels).
constexpr long long kMaxSurfacePixels = 1LL << 26;

}  // namespace

RECT Window::ClientRect() const {
  return {0, 0, client.right - client.left, client.bottom - client.top};
}

WindowManager& WindowManager::Get() {
  static WindowManager* manager =
      new WindowManager;  // outlives static destructors of other modules
  return *manager;
}

WindowManager::WindowManager() {
  SetPaletteChangeListener(
      [](HWND changer) { WindowManager::Get().BroadcastPaletteChanged(changer); });
  RegisterControlClasses(*this);
}

// ----- classes -------------------------------------------------------------------

WindowClass* WindowManager::FindClass(LPCSTR nameOrAtom) {
  if (nameOrAtom == nullptr) return nullptr;
  if (IsAtom(nameOrAtom)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(nameOrAtom));
    for (auto& [name, cls] : m_classes) {
      if (cls->atom == atom) return cls.get();
    }
    return nullptr;
  }
  auto it = m_classes.find(Lower(nameOrAtom));
  return it == m_classes.end() ? nullptr : it->second.get();
}

ATOM WindowManager::RegisterClass(const WNDCLASSA& wndClass) {
  if (wndClass.lpfnWndProc == nullptr || wndClass.lpszClassName == nullptr ||
      IsAtom(wndClass.lpszClassName) || wndClass.lpszClassName[0] == '\0' ||
      wndClass.cbWndExtra < 0 || wndClass.cbWndExtra > kMaxWindowExtra || m_nextAtom == 0xFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key = Lower(wndClass.lpszClassName);
  if (m_classes.count(key) != 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_unique<WindowClass>();
  cls->atom = m_nextAtom++;
  cls->name = wndClass.lpszClassName;
  cls->style = wndClass.style;
  cls->proc = wndClass.lpfnWndProc;
  cls->background = wndClass.hbrBackground;
  cls->instance = wndClass.hInstance;
  cls->windowExtra = wndClass.cbWndExtra;
  ATOM atom = cls->atom;
  m_classes.emplace(std::move(key), std::move(cls));
  return atom;
}

bool WindowManager::UnregisterClass(LPCSTR nameOrAtom) {
  WindowClass* cls = FindClass(nameOrAtom);
  if (cls == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (cls->windows != 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return false;
  }
  m_classes.erase(Lower(cls->name.c_str()));
  return true;
}

// ----- the window table and tree -------------------------------------------------

Window* WindowManager::Find(HWND hwnd) const {
  if (hwnd == nullptr) return nullptr;
  auto it = m_windows.find(hwnd);
  return it == m_windows.end() ? nullptr : it->second.get();
}

Window* WindowManager::FindOrFail(HWND hwnd) const {
  Window* window = Find(hwnd);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

HWND WindowManager::Insert(std::unique_ptr<Window> window) {
  m_nextHandle += 4;
  HWND hwnd = reinterpret_cast<HWND>(m_nextHandle);
  window->handle = hwnd;
  if (window->IsChild()) {
    Find(window->parent)->children.push_back(hwnd);
  } else {
    m_topLevels.push_back(hwnd);
  }
  ++window->windowClass->windows;
  m_windows.emplace(hwnd, std::move(window));
  return hwnd;
}

void WindowManager::Erase(HWND hwnd) {
  Window* window = Find(hwnd);
  if (window == nullptr) return;
  std::vector<HWND>& siblings = window->IsChild() ? Find(window->parent)->children : m_topLevels;
  std::erase(siblings, hwnd);
  --window->windowClass->windows;
  DetachDCs(hwnd);
  m_windows.erase(hwnd);
}

std::vector<HWND> WindowManager::Subtree(HWND hwnd) const {
  std::vector<HWND> result;
  if (Find(hwnd) == nullptr) return result;
  result.push_back(hwnd);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const Window* window = Find(result[i]);
    result.insert(result.end(), window->children.begin(), window->children.end());
  }
  return result;
}

bool WindowManager::IsDescendant(HWND hwnd, HWND ancestor) const {
  for (const Window* w = Find(hwnd); w != nullptr && w->IsChild(); w = Find(w->parent)) {
    if (w->parent == ancestor) return true;
  }
  return false;
}

Window& WindowManager::TopLevelOf(Window& window) const {
  Window* w = &window;
  while (w->IsChild()) w = Find(w->parent);
  return *w;
}

void WindowManager::BroadcastPaletteChanged(HWND changer) {
  std::vector<HWND> targets;
  for (HWND top : m_topLevels) {
    std::vector<HWND> tree = Subtree(top);
    targets.insert(targets.end(), tree.begin(), tree.end());
  }
  for (HWND hwnd : targets) {
    if (Find(hwnd) != nullptr) {
      SendMessageA(hwnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(changer), 0);
    }
  }
}

// ----- geometry ------------------------------------------------------------------

POINT WindowManager::OriginInSurface(const Window& window) const {
  long long x = 0;
  long long y = 0;
  for (const Window* w = &window; w->IsChild();) {
    const Window* parent = Find(w->parent);
    x += static_cast<long long>(w->rect.left) + parent->client.left;
    y += static_cast<long long>(w->rect.top) + parent->client.top;
    w = parent;
  }
  return {ClampLong(x), ClampLong(y)};
}

POINT WindowManager::OriginOnScreen(const Window& window) const {
  POINT origin = OriginInSurface(window);
  const Window& top = TopLevelOf(const_cast<Window&>(window));
  return {ClampLong(static_cast<long long>(origin.x) + top.rect.left),
          ClampLong(static_cast<long long>(origin.y) + top.rect.top)};
}

RECT WindowManager::VisibleClientInSurface(const Window& window) const {
  POINT origin = OriginInSurface(window);
  RECT visible = Offset(window.client, origin.x, origin.y);
  for (const Window* w = &window; w->IsChild();) {
    w = Find(w->parent);
    POINT o = OriginInSurface(*w);
    visible = Intersect(visible, Offset(w->client, o.x, o.y));
  }
  const Window& top = TopLevelOf(const_cast<Window&>(window));
  return Intersect(visible, RECT{0, 0, top.Width(), top.Height()});
}

RECT WindowManager::VisibleWindowInSurface(const Window& window) const {
  if (!window.IsChild()) return RECT{0, 0, window.Width(), window.Height()};
  POINT origin = OriginInSurface(window);
  RECT whole = Offset(RECT{0, 0, window.Width(), window.Height()}, origin.x, origin.y);
  return Intersect(whole, VisibleClientInSurface(*Find(window.parent)));
}

void WindowManager::ReadFrameStyle(Window& window) {
  window.border = (window.style & WS_BORDER) != 0;
  window.barShown[SB_HORZ] = (window.style & WS_HSCROLL) != 0;
  window.barShown[SB_VERT] = (window.style & WS_VSCROLL) != 0;
}

void WindowManager::LayoutClient(Window& window) {
  const int b = window.border ? 1 : 0;
  const int w = window.Width();
  const int h = window.Height();
  RECT& c = window.client;
  c.left = std::min(b, w);
  c.top = std::min(b, h);
  c.right = std::max<LONG>(c.left, w - b - (window.barShown[SB_VERT] ? kScrollBarSize : 0));
  c.bottom = std::max<LONG>(c.top, h - b - (window.barShown[SB_HORZ] ? kScrollBarSize : 0));
}

bool WindowManager::SurfaceFits(int width, int height) {
  return static_cast<long long>(width) * height <= kMaxSurfacePixels;
}

std::optional<bool> WindowManager::Reshape(Window& window, const RECT& rect, bool relayout,
                                           bool redraw) {
  const RECT oldRect = window.rect;
  const RECT oldClient = window.client;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const bool moved = rect.left != oldRect.left || rect.top != oldRect.top;
  const bool sized = width != window.Width() || height != window.Height();
  if (window.surface && sized) {
    if (!SurfaceFits(width, height)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return std::nullopt;
    }
    try {
      window.surface->Resize(width, height);
    } catch (const std::exception&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return std::nullopt;
    }
  }
  window.rect = rect;
  if (relayout) ReadFrameStyle(window);
  LayoutClient(window);
  const bool clientSized =
      window.client.right - window.client.left != oldClient.right - oldClient.left ||
      window.client.bottom - window.client.top != oldClient.bottom - oldClient.top;
  const bool clientMoved =
      window.client.left != oldClient.left || window.client.top != oldClient.top;
  if (redraw) {
    if (window.IsChild() && (moved || sized)) Invalidate(*Find(window.parent), &oldRect, true);
    if ((window.IsChild() && moved) || sized || clientMoved) {
      Invalidate(window, nullptr, true);
    } else {
      // The strips a hidden scroll bar gave back still show the bar.
      const RECT& c = window.client;
      const RECT right{std::max(oldClient.right, c.left), c.top, c.right, c.bottom};
      const RECT bottom{c.left, std::max(oldClient.bottom, c.top), c.right, c.bottom};
      for (const RECT& strip : {right, bottom}) {
        RECT inClient =
            Offset(strip, -static_cast<long long>(c.left), -static_cast<long long>(c.top));
        Invalidate(window, &inClient, true);
      }
    }
    DrawFrame(window);
  }
  RefreshDCs(window);
  return clientSized;
}

void WindowManager::DrawFrame(Window& window) {
  window.frameDirty = false;
  Window& top = TopLevelOf(window);
  if (!top.surface) return;
  PaintFrame(window, *top.surface, OriginInSurface(window), VisibleWindowInSurface(window));
}

void WindowManager::Invalidate(Window& window, const RECT* rect, bool erase) {
  const RECT client = window.ClientRect();
  const RECT area = rect != nullptr ? Intersect(*rect, client) : client;
  if (IsEmpty(area)) return;
  window.update = Union(window.update, area);
  window.erase = window.erase || erase;
  // A child is drawn over the parent's pixels, so what the parent repaints the
  // child must repaint after it.
  for (HWND hwnd : window.children) {
    Window* child = Find(hwnd);
    RECT overlap = Intersect(area, child->rect);
    if (IsEmpty(overlap)) continue;
    child->frameDirty = true;
    RECT inChild = Offset(overlap, -static_cast<long long>(child->rect.left) - child->client.left,
                          -static_cast<long long>(child->rect.top) - child->client.top);
    Invalidate(*child, &inChild, erase);
  }
}

// ----- window device contexts ----------------------------------------------------

HDC WindowManager::CreateDC(Window& window, bool paint, const RECT& paintRect) {
  Window& top = TopLevelOf(window);
  if (!top.surface) return nullptr;
  HDC hdc = CreateWindowSurfaceDC(window.handle, *top.surface, POINT{}, RECT{});
  if (hdc == nullptr) return nullptr;
  WindowDC record{window.handle, paint, paintRect};
  m_dcs.emplace(hdc, record);
  PlaceDC(hdc, record);
  return hdc;
}

void WindowManager::PlaceDC(HDC hdc, const WindowDC& record) {
  Window* window = Find(record.window);
  if (window == nullptr) return;
  POINT origin = OriginInSurface(*window);
  origin.x = ClampLong(static_cast<long long>(origin.x) + window->client.left);
  origin.y = ClampLong(static_cast<long long>(origin.y) + window->client.top);
  RECT clip = VisibleClientInSurface(*window);
  if (record.paint) clip = Intersect(clip, Offset(record.paintRect, origin.x, origin.y));
  gdi::Guard guard(gdi::Lock());
  if (auto* dc = gdi::FindAs<gdi::DeviceContext>(hdc)) {
    dc->origin = origin;
    dc->clip = clip;
  }
}

bool WindowManager::ReleaseDC(HWND hwnd, HDC hdc) {
  auto it = m_dcs.find(hdc);
  if (it == m_dcs.end() || it->second.window != hwnd) return false;
  m_dcs.erase(it);
  DeleteDC(hdc);
  return true;
}

HWND WindowManager::WindowOfDC(HDC hdc) const {
  auto it = m_dcs.find(hdc);
  if (it == m_dcs.end() || Find(it->second.window) == nullptr) return nullptr;
  return it->second.window;
}

void WindowManager::RefreshDCs(const Window& window) {
  for (const auto& [hdc, record] : m_dcs) {
    if (record.window == window.handle || IsDescendant(record.window, window.handle)) {
      PlaceDC(hdc, record);
    }
  }
}

void WindowManager::DetachDCs(HWND hwnd) {
  gdi::Guard guard(gdi::Lock());
  for (const auto& [hdc, record] : m_dcs) {
    if (record.window != hwnd) continue;
    if (auto* dc = gdi::FindAs<gdi::DeviceContext>(hdc)) dc->surface = nullptr;
  }
}

}  // namespace platform::user
