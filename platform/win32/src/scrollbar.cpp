// The standard scroll bars: range, page and position of each bar, showing and
// hiding them, and redrawing them in the window's frame.
//
// As on Windows: a bar starts with the range 0..100; an invalid range (min above
// max, or wider than a LONG can count) becomes 0..0; the page is at most the range
// plus one; the position is clamped to min .. max - max(page - 1, 0). A range or
// page that leaves nothing to scroll hides the bar (unless SIF_DISABLENOSCROLL),
// and one that does shows it, except when only the page changed. The trough and
// thumb of a bar that cannot scroll are drawn without a thumb.
#include "windowmanager.h"

#include <algorithm>
#include <limits>

using platform::user::ScrollBar;
using platform::user::Window;
using platform::user::WindowManager;

namespace {

constexpr UINT kKnownMask = SIF_ALL | SIF_DISABLENOSCROLL;

long long LastPosition(const ScrollBar& bar) {
  return bar.max - std::max<long long>(static_cast<long long>(bar.page) - 1, 0);
}

bool CanScroll(const ScrollBar& bar) { return bar.min < LastPosition(bar); }

// The window, when bar names one of its standard bars (SB_HORZ, SB_VERT).
Window* FindBar(HWND hwnd, int bar) {
  Window* window = WindowManager::Get().FindOrFail(hwnd);
  if (window == nullptr) return nullptr;
  if (bar != SB_HORZ && bar != SB_VERT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return window;
}

DWORD StyleBits(int bar) {
  switch (bar) {
    case SB_HORZ:
      return WS_HSCROLL;
    case SB_VERT:
      return WS_VSCROLL;
    case SB_BOTH:
      return WS_HSCROLL | WS_VSCROLL;
    default:
      return 0;
  }
}

// Shows or hides bars by their style bits; a change of client size sends WM_SIZE.
void ChangeBars(HWND hwnd, DWORD bits, bool show) {
  WindowManager& wm = WindowManager::Get();
  Window* window = wm.Find(hwnd);
  DWORD style = show ? (window->style | bits) : (window->style & ~bits);
  if (style == window->style) return;
  window->style = style;
  if (wm.Reshape(*window, window->rect, true, true).value_or(false)) {
    RECT client = window->ClientRect();
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
}

void Apply(ScrollBar& bar, const SCROLLINFO& info) {
  if (info.fMask & SIF_PAGE) bar.page = info.nPage;
  if (info.fMask & SIF_RANGE) {
    const long long width = static_cast<long long>(info.nMax) - info.nMin;
    if (width < 0 || width > std::numeric_limits<LONG>::max()) {
      bar.min = 0;
      bar.max = 0;
    } else {
      bar.min = info.nMin;
      bar.max = info.nMax;
    }
  }
  const long long pages = static_cast<long long>(bar.max) - bar.min + 1;
  if (static_cast<long long>(bar.page) > pages) bar.page = static_cast<UINT>(pages);
  long long pos = (info.fMask & SIF_POS) ? info.nPos : bar.pos;
  pos = std::clamp<long long>(pos, bar.min, std::max<long long>(bar.min, LastPosition(bar)));
  bar.pos = static_cast<int>(pos);
}

}  // namespace

extern "C" {

/***********************************************************************
 * SetScrollInfo
 * Sets what fMask names of an SB_HORZ or SB_VERT bar, showing or hiding the bar as
 * the range and page allow; returns the new position. 0 for a stale window, and with
 * ERROR_INVALID_PARAMETER for another bar, a bad record or unknown mask bits. There
 * are no scroll bar controls (SB_CTL).
 */
int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  Window* window = FindBar(hwnd, bar);
  if (window == nullptr) return 0;
  if (info == nullptr || info->cbSize != sizeof(SCROLLINFO) || (info->fMask & ~kKnownMask) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ScrollBar& state = window->bars[bar];
  Apply(state, *info);
  const int pos = state.pos;
  if ((info->fMask & (SIF_RANGE | SIF_PAGE)) != 0) {
    if (!CanScroll(state)) {
      if ((info->fMask & SIF_DISABLENOSCROLL) == 0) ChangeBars(hwnd, StyleBits(bar), false);
    } else if (info->fMask != SIF_PAGE) {
      ChangeBars(hwnd, StyleBits(bar), true);
    }
  }
  window = WindowManager::Get().Find(hwnd);
  if (window != nullptr && redraw) WindowManager::Get().DrawFrame(*window);
  return pos;
}

/***********************************************************************
 * GetScrollInfo
 * Copies what fMask names; the track position is where a dragged thumb stands, else
 * the position. FALSE for a stale window, and with ERROR_INVALID_PARAMETER for another
 * bar, a bad record or an empty mask.
 */
BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  Window* window = FindBar(hwnd, bar);
  if (window == nullptr) return FALSE;
  if (info == nullptr || info->cbSize != sizeof(SCROLLINFO) || (info->fMask & SIF_ALL) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const ScrollBar& state = window->bars[bar];
  if (info->fMask & SIF_RANGE) {
    info->nMin = state.min;
    info->nMax = state.max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = state.page;
  if (info->fMask & SIF_POS) info->nPos = state.pos;
  if (info->fMask & SIF_TRACKPOS)
    info->nTrackPos = state.dragThumb >= 0 ? state.trackPos : state.pos;
  return TRUE;
}

/***********************************************************************
 * SetScrollPos
 * Sets the position, clamped as SetScrollInfo does, and returns the previous one. 0
 * for a stale window or another bar.
 */
int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Window* window = FindBar(hwnd, bar);
  if (window == nullptr) return 0;
  const int previous = window->bars[bar].pos;
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return previous;
}

/***********************************************************************
 * GetScrollPos
 * The position; 0 for a stale window or another bar.
 */
int WINAPI GetScrollPos(HWND hwnd, int bar) {
  Window* window = FindBar(hwnd, bar);
  return window != nullptr ? window->bars[bar].pos : 0;
}

/***********************************************************************
 * SetScrollRange
 * Sets the range as SetScrollInfo would. FALSE for a stale window, another bar, and
 * with ERROR_INVALID_SCROLLBAR_RANGE for a range wider than a LONG counts.
 */
BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (FindBar(hwnd, bar) == nullptr) return FALSE;
  if (static_cast<long long>(maxPos) - minPos > std::numeric_limits<LONG>::max()) {
    SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
    return FALSE;
  }
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return TRUE;
}

/***********************************************************************
 * GetScrollRange
 * Copies the range. FALSE for null outputs, and for a stale window or another bar,
 * with both set to 0.
 */
BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos) {
  if (minPos == nullptr || maxPos == nullptr) return FALSE;
  Window* window = FindBar(hwnd, bar);
  if (window == nullptr) {
    *minPos = *maxPos = 0;
    return FALSE;
  }
  *minPos = window->bars[bar].min;
  *maxPos = window->bars[bar].max;
  return TRUE;
}

/***********************************************************************
 * ShowScrollBar
 * Shows or hides SB_HORZ, SB_VERT or SB_BOTH; the client area gives way. FALSE for a
 * stale window, and with ERROR_INVALID_PARAMETER for another bar.
 */
BOOL WINAPI ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (WindowManager::Get().FindOrFail(hwnd) == nullptr) return FALSE;
  const DWORD bits = StyleBits(bar);
  if (bits == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ChangeBars(hwnd, bits, show != FALSE);
  return TRUE;
}

}  // extern "C"
