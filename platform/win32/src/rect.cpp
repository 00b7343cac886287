// Rectangles: the user32 helpers and the window system's own arithmetic.
//
// Win32 lets OffsetRect and InflateRect wrap around; here the sums are clamped to
// the LONG range instead, so no caller ever sees an overflowed rectangle.
#include "rectmath.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform::user {
namespace {

LONG Clamp(long long v) {
  return static_cast<LONG>(
      std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

}  // namespace

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return IsEmpty(r) ? RECT{} : r;
}

RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) return IsEmpty(b) ? RECT{} : b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

RECT Offset(const RECT& r, long long dx, long long dy) {
  return {Clamp(r.left + dx), Clamp(r.top + dy), Clamp(r.right + dx), Clamp(r.bottom + dy)};
}

int Subtract(const RECT& a, const RECT& b, RECT* rest) {
  *rest = RECT{};
  if (IsEmpty(a)) return NULLREGION;
  RECT cut = Intersect(a, b);
  if (IsEmpty(cut)) {
    *rest = a;
    return SIMPLEREGION;
  }
  // What is left is at most four bands around the cut: above, below, and the two
  // sides between them. One band is a rectangle; more are not.
  const RECT bands[4] = {{a.left, a.top, a.right, cut.top},
                         {a.left, cut.bottom, a.right, a.bottom},
                         {a.left, cut.top, cut.left, cut.bottom},
                         {cut.right, cut.top, a.right, cut.bottom}};
  int count = 0;
  for (const RECT& band : bands) {
    if (IsEmpty(band)) continue;
    *rest = Union(*rest, band);
    ++count;
  }
  if (count == 0) return NULLREGION;
  return count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

/***********************************************************************
 * SetRect
 * Sets the four sides as given; no ordering is imposed. FALSE for a null rectangle.
 */
BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = {left, top, right, bottom};
  return TRUE;
}

/***********************************************************************
 * SetRectEmpty
 * Sets all four sides to 0. FALSE for a null rectangle.
 */
BOOL WINAPI SetRectEmpty(LPRECT rect) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{};
  return TRUE;
}

/***********************************************************************
 * CopyRect
 * Copies src to dst. FALSE when either is null.
 */
BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
  if (dst == nullptr || src == nullptr) return FALSE;
  *dst = *src;
  return TRUE;
}

/***********************************************************************
 * IsRectEmpty
 * TRUE when the rectangle has no area (right <= left or bottom <= top), and for a
 * null pointer.
 */
BOOL WINAPI IsRectEmpty(const RECT* rect) { return rect == nullptr || IsEmpty(*rect); }

/***********************************************************************
 * EqualRect
 * TRUE when all four sides are equal. FALSE when either is null; two empty
 * rectangles at different places are not equal.
 */
BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  if (a == nullptr || b == nullptr) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

/***********************************************************************
 * PtInRect
 * TRUE when the point lies inside, the left and top edges included and the right
 * and bottom edges excluded. FALSE for a null rectangle.
 */
BOOL WINAPI PtInRect(const RECT* rect, POINT pt) {
  if (rect == nullptr) return FALSE;
  return pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top && pt.y < rect->bottom;
}

/***********************************************************************
 * OffsetRect
 * Moves the rectangle by (dx, dy). FALSE for a null rectangle. Unlike Windows, a
 * side that would overflow a LONG is clamped instead of wrapping.
 */
BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  *rect = Offset(*rect, dx, dy);
  return TRUE;
}

/***********************************************************************
 * InflateRect
 * Widens each side by dx and each top and bottom by dy (shrinks for negative
 * values). FALSE for a null rectangle. Sides are clamped to the LONG range instead
 * of wrapping.
 */
BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  *rect = {Clamp(static_cast<long long>(rect->left) - dx),
           Clamp(static_cast<long long>(rect->top) - dy),
           Clamp(static_cast<long long>(rect->right) + dx),
           Clamp(static_cast<long long>(rect->bottom) + dy)};
  return TRUE;
}

/***********************************************************************
 * IntersectRect
 * Sets dst to the overlap of a and b; TRUE when it is not empty. An empty overlap,
 * an empty or null source sets dst to all zeros and returns FALSE; a null dst
 * returns FALSE.
 */
BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (dst == nullptr) return FALSE;
  if (a == nullptr || b == nullptr || IsEmpty(*a) || IsEmpty(*b)) {
    *dst = RECT{};
    return FALSE;
  }
  *dst = Intersect(*a, *b);
  return !IsEmpty(*dst);
}

/***********************************************************************
 * UnionRect
 * Sets dst to the smallest rectangle holding both, ignoring an empty (or null)
 * source; TRUE when the result is not empty. FALSE for a null dst.
 */
BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (dst == nullptr) return FALSE;
  const RECT empty{};
  *dst = Union(a != nullptr ? *a : empty, b != nullptr ? *b : empty);
  return !IsEmpty(*dst);
}

}  // extern "C"
