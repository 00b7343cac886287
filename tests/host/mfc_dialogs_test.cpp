// The framework's CMenu, CFileDialog and CPrintDialog over the user32 and comdlg32
// stand-ins: what they hand the person, and what they give back.
#include <afxdlgs.h>
#include <gtest/gtest.h>
#include <platform/printer.h>

#include <string>

#include "answering_person.h"

namespace hosttest {
namespace {

class CommandWnd : public CWnd {
 public:
  UINT m_nLastCommand = 0;

 protected:
  afx_msg void OnSave() { m_nLastCommand = 1002; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CommandWnd, CWnd)
ON_COMMAND(1002, OnSave)
END_MESSAGE_MAP()

TEST(CMenuTest, OwnsTheMenuItHolds) {
  HMENU held = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_FALSE(menu.CreatePopupMenu());  // would lose the first one
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 1000, "View"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_EQ(menu.GetMenuItemCount(), 2u);
    EXPECT_EQ(menu.GetMenuItemID(0), 1000u);
    held = menu;
  }
  EXPECT_FALSE(IsMenu(held));

  HMENU kept = CreatePopupMenu();
  {
    CMenu menu;
    ASSERT_TRUE(menu.Attach(kept));
    EXPECT_EQ(menu.Detach(), kept);
  }
  EXPECT_TRUE(IsMenu(kept));
  DestroyMenu(kept);
}

TEST(CMenuTest, AttachRefusesWhatIsNotAMenu) {
  CMenu menu;
  EXPECT_FALSE(menu.Attach(nullptr));
  HMENU gone = CreatePopupMenu();
  DestroyMenu(gone);
  EXPECT_FALSE(menu.Attach(gone));
  EXPECT_FALSE(menu.DestroyMenu());
  HMENU first = CreatePopupMenu();
  HMENU second = CreatePopupMenu();
  ASSERT_TRUE(menu.Attach(first));
  EXPECT_FALSE(menu.Attach(second));
  EXPECT_EQ(menu.m_hMenu, first);
  DestroyMenu(second);
}

TEST(CMenuTest, TheChosenCommandReachesTheOwnersMessageMap) {
  AnsweringPerson person;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "cmenu test";
  RegisterClassA(&windowClass);
  CommandWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, "cmenu test", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));

  CMenu menu;
  ASSERT_TRUE(menu.Attach(::CreatePopupMenu()));
  menu.AppendMenu(MF_STRING, 1002, "Save as...");
  person.menuAnswers = {1002};
  EXPECT_TRUE(menu.TrackPopupMenu(TPM_RIGHTBUTTON, 5, 6, &owner));
  EXPECT_EQ(owner.m_nLastCommand, 1002u);
  EXPECT_FALSE(menu.TrackPopupMenu(TPM_RIGHTBUTTON, 5, 6, nullptr));
  EXPECT_EQ(person.menus.size(), 1u);

  owner.DestroyWindow();
  UnregisterClassA("cmenu test", nullptr);
}

TEST(CFileDialogTest, AsksWithTheFilterTheNameAndExactlyTheFlagsGiven) {
  AnsweringPerson person;
  person.fileAnswers = {"/tmp/out/M0A1B2C3"};
  // Temporaries: the dialog keeps its own copies.
  CFileDialog dialog(FALSE, std::string("JPG").c_str(), std::string("M0A1B2C3").c_str(),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     std::string("JPEG (*.JPG)|*.JPG||").c_str());
  EXPECT_EQ(dialog.GetPathName(), CString("M0A1B2C3"));
  ASSERT_EQ(dialog.DoModal(), IDOK);

  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_TRUE(person.files[0].save);
  EXPECT_EQ(person.files[0].filter, "JPEG (*.JPG)|*.JPG||");
  EXPECT_EQ(person.files[0].defaultExtension, "JPG");
  EXPECT_EQ(person.files[0].fileName, "M0A1B2C3");
  EXPECT_EQ(person.files[0].flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

  EXPECT_STREQ(dialog.GetPathName(), "/tmp/out/M0A1B2C3.JPG");
  EXPECT_STREQ(dialog.GetFileName(), "M0A1B2C3.JPG");
  EXPECT_STREQ(dialog.GetFileExt(), "JPG");
  EXPECT_STREQ(dialog.GetFileTitle(), "M0A1B2C3");
}

TEST(CFileDialogTest, CancelIsIdCancelAndAFilterWithoutItsBarsStillEnds) {
  AnsweringPerson person;
  CFileDialog dialog(TRUE, nullptr, nullptr, 0, "TIFF (*.TIF)|*.TIF");
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_FALSE(person.files[0].save);
  EXPECT_EQ(person.files[0].filter, "TIFF (*.TIF)|*.TIF||");
  EXPECT_EQ(person.files[0].defaultExtension, "");
}

TEST(CFileDialogTest, AProposedNameLongerThanAPathIsCut) {
  AnsweringPerson person;
  const std::string longName(400, 'n');
  CFileDialog dialog(FALSE, "JPG", longName.c_str());
  dialog.DoModal();
  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_EQ(person.files[0].fileName, std::string(_MAX_PATH - 1, 'n'));
}

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
}  // namespace hosttest
