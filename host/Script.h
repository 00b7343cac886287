// The event script (--script): what the person at the screen does once the page is
// shown, one command a line, and the answers queued for the modal questions.
//
//   instance N              later commands go to instance N (from 1, in page order)
//   resize W H              resize the instance's window
//   hscroll CODE [POS]      WM_HSCROLL / WM_VSCROLL with MAKEWPARAM(code, pos); CODE is
//   vscroll CODE [POS]        lineup linedown pageup pagedown thumbposition thumbtrack
//                             top bottom endscroll
//   lclick X Y, rclick X Y  WM_LBUTTONDOWN / WM_RBUTTONDOWN at client coordinates
//   pointer down|up X Y [left|right|middle] [shift] [ctrl]
//   pointer move X Y [shift] [ctrl]
//                           raw input at a point of the instance's window (its outer
//                             rectangle, scroll bars included), as a person makes it
//   drag X1 Y1 X2 Y2 [shift] [ctrl]   the left button pressed at 1, moved to 2, released
//   wheel N [X Y] [shift] [ctrl]      N notches, positive away from the user (default:
//                             at the window's centre)
//   key NAME [shift] [ctrl] a key pressed and released: a letter, a digit, enter, escape,
//                             tab, space, backspace, delete, up, down, left, right,
//                             home, end, pageup, pagedown
//   hold MS                 MS milliseconds pass: a held scroll-bar arrow or track repeats
//   palette-changed self|other
//   paint                   invalidate the window and update it
//   print                   the browser's print request (NPP_Print)
//   window-gone             NPP_SetWindow with no window
//   destroy                 NPP_Destroy now
//   menu ID|cancel          answers for the next pop-up menu,
//   save-as PATH|cancel       save dialog (PATH is the rest of the line),
//   printer [copies=N] [dpi=D] [to=FILE.pdf|FILE-%d.png]|cancel   and print dialog
//
// Blank lines and lines starting with # are ignored.
#pragma once

#include <platform/input.h>

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace nphost {

struct SelectInstance {
  int number;
};
struct ResizeWindow {
  int width;
  int height;
};
struct Scroll {
  bool vertical;
  int code;      // SB_*
  int position;  // 0..65535
};
struct Click {
  bool right;
  int x;
  int y;
};
// Raw input; points are in the instance window's coordinates, modifiers MK_SHIFT and
// MK_CONTROL.
struct PointerInput {
  enum class Kind { kDown, kUp, kMove };
  Kind kind;
  int x;
  int y;
  platform::input::Button button;
  unsigned modifiers;
};
struct DragInput {
  int fromX;
  int fromY;
  int toX;
  int toY;
  unsigned modifiers;
};
struct WheelInput {
  int notches;
  bool atPoint;  // else at the window's centre
  int x;
  int y;
  unsigned modifiers;
};
struct KeyInput {
  unsigned virtualKey;
  unsigned modifiers;
};
struct Hold {
  int milliseconds;
};
struct PaletteChanged {
  bool self;  // the instance's own window changed the palette, or another window did
};
struct Paint {};
struct Print {};
struct WindowGone {};
struct Destroy {};

struct MenuAnswer {
  std::optional<unsigned> id;  // nothing: cancel
};
struct SaveAnswer {
  std::optional<std::string> path;  // nothing: cancel
};
struct PrinterChoice {
  int copies = 1;
  int dpi = 600;
  std::string output;  // empty: the host's default
};
struct PrinterAnswer {
  std::optional<PrinterChoice> printer;  // nothing: cancel
};

using ScriptAction =
    std::variant<SelectInstance, ResizeWindow, Scroll, Click, PointerInput, DragInput, WheelInput,
                 KeyInput, Hold, PaletteChanged, Paint, Print, WindowGone, Destroy, MenuAnswer,
                 SaveAnswer, PrinterAnswer>;

struct ScriptLine {
  int number;  // the line in the script, from 1
  ScriptAction action;
};

// A script line that cannot be played: what() is "script line N: ...".
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message);
  int Line() const { return m_line; }

 private:
  int m_line;
};

// Every command of the script, in order; throws ScriptError at the first bad line.
std::vector<ScriptLine> ParseScript(std::istream& in);

}  // namespace nphost
