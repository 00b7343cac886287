// Helpers of the dialog tests: a parent window and a dialog procedure that record the
// commands they get, a dialog template shaped like the chooser's, a person who runs a
// script over the dialog, and a fixture that leaves no window behind.
#pragma once

#include <platform/dialogtemplate.h>
#include <platform/dialogview.h>
#include <platform/person.h>
#include <platform/screen.h>
#include <platform/windows_system.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dialogtesting {

struct Command {
  int id;
  int code;
  HWND from;
  bool operator==(const Command&) const = default;
};

inline std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

inline void Record(WPARAM wParam, LPARAM lParam) {
  Commands().push_back(
      {static_cast<short>(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) Record(wParam, lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Records commands and ends the dialog on IDOK and IDCANCEL with that result.
inline INT_PTR CALLBACK EndingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND) return FALSE;
  Record(wParam, lParam);
  const int id = LOWORD(wParam);
  if (id == IDOK || id == IDCANCEL) EndDialog(dialog, id);
  return TRUE;
}

enum { kListId = 1001 };

// The chooser's layout under a caption of its own.
inline platform::DialogTemplate ChooserLikeTemplate() {
  return {DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
          0,
          0,
          240,
          137,
          "Sample Dialog",
          "MS Sans Serif",
          8,
          {{IDOK, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 173, 23, 50, 14,
            "OK"},
           {IDCANCEL, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 173, 41, 50, 14,
            "Cancel"},
           {-1, "BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 7, 7, 227, 125, "Pick one"},
           {kListId, "LISTBOX",
            WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER |
                LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
            19, 21, 146, 96, ""}}};
}

inline void AddEntries(HWND list, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

inline std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    entries.push_back(text);
  }
  return entries;
}

// Runs its script over every dialog it is given, for as long as it lives.
class ScriptedPerson : public platform::Person {
 public:
  explicit ScriptedPerson(std::function<void(platform::DialogView&)> script = {})
      : m_script(std::move(script)), m_previous(platform::SetPerson(this)) {}
  ~ScriptedPerson() override { platform::SetPerson(m_previous); }

  void RunDialog(platform::DialogView& dialog) override {
    ++m_runs;
    if (m_script) m_script(dialog);
  }

  std::function<void(platform::DialogView&)> m_script;
  int m_runs = 0;

 private:
  platform::Person* m_previous;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Commands().clear();
    platform::SetScreen(1024, 768, 24);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = "DialogTestParent";
    RegisterClassA(&wc);  // the first test registers it; later ones find it taken
  }
  void TearDown() override {
    for (HWND hwnd : platform::TopLevelWindows()) DestroyWindow(hwnd);
  }

  HWND MakeParent() {
    return CreateWindowExA(0, "DialogTestParent", "parent", WS_OVERLAPPED, 0, 0, 400, 400, nullptr,
                           nullptr, nullptr, nullptr);
  }
  HWND MakeControl(HWND parent, const char* className, DWORD style, int id, RECT r,
                   const char* text = "") {
    return CreateWindowExA(0, className, text, WS_CHILD | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  HWND MakeDialog(const platform::DialogTemplate& tmpl, HWND owner = nullptr,
                  DLGPROC proc = EndingDlgProc, LPARAM init = 0) {
    return CreateDialogIndirectParamA(nullptr, &tmpl, owner, proc, init);
  }
};

}  // namespace dialogtesting
