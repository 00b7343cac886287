// Rectangle arithmetic for the window system, on RECTs that may be empty (right <=
// left or bottom <= top). Sums are computed in 64 bits and clamped, so hostile
// coordinates cannot overflow.
#pragma once

#include <windows.h>

namespace platform::user {

bool IsEmpty(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);  // empty results are (0, 0, 0, 0)
RECT Union(const RECT& a, const RECT& b);      // an empty rectangle adds nothing
RECT Offset(const RECT& r, long long dx, long long dy);

// a minus b: the bounding rectangle of what remains in *rest, and the kind of the
// exact remainder: NULLREGION, SIMPLEREGION (a rectangle) or COMPLEXREGION.
int Subtract(const RECT& a, const RECT& b, RECT* rest);

}  // namespace platform::user
