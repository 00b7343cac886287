#include <afxwin.h>
#include <platform/printer.h>
#include <platform/surface.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class CDCTest : public ::testing::Test {
 protected:
  void SetUp() override { m_live = platform::testing::LiveGdiObjects(); }
  void TearDown() override {
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
  }
  HDC NewDC() { return platform::CreateSurfaceDC(m_surface, POINT{0, 0}, RECT{0, 0, 2, 2}); }

  std::size_t m_live = 0;
  platform::Surface m_surface{2, 2};
};

TEST_F(CDCTest, AttachedContextIsDeletedWithTheObject) {
  {
    CDC dc;
    EXPECT_EQ(dc.GetSafeHdc(), nullptr);
    EXPECT_FALSE(dc.Attach(nullptr));
    HDC hdc = NewDC();
    EXPECT_TRUE(dc.Attach(hdc));
    EXPECT_EQ(dc.m_hAttribDC, hdc);
    HDC other = NewDC();
    EXPECT_FALSE(dc.Attach(other));
    ::DeleteDC(other);
    EXPECT_EQ(static_cast<HDC>(dc), hdc);
  }
  EXPECT_EQ(platform::testing::LiveGdiObjects(), m_live);

  CDC dc;
  HDC hdc = NewDC();
  dc.Attach(hdc);
  EXPECT_EQ(dc.Detach(), hdc);
  EXPECT_EQ(dc.m_hAttribDC, nullptr);
  EXPECT_FALSE(dc.DeleteDC());
  EXPECT_TRUE(::DeleteDC(hdc));
  dc.Attach(NewDC());
  EXPECT_TRUE(dc.DeleteDC());
}

TEST_F(CDCTest, FromHandleWrapsWithoutOwning) {
  EXPECT_EQ(CDC::FromHandle(nullptr), nullptr);
  HDC hdc = NewDC();
  CDC* temporary = CDC::FromHandle(hdc);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(temporary->GetSafeHdc(), hdc);
  EXPECT_EQ(CDC::FromHandle(hdc), temporary);
  CDC::DeleteTempMap();
  EXPECT_EQ(GetDeviceCaps(hdc, LOGPIXELSX), 96);  // still alive
  CDC permanent;
  permanent.Attach(hdc);
  EXPECT_EQ(CDC::FromHandle(hdc), &permanent);
}

TEST_F(CDCTest, QueriesGoToTheAttributeContextAndModesToBoth) {
  HDC output = platform::CreatePrinterDC(platform::PrinterSetup{});
  HDC attribute = platform::CreatePrinterDC(platform::PrinterSetup{8.5, 11, 300, ""});
  CDC dc;
  dc.Attach(output);
  dc.m_hAttribDC = attribute;
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(dc.SetMapMode(MM_TWIPS), MM_TEXT);
  EXPECT_EQ(GetMapMode(output), MM_TWIPS);
  EXPECT_EQ(dc.GetMapMode(), MM_TWIPS);
  EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(GetStretchBltMode(output), COLORONCOLOR);
  EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
  dc.m_hAttribDC = output;
  ::DeleteDC(attribute);
}

TEST_F(CDCTest, SelectPaletteReturnsThePreviousPaletteObject) {
  CDC dc;
  dc.Attach(NewDC());
  LOGPALETTE logical{0x300, 1, {{1, 2, 3, 0}}};
  CPalette palette;
  palette.CreatePalette(&logical);
  CPalette* previous = dc.SelectPalette(&palette, TRUE);
  ASSERT_NE(previous, nullptr);  // a temporary wrapper of the stock palette
  EXPECT_EQ(previous->GetSafeHandle(), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(dc.RealizePalette(), 0u);                   // true-colour screen
  EXPECT_EQ(dc.SelectPalette(nullptr, TRUE), nullptr);  // no palette: nothing changes
  EXPECT_EQ(dc.SelectPalette(previous, FALSE), &palette);
}

TEST_F(CDCTest, PrintsThroughTheFramework) {
  std::vector<platform::PrintJobRecord> jobs;
  platform::SetPrintJobListener([&](const platform::PrintJobRecord& job) { jobs.push_back(job); });
  CDC dc;
  dc.Attach(platform::CreatePrinterDC(platform::PrinterSetup{}));
  EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 5100);
  EXPECT_GT(dc.StartDoc("M0A1B2C3.JPG"), 0);
  EXPECT_GT(dc.StartPage(), 0);
  EXPECT_GT(dc.EndPage(), 0);
  EXPECT_GT(dc.EndDoc(), 0);
  DOCINFO info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  info.lpszDocName = "second";
  EXPECT_GT(dc.StartDoc(&info), 0);
  EXPECT_GT(dc.AbortDoc(), 0);
  EXPECT_EQ(dc.EndPage(), SP_ERROR);
  platform::SetPrintJobListener(nullptr);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].documentName, "M0A1B2C3.JPG");
  EXPECT_EQ(jobs[0].pages.size(), 1u);
  EXPECT_TRUE(jobs[1].aborted);
}

}  // namespace
