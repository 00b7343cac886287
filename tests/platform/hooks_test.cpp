#include "windowtesting.h"

namespace {

using namespace windowtesting;

std::vector<std::string> g_calls;
HHOOK g_first = nullptr;
HHOOK g_second = nullptr;
LRESULT g_refuse = 0;

LRESULT CALLBACK FirstHook(int code, WPARAM wParam, LPARAM lParam) {
  g_calls.push_back("first");
  return CallNextHookEx(g_first, code, wParam, lParam);
}

LRESULT CALLBACK SecondHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* cbt = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
  g_calls.push_back("second " + std::string(cbt->lpcs->lpszName) +
                    (IsWindow(reinterpret_cast<HWND>(wParam)) ? " live" : " gone") + " messages " +
                    std::to_string(Log().size()));
  if (g_refuse != 0) return g_refuse;
  return CallNextHookEx(g_second, code, wParam, lParam);
}

class HookTest : public WindowTest {
 protected:
  void TearDown() override {
    for (HHOOK hook : {g_first, g_second}) UnhookWindowsHookEx(hook);
    g_first = g_second = nullptr;
    g_refuse = 0;
    g_calls.clear();
    WindowTest::TearDown();
  }
};

TEST_F(HookTest, CreationHooksRunNewestFirstBeforeTheFirstMessage) {
  g_first = SetWindowsHookExA(WH_CBT, FirstHook, nullptr, 0);
  g_second = SetWindowsHookExA(WH_CBT, SecondHook, nullptr, 0);
  ASSERT_NE(g_first, nullptr);
  HWND hwnd = Top(0, 0, 10, 10);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"second top live messages 0", "first"}));
  EXPECT_EQ(Log().front().message, static_cast<UINT>(WM_NCCREATE));
}

TEST_F(HookTest, ANonZeroAnswerRefusesTheWindow) {
  g_second = SetWindowsHookExA(WH_CBT, SecondHook, nullptr, 0);
  g_refuse = 1;
  EXPECT_EQ(Top(0, 0, 10, 10), nullptr);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log().front().message, static_cast<UINT>(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(Log().front().hwnd));
}

TEST_F(HookTest, OnlyCreationHooksAndLiveHandles) {
  EXPECT_EQ(SetWindowsHookExA(4, FirstHook, nullptr, 0), nullptr);
  EXPECT_EQ(SetWindowsHookExA(WH_CBT, nullptr, nullptr, 0), nullptr);
  HHOOK hook = SetWindowsHookExA(WH_CBT, FirstHook, nullptr, 0);
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  EXPECT_FALSE(UnhookWindowsHookEx(hook));
  EXPECT_EQ(CallNextHookEx(hook, HCBT_CREATEWND, 0, 0), 0);
  Top(0, 0, 10, 10);
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
