// The list box control: sorting, selection, limits, the mouse, the keys, the scroll
// bar and painting.
#include "../support/dialogtesting.h"

#include <platform/surface.h>

namespace dialogtesting {
namespace {

constexpr int kRow = 13;

class ListBoxTest : public DialogTest {
 protected:
  // A list at (10, 10) showing `rows` whole entries inside its 1-pixel border.
  HWND MakeList(DWORD style, int rows = 5) {
    m_parent = MakeParent();
    return MakeControl(m_parent, "LISTBOX", style | WS_BORDER, kListId,
                       RECT{10, 10, 130, 10 + rows * kRow + 2});
  }
  LRESULT Send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(list, message, wParam, lParam);
  }
  LRESULT Add(HWND list, const char* text) {
    return Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  void Click(HWND list, int row, UINT message = WM_LBUTTONDOWN) {
    Send(list, message, MK_LBUTTON, MAKELPARAM(20, row * kRow + 6));
  }

  HWND m_parent = nullptr;
};

TEST_F(ListBoxTest, SortedListPlacesEntriesIgnoringCaseAfterTheirEquals) {
  HWND list = MakeList(LBS_SORT);
  EXPECT_EQ(Add(list, "beta"), 0);
  EXPECT_EQ(Add(list, "Alpha"), 0);
  EXPECT_EQ(Add(list, "gamma"), 2);
  EXPECT_EQ(Add(list, "ALPHA"), 1);
  EXPECT_EQ(Add(list, "Beta2"), 3);
  EXPECT_EQ(Add(list, ""), 0);
  EXPECT_EQ(Entries(list),
            (std::vector<std::string>{"", "Alpha", "ALPHA", "beta", "Beta2", "gamma"}));
}

TEST_F(ListBoxTest, UnsortedListAppendsAndTheSelectionStaysOnItsEntry) {
  HWND plain = MakeList(0);
  AddEntries(plain, {"b", "a"});
  EXPECT_EQ(Entries(plain), (std::vector<std::string>{"b", "a"}));

  HWND sorted = MakeControl(m_parent, "LISTBOX", LBS_SORT, 7, RECT{0, 0, 50, 50});
  AddEntries(sorted, {"m"});
  EXPECT_EQ(Send(sorted, LB_SETCURSEL, 0), 0);
  Add(sorted, "a");
  EXPECT_EQ(Send(sorted, LB_GETCURSEL), 1);
  Add(sorted, "z");
  EXPECT_EQ(Send(sorted, LB_GETCURSEL), 1);
}

TEST_F(ListBoxTest, RefusesBadIndexesAndArguments) {
  HWND list = MakeList(0);
  AddEntries(list, {"one", "two"});
  char buffer[8] = "unset";
  EXPECT_EQ(Send(list, LB_ADDSTRING, 0, 0), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
  EXPECT_STREQ(buffer, "unset");
  EXPECT_EQ(Send(list, LB_GETTEXT, 0, 0), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(-5)), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_STREQ(buffer, "two");

  EXPECT_EQ(Send(list, LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(Send(list, LB_SETCURSEL, 1), 1);
  EXPECT_EQ(Send(list, LB_SETCURSEL, 2), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 1);
  EXPECT_EQ(Send(list, LB_SETCURSEL, static_cast<WPARAM>(-1)), LB_ERR);  // and nothing is selected
  EXPECT_EQ(Send(list, LB_GETCURSEL), LB_ERR);

  RECT rect;
  EXPECT_EQ(Send(list, LB_SETTOPINDEX, 2), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect)), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETITEMRECT, 0, 0), LB_ERR);
}

TEST_F(ListBoxTest, HoldsAtMost32767EntriesUntilReset) {
  HWND list = MakeList(LBS_SORT);
  for (int i = 0; i < 32767; ++i) ASSERT_GE(Add(list, "same"), 0);
  EXPECT_EQ(Add(list, "more"), LB_ERRSPACE);
  EXPECT_EQ(Send(list, LB_GETCOUNT), 32767);
  Send(list, LB_SETCURSEL, 32766);
  EXPECT_EQ(Send(list, LB_RESETCONTENT), LB_OKAY);
  EXPECT_EQ(Send(list, LB_GETCOUNT), 0);
  EXPECT_EQ(Send(list, LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 0);
  EXPECT_EQ(Add(list, "more"), 0);
}

TEST_F(ListBoxTest, ClicksSelectAndNotifyChangesAndDoubleClicks) {
  HWND list = MakeList(LBS_NOTIFY);
  AddEntries(list, {"a", "b", "c"});
  Send(list, LB_SETCURSEL, 0);  // a program's choice: no notification
  Click(list, 2);
  Click(list, 2);  // no change
  Click(list, 4);  // below the entries
  Click(list, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 2);
  EXPECT_EQ(Commands(),
            (std::vector<Command>{{kListId, LBN_SELCHANGE, list}, {kListId, LBN_DBLCLK, list}}));

  Commands().clear();
  HWND quiet = MakeControl(m_parent, "LISTBOX", 0, 8, RECT{200, 10, 300, 100});
  AddEntries(quiet, {"a", "b"});
  Click(quiet, 1);
  Click(quiet, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(Send(quiet, LB_GETCURSEL), 1);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(ListBoxTest, KeysMoveTheSelectionWithinTheList) {
  HWND list = MakeList(LBS_NOTIFY, 3);
  AddEntries(list, {"0", "1", "2", "3", "4", "5", "6"});
  const std::vector<std::pair<UINT, int>> steps = {{VK_UP, 0},   {VK_DOWN, 1}, {VK_NEXT, 4},
                                                   {VK_END, 6},  {VK_DOWN, 6}, {VK_PRIOR, 3},
                                                   {VK_HOME, 0}, {VK_UP, 0},   {'A', 0}};
  for (const auto& [key, selected] : steps) {
    Send(list, WM_KEYDOWN, key);
    EXPECT_EQ(Send(list, LB_GETCURSEL), selected) << "key " << key;
  }
  EXPECT_EQ(Commands().size(), 6u);  // one for each change
}

TEST_F(ListBoxTest, TheSelectionStaysInViewAndTheScrollBarFollowsTheTop) {
  HWND list = MakeList(WS_VSCROLL, 5);
  for (int i = 0; i < 20; ++i) Add(list, std::to_string(i).c_str());
  auto bar = [&] {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(list, SB_VERT, &info);
    return std::vector<int>{info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos};
  };
  Send(list, LB_SETCURSEL, 12);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 8);
  EXPECT_EQ(bar(), (std::vector<int>{0, 19, 5, 8}));
  Send(list, LB_SETCURSEL, 3);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 3);
  EXPECT_EQ(Send(list, LB_SETTOPINDEX, 19), LB_OKAY);
  EXPECT_EQ(Send(list, LB_GETTOPINDEX), 15);  // no space below the last entry

  const std::vector<std::pair<WPARAM, int>> scrolls = {
      {SB_LINEUP, 14},  {SB_PAGEUP, 9},    {SB_TOP, 0},    {MAKEWPARAM(SB_THUMBTRACK, 7), 7},
      {SB_LINEDOWN, 8}, {SB_PAGEDOWN, 13}, {SB_BOTTOM, 15}};
  for (const auto& [code, top] : scrolls) {
    Send(list, WM_VSCROLL, code);
    EXPECT_EQ(Send(list, LB_GETTOPINDEX), top) << "code " << code;
    EXPECT_EQ(bar()[3], top);
  }
  RECT rect;
  ASSERT_EQ(Send(list, LB_GETITEMRECT, 16, reinterpret_cast<LPARAM>(&rect)), LB_OKAY);
  EXPECT_EQ(rect.top, kRow);
  EXPECT_EQ(rect.bottom, 2 * kRow);
  Click(list, 1);
  EXPECT_EQ(Send(list, LB_GETCURSEL), 16);

  // Everything in view: the bar goes and gives its width back to the entries.
  Send(list, LB_RESETCONTENT);
  AddEntries(list, {"x", "y"});
  RECT client;
  GetClientRect(list, &client);
  EXPECT_EQ(client.right, 118);
}

TEST_F(ListBoxTest, PaintsTheSelectedRowAsABar) {
  HWND list = MakeList(0);
  AddEntries(list, {"a", "b", "c"});
  Send(list, LB_SETCURSEL, 1);
  UpdateWindow(m_parent);
  std::unique_ptr<platform::Surface> shot = platform::CaptureWindow(list);
  ASSERT_NE(shot, nullptr);
  const std::uint32_t selected = shot->Row(1 + kRow + 6)[20];
  const std::uint32_t other = shot->Row(1 + 2 * kRow + 6)[20];
  EXPECT_NE(selected, other);
  EXPECT_EQ(shot->Row(1 + 6)[20], other);
}

}  // namespace
}  // namespace dialogtesting
