// Buttons: clicks by message and by mouse reach the parent; group boxes stay silent.
#include "../support/dialogtesting.h"

namespace dialogtesting {
namespace {

using ButtonTest = DialogTest;

TEST_F(ButtonTest, AClickNotifiesTheParent) {
  HWND parent = MakeParent();
  HWND ok = MakeControl(parent, "BUTTON", BS_DEFPUSHBUTTON, IDOK, RECT{10, 10, 60, 30}, "OK");
  HWND other = MakeControl(parent, "Button", BS_PUSHBUTTON, 7, RECT{70, 10, 120, 30}, "Other");
  SendMessageA(ok, BM_CLICK, 0, 0);
  SendMessageA(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(other, WM_LBUTTONUP, 0, MAKELPARAM(49, 19));
  EXPECT_EQ(Commands(), (std::vector<Command>{{IDOK, BN_CLICKED, ok}, {7, BN_CLICKED, other}}));
}

TEST_F(ButtonTest, ReleasingElsewhereOrWithoutAPressIsNoClick) {
  HWND parent = MakeParent();
  HWND button = MakeControl(parent, "BUTTON", BS_PUSHBUTTON, 7, RECT{10, 10, 60, 30});
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(60, 3));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  HWND group = MakeControl(parent, "BUTTON", BS_GROUPBOX, -1, RECT{0, 40, 200, 200}, "Group");
  SendMessageA(group, BM_CLICK, 0, 0);
  EXPECT_TRUE(Commands().empty());
}

}  // namespace
}  // namespace dialogtesting
