// The pop-up menus of user32: building a menu, typed handles, and TrackPopupMenu
// asking the person and delivering the command.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <utility>

#include "../support/answering_person.h"

namespace {

using testsupport::AnsweringPerson;

struct Received {
  UINT message;
  WPARAM wParam;
};
std::vector<Received> g_received;
std::function<void()> g_onCommand;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    g_received.push_back(Received{message, wParam});
    // Once only, and taken out first: the callback may open another menu.
    if (std::function<void()> callback = std::exchange(g_onCommand, nullptr)) callback();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.lpszClassName = "menu test owner";
    RegisterClassA(&windowClass);
    m_owner = CreateWindowExA(0, "menu test owner", "", WS_POPUP, 10, 20, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(m_owner, nullptr);
    m_menu = CreatePopupMenu();
    ASSERT_NE(m_menu, nullptr);
    g_received.clear();
    g_onCommand = nullptr;
  }
  void TearDown() override {
    if (IsMenu(m_menu)) DestroyMenu(m_menu);
    DestroyWindow(m_owner);
    UnregisterClassA("menu test owner", nullptr);
  }

  // The plug-in's kind of menu: two items, a separator, a disabled item.
  void Fill() {
    ASSERT_TRUE(AppendMenuA(m_menu, MF_STRING, 1000, "View this Image (A.JPG)"));
    ASSERT_TRUE(AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(m_menu, MF_STRING | MF_GRAYED, 1003, "Print..."));
    ASSERT_TRUE(AppendMenuA(m_menu, MF_STRING | MF_CHECKED, 1004, "About \xAE"));
  }

  AnsweringPerson m_person;
  HWND m_owner = nullptr;
  HMENU m_menu = nullptr;
};

TEST_F(MenuTest, ThePersonSeesTheItemsAsAppended) {
  Fill();
  EXPECT_EQ(GetMenuItemCount(m_menu), 4);
  EXPECT_EQ(GetMenuItemID(m_menu, 0), 1000u);
  EXPECT_EQ(GetMenuItemID(m_menu, 1), 0u);
  EXPECT_EQ(GetMenuItemID(m_menu, 4), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuItemID(m_menu, -1), static_cast<UINT>(-1));

  TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 30, 40, 0, m_owner, nullptr);
  ASSERT_EQ(m_person.menus.size(), 1u);
  const platform::MenuQuestion& question = m_person.menus[0];
  EXPECT_EQ(question.point.x, 30);
  EXPECT_EQ(question.point.y, 40);
  EXPECT_EQ(question.flags, static_cast<UINT>(TPM_RIGHTBUTTON));
  EXPECT_EQ(question.owner, m_owner);
  ASSERT_EQ(question.items.size(), 4u);
  EXPECT_EQ(question.items[0].text, "View this Image (A.JPG)");
  EXPECT_EQ(question.items[1].flags, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_TRUE(question.items[1].text.empty());
  EXPECT_EQ(question.items[2].flags, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(question.items[3].text, "About \xAE");  // the bytes as the caller wrote them
  EXPECT_EQ(question.items[3].flags, static_cast<UINT>(MF_CHECKED));
}

TEST_F(MenuTest, StaleAndForeignHandlesFailAsOnWindows) {
  ASSERT_TRUE(DestroyMenu(m_menu));
  SetLastError(0);
  EXPECT_FALSE(DestroyMenu(m_menu));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  EXPECT_FALSE(IsMenu(m_menu));
  EXPECT_FALSE(AppendMenuA(m_menu, MF_STRING, 1, "x"));
  EXPECT_EQ(GetMenuItemCount(m_menu), -1);
  EXPECT_FALSE(TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr));
  EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(m_owner)));
  EXPECT_FALSE(IsMenu(nullptr));
  EXPECT_TRUE(m_person.menus.empty());
  // A new menu never gets a handle that was used before.
  HMENU next = CreatePopupMenu();
  EXPECT_NE(next, m_menu);
  DestroyMenu(next);
}

TEST_F(MenuTest, KindsOfItemNotProvidedAreRefused) {
  HMENU submenu = CreatePopupMenu();
  SetLastError(0);
  EXPECT_FALSE(AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), "Sub"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DestroyMenu(submenu);
  EXPECT_FALSE(AppendMenuA(m_menu, MF_BITMAP, 1, "x"));
  EXPECT_FALSE(AppendMenuA(m_menu, MF_OWNERDRAW, 1, "x"));
  EXPECT_FALSE(AppendMenuA(m_menu, MF_STRING, 1, nullptr));
  EXPECT_EQ(GetMenuItemCount(m_menu), 0);
}

TEST_F(MenuTest, ReturnCmdGivesTheChoiceAndSendsNothing) {
  Fill();
  m_person.menuAnswers = {1000, 0};
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 0, 0, 0, m_owner, nullptr),
            1000);
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr), 0);
  EXPECT_TRUE(g_received.empty());
}

TEST_F(MenuTest, WithoutReturnCmdTheOwnerGetsTheCommandOnceTheMenuHasClosed) {
  Fill();
  m_person.menuAnswers = {1000, 1004};
  // A menu opened from the command handler works, so the first one is closed.
  BOOL nested = -1;
  g_onCommand = [&] {
    nested = TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 0, 0, 0, m_owner, nullptr);
  };
  EXPECT_TRUE(TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 0, 0, 0, m_owner, nullptr));
  EXPECT_TRUE(nested);
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].wParam, MAKEWPARAM(1000, 0));
  EXPECT_EQ(g_received[1].wParam, MAKEWPARAM(1004, 0));
}

TEST_F(MenuTest, ChoicesThatAreNotEnabledItemsCountAsNone) {
  Fill();
  // Cancelled; the disabled item; an id the menu does not have.
  m_person.menuAnswers = {0, 1003, 1001};
  SetLastError(123);
  EXPECT_FALSE(TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 0, 0, 0, m_owner, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 0, 0, 0, m_owner, nullptr));
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr), 0);
  EXPECT_TRUE(g_received.empty());
}

TEST_F(MenuTest, OneMenuAtATime) {
  Fill();
  m_person.menuAnswers = {1000};
  BOOL inner = -1;
  DWORD innerError = 0;
  m_person.onMenu = [&] {
    inner = TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr);
    innerError = GetLastError();
  };
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr), 1000);
  EXPECT_FALSE(inner);
  EXPECT_EQ(innerError, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
  EXPECT_EQ(m_person.menus.size(), 1u);
}

TEST_F(MenuTest, AStaleOwnerIsRefusedBeforeThePersonIsAsked) {
  Fill();
  HWND gone = CreateWindowExA(0, "menu test owner", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  DestroyWindow(gone);
  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(m_menu, TPM_RIGHTBUTTON, 0, 0, 0, gone, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(m_person.menus.empty());
}

TEST_F(MenuTest, NobodyAtTheScreenCancelsMenus) {
  Fill();
  platform::Person* answering = platform::SetPerson(nullptr);
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 0, 0, 0, m_owner, nullptr), 0);
  platform::SetPerson(answering);
}

}  // namespace
