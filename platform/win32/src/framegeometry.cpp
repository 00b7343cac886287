// The frame's geometry. A bar is an arrow button at each end (17 pixels, or half the
// bar when it is shorter than two), a track between them, and a thumb whose length
// follows the page (17 pixels without one, never under 8).
#include "framegeometry.h"

#include <algorithm>

namespace platform::user {
namespace {

constexpr int kMinThumb = 8;

long long LastPosition(const ScrollBar& bar) {
  return bar.max - std::max<long long>(static_cast<long long>(bar.page) - 1, 0);
}

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

int ArrowLength(int length) { return std::min(kScrollBarSize, length / 2); }

Thumb ThumbOf(const ScrollBar& bar, int length) {
  const long long range = static_cast<long long>(bar.max) - bar.min;
  const long long last = LastPosition(bar);
  const int arrow = ArrowLength(length);
  const long long track = length - 2LL * arrow;
  if (last <= bar.min || track <= 0) return {};
  long long thumb = kScrollBarSize;
  if (bar.page != 0) thumb = std::max<long long>(track * bar.page / (range + 1), kMinThumb);
  if (thumb > track) return {};
  if (bar.dragThumb >= 0) {
    const long long start = std::clamp<long long>(bar.dragThumb, arrow, arrow + track - thumb);
    return {static_cast<int>(start), static_cast<int>(thumb)};
  }
  const long long offset = (track - thumb) * (bar.pos - bar.min) / (last - bar.min);
  return {static_cast<int>(arrow + offset), static_cast<int>(thumb)};
}

int PositionOfThumb(const ScrollBar& bar, int length, int thumbStart) {
  ScrollBar still = bar;
  still.dragThumb = -1;
  const Thumb thumb = ThumbOf(still, length);
  const int arrow = ArrowLength(length);
  const long long free = length - 2LL * arrow - thumb.length;
  if (thumb.length == 0 || free <= 0) return bar.pos;
  const long long offset = std::clamp<long long>(static_cast<long long>(thumbStart) - arrow, 0, free);
  const long long span = LastPosition(bar) - bar.min;
  return static_cast<int>(bar.min + (offset * span + free / 2) / free);
}

RECT BarRect(const Window& window, int bar) {
  if (!window.barShown[bar]) return {};
  const int w = window.Width();
  const int h = window.Height();
  const int b = window.border ? 1 : 0;
  const RECT inside{b, b, w - b, h - b};
  const int s = kScrollBarSize;
  if (bar == SB_VERT) {
    return Intersect({w - b - s, b, w - b, h - b - (window.barShown[SB_HORZ] ? s : 0)}, inside);
  }
  return Intersect({b, h - b - s, w - b - (window.barShown[SB_VERT] ? s : 0), h - b}, inside);
}

RECT CornerRect(const Window& window) {
  if (!window.barShown[SB_HORZ] || !window.barShown[SB_VERT]) return {};
  const int w = window.Width();
  const int h = window.Height();
  const int b = window.border ? 1 : 0;
  const int s = kScrollBarSize;
  return Intersect({w - b - s, h - b - s, w - b, h - b}, {b, b, w - b, h - b});
}

BarPart BarPartAt(const Window& window, int bar, POINT point) {
  const RECT r = BarRect(window, bar);
  const ScrollBar& state = window.bars[bar];
  // A bar with nothing to scroll is inert, arrows included.
  if (!Contains(r, point) || LastPosition(state) <= state.min) return BarPart::kNone;
  const bool vertical = bar == SB_VERT;
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int along = vertical ? point.y - r.top : point.x - r.left;
  const int arrow = ArrowLength(length);
  if (along < arrow) return BarPart::kLineUp;
  if (along >= length - arrow) return BarPart::kLineDown;
  const Thumb thumb = ThumbOf(state, length);
  if (thumb.length == 0) return BarPart::kNone;  // no room for a thumb: a bare track
  if (along < thumb.start) return BarPart::kPageUp;
  if (along >= thumb.start + thumb.length) return BarPart::kPageDown;
  return BarPart::kThumb;
}

int HitTest(const Window& window, POINT point) {
  if (!Contains({0, 0, window.Width(), window.Height()}, point)) return HTNOWHERE;
  if (Contains(window.client, point)) return HTCLIENT;
  if (Contains(BarRect(window, SB_VERT), point)) return HTVSCROLL;
  if (Contains(BarRect(window, SB_HORZ), point)) return HTHSCROLL;
  if (Contains(CornerRect(window), point)) return HTNOWHERE;
  return window.border ? HTBORDER : HTNOWHERE;
}

}  // namespace platform::user
