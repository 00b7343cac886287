// The person's view of a dialog, and the modal loop that hands it over.
#include "../support/dialogtesting.h"

namespace dialogtesting {
namespace {

using Kind = platform::DialogControl::Kind;

class DialogViewTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_dialog = MakeDialog(ChooserLikeTemplate());
    m_list = GetDlgItem(m_dialog, kListId);
  }

  HWND m_dialog = nullptr;
  HWND m_list = nullptr;
};

TEST_F(DialogViewTest, ShowsEveryControlAsItIs) {
  AddEntries(m_list, {"b", "a"});
  SendMessageA(m_list, LB_SETCURSEL, 1, 0);
  platform::DialogView view(m_dialog);
  EXPECT_EQ(view.Caption(), "Sample Dialog");
  std::vector<platform::DialogControl> controls = view.Controls();
  ASSERT_EQ(controls.size(), 4u);
  EXPECT_EQ(controls[0].kind, Kind::kDefaultButton);
  EXPECT_EQ(controls[0].text, "OK");
  EXPECT_EQ(controls[1].kind, Kind::kPushButton);
  EXPECT_EQ(controls[1].id, IDCANCEL);
  EXPECT_EQ(controls[2].kind, Kind::kGroupBox);
  EXPECT_EQ(controls[2].id, -1);
  EXPECT_EQ(controls[2].text, "Pick one");
  EXPECT_EQ(controls[3].kind, Kind::kListBox);
  EXPECT_EQ(controls[3].hwnd, m_list);
  EXPECT_EQ(controls[3].items, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(controls[3].selection, 1);
}

TEST_F(DialogViewTest, TheMouseWorksTheControlsAndScrollsEntriesIntoView) {
  for (int i = 0; i < 30; ++i) AddEntries(m_list, {"entry " + std::to_string(100 + i)});
  platform::DialogView view(m_dialog);
  EXPECT_TRUE(view.ClickItem(kListId, 25));
  EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 25);
  EXPECT_GT(SendMessageA(m_list, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_TRUE(view.DoubleClickItem(kListId, 0));
  EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(m_list, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_TRUE(view.PressKey(VK_DOWN, kListId));
  EXPECT_EQ(Commands(), (std::vector<Command>{{kListId, LBN_SELCHANGE, m_list},
                                              {kListId, LBN_SELCHANGE, m_list},
                                              {kListId, LBN_DBLCLK, m_list},
                                              {kListId, LBN_SELCHANGE, m_list}}));

  EXPECT_FALSE(view.ClickItem(kListId, 30));
  EXPECT_FALSE(view.DoubleClickItem(kListId, -1));
  EXPECT_FALSE(view.ClickItem(IDOK, 0));
  EXPECT_FALSE(view.Click(kListId));
  EXPECT_FALSE(view.Click(-1));  // the group box
  EXPECT_FALSE(view.PressKey(VK_DOWN, 99));
  EXPECT_FALSE(view.Ended());
  EXPECT_TRUE(view.Click(IDCANCEL));
  EXPECT_TRUE(view.Ended());
}

TEST_F(DialogViewTest, TheKeysAndTheCloseBoxGoThroughTheDialog) {
  platform::DialogView view(m_dialog);
  EXPECT_TRUE(view.PressKey(VK_RETURN, kListId));
  EXPECT_TRUE(view.PressKey(VK_ESCAPE));
  view.Close();
  EXPECT_EQ(Commands(),
            (std::vector<Command>{{IDOK, BN_CLICKED, GetDlgItem(m_dialog, IDOK)},
                                  {IDCANCEL, BN_CLICKED, GetDlgItem(m_dialog, IDCANCEL)},
                                  {IDCANCEL, BN_CLICKED, GetDlgItem(m_dialog, IDCANCEL)}}));
  DestroyWindow(m_dialog);
  EXPECT_TRUE(view.Ended());
  EXPECT_FALSE(view.PressKey(VK_RETURN));
  view.Close();  // nothing left to close
}

INT_PTR CALLBACK StubbornDlgProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_COMMAND;  // handles every command, ends on none
}

TEST_F(DialogViewTest, TheModalLoopAlwaysReturns) {
  ScriptedPerson person([](platform::DialogView& view) { view.ClickItem(kListId, 0); });
  EXPECT_EQ(platform::RunModalDialog(m_dialog), IDCANCEL);  // left open: closed
  EXPECT_EQ(Commands(),
            (std::vector<Command>{{IDCANCEL, BN_CLICKED, GetDlgItem(m_dialog, IDCANCEL)}}));
  EXPECT_EQ(person.m_runs, 1);

  HWND stubborn = MakeDialog(ChooserLikeTemplate(), nullptr, StubbornDlgProc);
  EXPECT_EQ(platform::RunModalDialog(stubborn), IDCANCEL);

  HWND confirmed = MakeDialog(ChooserLikeTemplate());
  person.m_script = [](platform::DialogView& view) { view.PressKey(VK_RETURN); };
  EXPECT_EQ(platform::RunModalDialog(confirmed), IDOK);

  HWND destroyed = MakeDialog(ChooserLikeTemplate());
  person.m_script = [](platform::DialogView& view) { DestroyWindow(view.Handle()); };
  EXPECT_EQ(platform::RunModalDialog(destroyed), -1);
}

}  // namespace
}  // namespace dialogtesting
