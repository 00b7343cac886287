// A modal dialog at a terminal, for a person or a script: the default person's way
// of running dialogs.
//
// The dialog is written to out as plain lines (no terminal control codes): its
// caption, then its group boxes and lists in creation order, each list's entries
// numbered from 1 with the selected one marked "*", then its buttons, the default one
// as <OK>, the others as [Cancel]. Then a prompt "> ", and one line of input is read:
//
//   N          clicks entry N of the first list
//   up, down   the arrow keys in that list
//   (empty)    Enter: the default button
//   ok         clicks the OK button        cancel   clicks the Cancel button
//   dbl N      double-clicks entry N       esc      Escape
//
// Words are read in any letter case, around any spaces. Anything else gets a short
// hint and the question again. The end of the input is the close box. Control
// characters (below a space, and DEL) in what the dialog shows are written as "?".
#pragma once

#include <platform/dialogview.h>

#include <istream>
#include <ostream>

namespace platform {

// Returns when the dialog has ended or the input has ended.
void RunDialogAtTerminal(DialogView& dialog, std::istream& in, std::ostream& out);

}  // namespace platform
