#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

TEST(CPointTest, MouseCoordinatesAreSignedHalves) {
  CPoint p(static_cast<DWORD>(MAKELPARAM(-3, 40000)));
  EXPECT_EQ(p.x, -3);
  EXPECT_EQ(p.y, 40000 - 65536);
  CPoint q;
  EXPECT_EQ(q, CPoint(0, 0));
}

TEST(CPointTest, ArithmeticWithSizesAndPoints) {
  CPoint p(10, 20);
  p.Offset(1, 2);
  EXPECT_EQ(p, CPoint(11, 22));
  p += CSize(4, 4);
  EXPECT_EQ(p, CPoint(15, 26));
  EXPECT_EQ(p - CPoint(5, 6), CSize(10, 20));
  EXPECT_EQ(p - CSize(5, 6), CPoint(10, 20));
  EXPECT_EQ(-p, CPoint(-15, -26));
  EXPECT_NE(p, CPoint(15, 25));
  CSize s(3, 4);
  s += CSize(1, 1);
  EXPECT_EQ(s, CSize(4, 5));
  EXPECT_EQ(s - CSize(4, 5), CSize());
}

}  // namespace
