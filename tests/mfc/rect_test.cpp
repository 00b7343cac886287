#include <afxwin.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(CRectTest, StartsEmptyAndMeasuresItsSides) {
  CRect empty;
  EXPECT_TRUE(empty.IsRectNull());
  EXPECT_TRUE(empty.IsRectEmpty());
  CRect r(10, 20, 50, 80);
  EXPECT_EQ(r.Width(), 40);
  EXPECT_EQ(r.Height(), 60);
  EXPECT_EQ(r.Size(), CSize(40, 60));
  EXPECT_EQ(r.TopLeft(), CPoint(10, 20));
  EXPECT_EQ(r.BottomRight(), CPoint(50, 80));
  EXPECT_EQ(r.CenterPoint(), CPoint(30, 50));
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(r.PtInRect(CPoint(50, 20)));
  CRect huge(INT_MIN, 0, INT_MAX, 0);
  EXPECT_EQ(huge.CenterPoint().x, 0);
}

TEST(CRectTest, NormalizeSwapsReversedSides) {
  CRect r(50, 80, 10, 20);
  EXPECT_EQ(r.Width(), -40);
  r.NormalizeRect();
  EXPECT_EQ(r, CRect(10, 20, 50, 80));
}

TEST(CRectTest, PassesAsAnLprectAndCombines) {
  CRect r;
  ::SetRect(r, 0, 0, 10, 10);  // operator LPRECT
  EXPECT_EQ(r, CRect(0, 0, 10, 10));
  CRect other(5, 5, 20, 20);
  EXPECT_EQ(r & other, CRect(5, 5, 10, 10));
  EXPECT_EQ(r | other, CRect(0, 0, 20, 20));
  r.InflateRect(2, 3);
  EXPECT_EQ(r, CRect(-2, -3, 12, 13));
  r.DeflateRect(2, 3);
  r.OffsetRect(CPoint(1, 1));
  EXPECT_EQ(r, CRect(1, 1, 11, 11));
  EXPECT_EQ(r + CPoint(1, 2), CRect(2, 3, 12, 13));
  CRect apart(100, 100, 110, 110);
  EXPECT_FALSE(r.IntersectRect(r, apart));
  EXPECT_TRUE(r.IsRectEmpty());
  RECT plain{1, 2, 3, 4};
  EXPECT_EQ(CRect(plain), CRect(&plain));
  EXPECT_EQ(CRect(CPoint(1, 2), CSize(2, 2)), CRect(1, 2, 3, 4));
}

}  // namespace
