// The framework's CPrintDialog over the comdlg32 stand-in: the printer and the copies
// the person chose.
#include <afxdlgs.h>
#include <gtest/gtest.h>

#include "../support/answering_person.h"

namespace {

using testsupport::AnsweringPerson;
using testsupport::Printer;

TEST(CPrintDialogTest, APrintDialogReturnsThePrinterAndTheCopies) {
  AnsweringPerson person;
  person.printerAnswers = {Printer(150, 3, "")};
  CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS |
                                 PD_HIDEPRINTTOFILE | PD_NOSELECTION);
  EXPECT_EQ(dialog.m_pd.Flags, 0x14000Cu | PD_RETURNDC);
  EXPECT_EQ(dialog.GetPrinterDC(), nullptr);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  ASSERT_EQ(person.printers.size(), 1u);
  EXPECT_EQ(person.printers[0].flags, 0x14000Cu);
  EXPECT_EQ(dialog.GetCopies(), 3);
  HDC printer = dialog.GetPrinterDC();
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(GetDeviceCaps(printer, LOGPIXELSY), 150);
  EXPECT_TRUE(DeleteDC(printer));
}

TEST(CPrintDialogTest, CancelAndPrintSetupGiveNoPrinter) {
  AnsweringPerson person;
  CPrintDialog cancelled(FALSE);
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetPrinterDC(), nullptr);

  person.printerAnswers = {Printer(600, 1)};
  CPrintDialog setup(TRUE);
  EXPECT_NE(setup.m_pd.Flags & PD_PRINTSETUP, 0u);
  EXPECT_EQ(setup.m_pd.Flags & (PD_RETURNDC | PD_RETURNIC), 0u);
  EXPECT_EQ(setup.DoModal(), IDOK);
  EXPECT_EQ(setup.GetPrinterDC(), nullptr);
  EXPECT_NE(person.printers[1].flags & PD_PRINTSETUP, 0u);
}

}  // namespace
