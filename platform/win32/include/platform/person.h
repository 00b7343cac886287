// The person at the screen: every modal question the system asks (message boxes,
// pop-up menus, file and print dialogs, dialog boxes) goes to one replaceable object.
// The default answers as nobody would: message boxes are written to stderr as
// "Caption: text" and answered OK; every other question is cancelled.
#pragma once

#include <string>

namespace platform {

class DialogView;

class Person {
 public:
  virtual ~Person();

  // A modal message box; returns the button pressed (IDOK, IDCANCEL, ...).
  virtual int MessageBox(const std::string& caption, const std::string& text, unsigned style);

  // A modal dialog box: the person reads it and works its controls through the view
  // until it ends (dialogview.h). Returning while it is still open leaves it to be
  // closed as by its close box. Unlike the other questions, the default person
  // answers this one at the terminal (terminaldialog.h), on standard output and
  // standard input, where the end of the input closes the dialog.
  virtual void RunDialog(DialogView& dialog);
};

// The person asked now; never null.
Person& CurrentPerson();

// Installs a person for this process; nullptr restores the default one. Returns the
// previous one (nullptr when it was the default). The caller keeps ownership.
Person* SetPerson(Person* person);

}  // namespace platform
