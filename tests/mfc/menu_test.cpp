// The framework's CMenu over the user32 stand-in: the menu it owns, and the chosen
// command reaching the owner's message map.
#include <afxwin.h>
#include <gtest/gtest.h>

#include "../support/answering_person.h"

namespace {

using testsupport::AnsweringPerson;

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

}  // namespace
