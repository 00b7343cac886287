// The framework's CListBox over the list box control.
#include "../support/dialogtesting.h"

#include <afxwin.h>

namespace dialogtesting {
namespace {

using CListBoxTest = DialogTest;

TEST_F(CListBoxTest, TextOfABadIndexIsEmpty) {
  HWND parent = MakeParent();
  CListBox list;
  ASSERT_TRUE(list.Attach(MakeControl(parent, "LISTBOX", LBS_SORT, kListId, RECT{0, 0, 90, 90})));
  EXPECT_EQ(list.AddString("b"), 0);
  EXPECT_EQ(list.AddString("a"), 0);
  EXPECT_EQ(list.GetCount(), 2);
  CString text("stale");
  list.GetText(5, text);
  EXPECT_TRUE(text.IsEmpty());
  list.GetText(1, text);
  EXPECT_STREQ(text, "b");
  EXPECT_EQ(list.GetTextLen(1), 1);
  list.ResetContent();
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace dialogtesting
