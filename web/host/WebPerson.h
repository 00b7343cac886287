// The person at the screen in a web page: message boxes are the page's modal HTML
// dialogs. The C++ stack waits for the answer (Asyncify) while the page runs on.
#pragma once

#include <platform/person.h>

namespace webhost {

class WebPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
};

}  // namespace webhost
