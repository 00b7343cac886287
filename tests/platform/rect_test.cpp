#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

bool Is(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

TEST(RectTest, IntersectAndUnionTreatEmptyRectanglesAsNothing) {
  RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, empty{3, 3, 3, 9}, r;
  EXPECT_TRUE(IntersectRect(&r, &a, &b));
  EXPECT_TRUE(Is(r, 5, 5, 10, 10));
  RECT apart{20, 20, 30, 30};
  EXPECT_FALSE(IntersectRect(&r, &a, &apart));
  EXPECT_TRUE(Is(r, 0, 0, 0, 0));
  EXPECT_FALSE(IntersectRect(&r, &a, &empty));
  EXPECT_TRUE(UnionRect(&r, &a, &empty));
  EXPECT_TRUE(Is(r, 0, 0, 10, 10));
  EXPECT_TRUE(UnionRect(&r, &a, &apart));
  EXPECT_TRUE(Is(r, 0, 0, 30, 30));
  EXPECT_FALSE(UnionRect(&r, &empty, &empty));
  EXPECT_TRUE(IsRectEmpty(&r));
  EXPECT_TRUE(IsRectEmpty(nullptr));
  EXPECT_FALSE(IntersectRect(nullptr, &a, &b));
}

TEST(RectTest, PointsInsideExcludeRightAndBottom) {
  RECT a{0, 0, 10, 10};
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  EXPECT_TRUE(PtInRect(&a, POINT{9, 9}));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
  EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
}

TEST(RectTest, OffsetAndInflateClampInsteadOfOverflowing) {
  RECT r{INT_MAX - 5, 0, INT_MAX - 1, 10};
  EXPECT_TRUE(OffsetRect(&r, 100, -3));
  EXPECT_TRUE(Is(r, INT_MAX, -3, INT_MAX, 7));
  RECT s{INT_MIN + 1, 0, 0, 10};
  EXPECT_TRUE(InflateRect(&s, 10, 2));
  EXPECT_TRUE(Is(s, INT_MIN, -2, 10, 12));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
  RECT t;
  EXPECT_TRUE(SetRect(&t, 1, 2, 3, 4));
  RECT u;
  EXPECT_TRUE(CopyRect(&u, &t));
  EXPECT_TRUE(EqualRect(&t, &u));
  EXPECT_TRUE(SetRectEmpty(&u));
  EXPECT_FALSE(EqualRect(&t, &u));
}

}  // namespace
