#include <afxwin.h>
#include <platform/surface.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

namespace {

HPALETTE NewPalette() {
  LOGPALETTE logical{0x300, 1, {{10, 20, 30, 0}}};
  return CreatePalette(&logical);
}

class CGdiObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { m_live = platform::testing::LiveGdiObjects(); }
  void TearDown() override { CGdiObject::DeleteTempMap(); }
  std::size_t m_live = 0;
};

TEST_F(CGdiObjectTest, AttachTakesOneHandleAndTheDestructorDeletesIt) {
  {
    CGdiObject object;
    EXPECT_FALSE(object.Attach(nullptr));
    HPALETTE first = NewPalette();
    EXPECT_TRUE(object.Attach(first));
    EXPECT_EQ(object.GetSafeHandle(), first);
    HPALETTE second = NewPalette();
    EXPECT_FALSE(object.Attach(second));  // already attached
    EXPECT_EQ(static_cast<HGDIOBJ>(object), first);
    ::DeleteObject(second);
    EXPECT_EQ(platform::testing::LiveGdiObjects(), m_live + 1);
  }
  EXPECT_EQ(platform::testing::LiveGdiObjects(), m_live);
}

TEST_F(CGdiObjectTest, DetachHandsTheObjectBack) {
  HPALETTE palette = NewPalette();
  {
    CGdiObject object;
    object.Attach(palette);
    EXPECT_EQ(object.Detach(), palette);
    EXPECT_EQ(object.GetSafeHandle(), nullptr);
    EXPECT_FALSE(object.DeleteObject());
  }
  EXPECT_EQ(GetObjectType(palette), static_cast<DWORD>(OBJ_PAL));  // still alive
  EXPECT_TRUE(::DeleteObject(palette));
}

TEST_F(CGdiObjectTest, DeleteObjectReportsWhatGdiSays) {
  platform::Surface surface(1, 1);
  HDC dc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 1, 1});
  HPALETTE palette = NewPalette();
  CGdiObject object;
  object.Attach(palette);
  HPALETTE stock = SelectPalette(dc, palette, FALSE);
  EXPECT_FALSE(object.DeleteObject());  // selected: GDI refuses, the handle is let go
  EXPECT_EQ(object.GetSafeHandle(), nullptr);
  SelectPalette(dc, stock, FALSE);
  EXPECT_TRUE(::DeleteObject(palette));
  DeleteDC(dc);
}

TEST_F(CGdiObjectTest, FromHandleFindsTheAttachedObjectOrMakesATemporaryOne) {
  EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
  CPalette attached;
  HPALETTE palette = NewPalette();
  attached.Attach(palette);
  EXPECT_EQ(CGdiObject::FromHandle(palette), &attached);

  HPALETTE loose = NewPalette();
  CGdiObject* temporary = CGdiObject::FromHandle(loose);
  ASSERT_NE(temporary, nullptr);
  EXPECT_TRUE(temporary->IsKindOf(RUNTIME_CLASS(CPalette)));
  EXPECT_EQ(temporary->GetSafeHandle(), loose);
  EXPECT_EQ(CGdiObject::FromHandle(loose), temporary);
  CGdiObject::DeleteTempMap();
  EXPECT_EQ(GetObjectType(loose), static_cast<DWORD>(OBJ_PAL));  // temporaries own nothing
  EXPECT_EQ(CGdiObject::FromHandle(palette), &attached);
  ::DeleteObject(loose);
}

TEST_F(CGdiObjectTest, RuntimeClassesFollowTheFramework) {
  CGdiObject object;
  CPalette palette;
  EXPECT_STREQ(object.GetRuntimeClass()->m_lpszClassName, "CGdiObject");
  EXPECT_STREQ(palette.GetRuntimeClass()->m_lpszClassName, "CPalette");
  EXPECT_TRUE(palette.IsKindOf(RUNTIME_CLASS(CGdiObject)));
  EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CPalette)));
  CObject* created = RUNTIME_CLASS(CGdiObject)->CreateObject();
  ASSERT_NE(created, nullptr);
  delete created;
}

}  // namespace
