// Dialog boxes: making one from a template, the dialog procedure's messages, the
// default dialog procedure and the dialog keys.
#include "../support/dialogtesting.h"

namespace dialogtesting {
namespace {

std::vector<UINT>& DlgProcMessages() {
  static std::vector<UINT> messages;
  return messages;
}

struct InitSeen {
  HWND focus;
  LPARAM param;
  std::size_t controls;
};
InitSeen g_init;

INT_PTR CALLBACK ObservingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DlgProcMessages().push_back(message);
  if (message == WM_INITDIALOG) {
    g_init = {reinterpret_cast<HWND>(wParam), lParam, platform::ChildWindows(dialog).size()};
    return TRUE;
  }
  if (message == WM_USER + 5) {
    SetWindowLongA(dialog, DWLP_MSGRESULT, 42);
    return TRUE;
  }
  return EndingDlgProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK DestroyingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) DestroyWindow(dialog);
  return FALSE;
}

RECT InDialog(HWND dialog, HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  ScreenToClient(dialog, reinterpret_cast<POINT*>(&rect.left));
  ScreenToClient(dialog, reinterpret_cast<POINT*>(&rect.right));
  return rect;
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class DialogBoxTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    DlgProcMessages().clear();
  }
};

TEST_F(DialogBoxTest, IsMadeFromItsTemplateInDialogUnits) {
  HWND dialog = MakeDialog(ChooserLikeTemplate(), nullptr, ObservingDlgProc, 77);
  ASSERT_NE(dialog, nullptr);
  char caption[32];
  GetWindowTextA(dialog, caption, sizeof caption);
  EXPECT_STREQ(caption, "Sample Dialog");
  RECT client;
  RECT window;
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &window);
  // 240 x 137 units of a 6 x 13 font: 360 x 222.6 pixels; centred on the screen.
  EXPECT_TRUE(Same(client, RECT{0, 0, 360, 223}));
  EXPECT_EQ(window.left, (1024 - (window.right - window.left)) / 2);
  EXPECT_EQ(window.top, (768 - (window.bottom - window.top)) / 2);

  HWND ok = GetDlgItem(dialog, IDOK);
  HWND list = GetDlgItem(dialog, kListId);
  EXPECT_TRUE(Same(InDialog(dialog, ok), RECT{260, 37, 335, 60}));  // halves round up
  EXPECT_TRUE(Same(InDialog(dialog, list), RECT{29, 34, 248, 190}));
  EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & (LBS_SORT | LBS_NOTIFY | WS_BORDER | WS_CHILD),
            LBS_SORT | LBS_NOTIFY | WS_BORDER | WS_CHILD);
  RECT units{173, 23, 223, 37};
  ASSERT_TRUE(MapDialogRect(dialog, &units));
  EXPECT_TRUE(Same(units, InDialog(dialog, ok)));

  // The dialog procedure starts with WM_INITDIALOG, when every control exists, and
  // hears of the first tab stop and the creation parameter.
  ASSERT_FALSE(DlgProcMessages().empty());
  EXPECT_EQ(DlgProcMessages().front(), static_cast<UINT>(WM_INITDIALOG));
  EXPECT_EQ(g_init.focus, ok);
  EXPECT_EQ(g_init.param, 77);
  EXPECT_EQ(g_init.controls, 4u);
}

TEST_F(DialogBoxTest, ScalesWithTheFontAndPlacesUncentredDialogsOnTheOwner) {
  HWND owner = MakeParent();
  MoveWindow(owner, 100, 50, 400, 400, FALSE);
  platform::DialogTemplate tmpl = ChooserLikeTemplate();
  tmpl.style &= ~DS_CENTER;
  tmpl.x = 10;
  tmpl.y = 16;
  tmpl.pointSize = 10;  // an 8 x 16 font
  HWND dialog = MakeDialog(tmpl, owner);
  RECT client;
  RECT window;
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &window);
  EXPECT_TRUE(Same(client, RECT{0, 0, 480, 274}));
  POINT origin{0, 0};
  ClientToScreen(owner, &origin);
  EXPECT_EQ(window.left, origin.x + 20);
  EXPECT_EQ(window.top, origin.y + 32);
  EXPECT_EQ(GetParent(dialog), owner);
}

TEST_F(DialogBoxTest, LeavesNothingBehindWhenItCannotBeMade) {
  platform::DialogTemplate tmpl = ChooserLikeTemplate();
  tmpl.items.push_back({5, "NOSUCHCLASS", WS_CHILD, 0, 0, 10, 10, ""});
  EXPECT_EQ(MakeDialog(tmpl, nullptr, ObservingDlgProc), nullptr);
  EXPECT_TRUE(DlgProcMessages().empty());
  EXPECT_EQ(MakeDialog(ChooserLikeTemplate(), nullptr, DestroyingDlgProc), nullptr);
  EXPECT_TRUE(platform::TopLevelWindows().empty());
  SetLastError(0);
  EXPECT_EQ(CreateDialogIndirectParamA(nullptr, nullptr, nullptr, EndingDlgProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DialogBoxTest, DefaultProcedureTurnsTheCloseBoxIntoCancelAndKnowsTheDefaultButton) {
  HWND dialog = MakeDialog(ChooserLikeTemplate(), nullptr, ObservingDlgProc);
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(Commands(), (std::vector<Command>{{IDCANCEL, BN_CLICKED, cancel}}));
  EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
  EXPECT_EQ(SendMessageA(dialog, WM_USER + 5, 0, 0), 42);  // the procedure's DWLP_MSGRESULT

  platform::DialogTemplate plain = ChooserLikeTemplate();
  plain.items.erase(plain.items.begin());
  HWND second = MakeDialog(plain);
  EXPECT_EQ(SendMessageA(second, DM_GETDEFID, 0, 0), 0);
}

TEST_F(DialogBoxTest, EnterAndEscapeBecomeButtonCommands) {
  HWND dialog = MakeDialog(ChooserLikeTemplate());
  HWND list = GetDlgItem(dialog, kListId);
  AddEntries(list, {"a", "b"});
  MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  MSG escape{dialog, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  MSG down{list, WM_KEYDOWN, VK_DOWN, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &enter));
  EXPECT_TRUE(IsDialogMessageA(dialog, &escape));
  EXPECT_TRUE(IsDialogMessageA(dialog, &down));
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Commands(), (std::vector<Command>{{IDOK, BN_CLICKED, GetDlgItem(dialog, IDOK)},
                                              {IDCANCEL, BN_CLICKED, GetDlgItem(dialog, IDCANCEL)},
                                              {kListId, LBN_SELCHANGE, list}}));

  // Without a default button Enter means IDOK; keys for other windows are not the dialog's.
  Commands().clear();
  platform::DialogTemplate plain = ChooserLikeTemplate();
  plain.items.erase(plain.items.begin());
  HWND second = MakeDialog(plain);
  MSG enterSecond{second, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(second, &enterSecond));
  EXPECT_FALSE(IsDialogMessageA(second, &enter));
  EXPECT_EQ(Commands(), (std::vector<Command>{{IDOK, BN_CLICKED, nullptr}}));
}

TEST_F(DialogBoxTest, OnlyDialogsEnd) {
  HWND parent = MakeParent();
  RECT rect{0, 0, 4, 8};
  EXPECT_FALSE(EndDialog(parent, IDOK));
  EXPECT_FALSE(MapDialogRect(parent, &rect));
  MSG msg{parent, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_FALSE(IsDialogMessageA(parent, &msg));
  HWND dialog = MakeDialog(ChooserLikeTemplate());
  EXPECT_TRUE(EndDialog(dialog, 1234));
  EXPECT_TRUE(IsWindow(dialog));  // until the loop destroys it
  EXPECT_EQ(platform::RunModalDialog(dialog), 1234);
  EXPECT_EQ(platform::RunModalDialog(parent), -1);
}

}  // namespace
}  // namespace dialogtesting
