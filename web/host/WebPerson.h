// The person at the screen in a web page: message boxes are the page's modal HTML
// dialogs and pop-up menus its HTML menus; the C++ stack waits for the answer
// (Asyncify) while the page runs on. A save dialog is the browser's own: the file is
// written under the proposed name in kDownloadDirectory, from where the page's script
// hands it to the browser's save or download. The print dialog asks for copies and a
// resolution; the pages are PNG files in kPrintDirectory, which the page's script prints
// through the browser's print dialog.
#pragma once

#include <platform/person.h>

namespace webhost {

inline constexpr char kDownloadDirectory[] = "/downloads";
inline constexpr char kPrintDirectory[] = "/print";

class WebPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  UINT ChooseMenuItem(const platform::MenuQuestion& question) override;
  std::optional<std::string> ChooseFile(const platform::FileQuestion& question) override;
  std::optional<platform::PrintAnswer> ChoosePrinter(
      const platform::PrintQuestion& question) override;

 private:
  int m_nextJob = 1;
};

}  // namespace webhost
