// The person at the screen in a web page: message boxes are the page's modal HTML
// dialogs and pop-up menus its HTML menus; the C++ stack waits for the answer
// (Asyncify) while the page runs on. A save dialog is the browser's own: the file is
// written under the proposed name in kDownloadDirectory, from where the page's script
// hands it to the browser's save or download.
#pragma once

#include <platform/person.h>

namespace webhost {

inline constexpr char kDownloadDirectory[] = "/downloads";

class WebPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  UINT ChooseMenuItem(const platform::MenuQuestion& question) override;
  std::optional<std::string> ChooseFile(const platform::FileQuestion& question) override;
};

}  // namespace webhost
