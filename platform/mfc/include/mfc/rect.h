// CRect: a RECT with the usual helpers. It starts empty (0, 0, 0, 0) rather than
// undefined. Width and Height are right - left and bottom - top, negative for a
// rectangle that is not normalised.
#pragma once

#include <mfc/point.h>

#include <windows.h>

#include <utility>

class CRect : public tagRECT {
 public:
  CRect() : tagRECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : tagRECT{l, t, r, b} {}
  CRect(const RECT& srcRect) : tagRECT(srcRect) {}
  CRect(LPCRECT lpSrcRect) : tagRECT(*lpSrcRect) {}
  CRect(POINT point, SIZE size) : tagRECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}
  CRect(POINT topLeft, POINT bottomRight)
      : tagRECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  int Width() const { return static_cast<int>(static_cast<long long>(right) - left); }
  int Height() const { return static_cast<int>(static_cast<long long>(bottom) - top); }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const {
    return CPoint(static_cast<int>((static_cast<long long>(left) + right) / 2),
                  static_cast<int>((static_cast<long long>(top) + bottom) / 2));
  }

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
  BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
  BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }
  BOOL EqualRect(LPCRECT lpRect) const { return ::EqualRect(this, lpRect); }

  void SetRect(int x1, int y1, int x2, int y2) { ::SetRect(this, x1, y1, x2, y2); }
  void SetRectEmpty() { ::SetRectEmpty(this); }
  void CopyRect(LPCRECT lpSrcRect) { ::CopyRect(this, lpSrcRect); }
  void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
  void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
  void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
  void OffsetRect(POINT point) { ::OffsetRect(this, point.x, point.y); }
  // Swaps the sides so that left <= right and top <= bottom.
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  BOOL IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) {
    return ::IntersectRect(this, lpRect1, lpRect2);
  }
  BOOL UnionRect(LPCRECT lpRect1, LPCRECT lpRect2) { return ::UnionRect(this, lpRect1, lpRect2); }

  // Two CRects compare through the exact overloads: with only the RECT ones, C++20's
  // reversed candidates would make rcA != rcB ambiguous.
  bool operator==(const RECT& rect) const { return ::EqualRect(this, &rect) != FALSE; }
  bool operator!=(const RECT& rect) const { return !(*this == rect); }
  bool operator==(const CRect& rect) const { return *this == static_cast<const RECT&>(rect); }
  bool operator!=(const CRect& rect) const { return !(*this == rect); }
  void operator+=(POINT point) { OffsetRect(point); }
  void operator-=(POINT point) { OffsetRect(-point.x, -point.y); }
  void operator&=(const RECT& rect) { ::IntersectRect(this, this, &rect); }
  void operator|=(const RECT& rect) { ::UnionRect(this, this, &rect); }
  CRect operator+(POINT point) const {
    CRect r(*this);
    r.OffsetRect(point);
    return r;
  }
  CRect operator&(const RECT& rect) const {
    CRect r;
    ::IntersectRect(&r, this, &rect);
    return r;
  }
  CRect operator|(const RECT& rect) const {
    CRect r;
    ::UnionRect(&r, this, &rect);
    return r;
  }
};
