// The person at the screen: every modal question the system asks (message boxes,
// pop-up menus, file and print dialogs, dialog boxes) goes to one replaceable object.
// The default answers as nobody would: message boxes are written to stderr as
// "Caption: text" and answered OK; every other question is cancelled.
#pragma once

#include <string>

namespace platform {

class Person {
 public:
  virtual ~Person();

  // A modal message box; returns the button pressed (IDOK, IDCANCEL, ...).
  virtual int MessageBox(const std::string& caption, const std::string& text, unsigned style);
};

// The person asked now; never null.
Person& CurrentPerson();

// Installs a person for this process; nullptr restores the default one. Returns the
// previous one (nullptr when it was the default). The caller keeps ownership.
Person* SetPerson(Person* person);

}  // namespace platform
