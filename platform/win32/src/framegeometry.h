// Where the parts of a window's frame lie: the standard scroll bars, their arrows,
// track and thumb, and what a point of the window hits. The painter draws with this
// geometry and hit testing and scroll-bar tracking read it, so a click lands on what
// the person sees.
#pragma once

#include "windowmanager.h"

namespace platform::user {

// Where the thumb of a bar `length` pixels long lies, along the bar from its start;
// length 0 when no thumb is drawn (nothing to scroll, or no room between the arrows).
// A thumb being dragged lies where the pointer holds it.
struct Thumb {
  int start = 0;
  int length = 0;
};
Thumb ThumbOf(const ScrollBar& bar, int length);

// The length of each arrow button of a bar `length` pixels long.
int ArrowLength(int length);

// The rectangle of a shown standard bar (SB_HORZ, SB_VERT) in window coordinates;
// empty when the bar is not shown. CornerRect: the square between two shown bars.
RECT BarRect(const Window& window, int bar);
RECT CornerRect(const Window& window);

// The part of a bar under a point (window coordinates).
enum class BarPart { kNone, kLineUp, kPageUp, kThumb, kPageDown, kLineDown };
BarPart BarPartAt(const Window& window, int bar, POINT point);

// The position a thumb starting at thumbStart pixels along the bar stands for,
// rounded to the nearest; the thumb's start is clamped to the track.
int PositionOfThumb(const ScrollBar& bar, int length, int thumbStart);

// What WM_NCHITTEST answers for a point in window coordinates: HTCLIENT, HTVSCROLL,
// HTHSCROLL, HTBORDER, or HTNOWHERE (outside, or the corner between the bars).
int HitTest(const Window& window, POINT point);

}  // namespace platform::user
