// A modal dialog as the person at the screen meets it: what its controls show, and
// the mouse and the keys to work them with. Every action goes to the controls' own
// window procedures as the messages a mouse or keyboard would make, so the program
// behind the dialog sees exactly what it would see on the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

struct DialogControl {
  enum class Kind { kPushButton, kDefaultButton, kGroupBox, kListBox, kOther };

  HWND hwnd;
  int id;
  Kind kind;
  std::string text;                // the window text
  std::vector<std::string> items;  // list boxes: the entries
  int selection;                   // list boxes: the selected entry, or -1
};

class DialogView {
 public:
  explicit DialogView(HWND dialog);

  HWND Handle() const { return m_hDialog; }
  // EndDialog was called, or the window is gone.
  bool Ended() const;
  std::string Caption() const;
  // The dialog's controls in creation order.
  std::vector<DialogControl> Controls() const;

  // The mouse: false when there is no such button, list box or entry. An entry out of
  // view is scrolled into view first, as a person would.
  bool Click(int buttonId);
  bool ClickItem(int listId, int index);
  bool DoubleClickItem(int listId, int index);
  // A key pressed while the control (0: the dialog itself) has the focus; it goes
  // through the dialog's keys first (IsDialogMessageA), so Enter presses the default
  // button and Escape cancels wherever the focus is. False without such a control.
  bool PressKey(UINT virtualKey, int controlId = 0);
  // The close box.
  void Close();

 private:
  HWND Control(int id) const;
  HWND ControlOfClass(int id, const char* className) const;
  bool ClickEntry(int listId, int index, bool twice);

  HWND m_hDialog;
};

// The modal loop of a dialog made by CreateDialogIndirectParamA: unless it ended
// already, the person at the screen runs it. A dialog the person leaves open is closed
// as by its close box, and ended with IDCANCEL should even that leave it open, so the
// loop always returns. The result EndDialog was given; -1 when the window is not a
// dialog or went without ending. The caller destroys the window.
INT_PTR RunModalDialog(HWND dialog);

}  // namespace platform
