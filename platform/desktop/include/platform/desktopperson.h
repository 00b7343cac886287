// The person at a desktop: every modal question becomes the desktop's own dialog, run
// in a nested main loop until it is answered, as Win32's modal calls are.
//
//   message boxes   a message dialog with the caption, the text, the style's icon and
//                   buttons (a box without Cancel has no close box)
//   pop-up menus    a menu at the pointer: separators, disabled and checked items
//   file dialogs    the file chooser with the call's filters, proposed name, folder and
//                   default extension, and OFN_OVERWRITEPROMPT's question
//   print dialogs   the print dialog: its printers and printing to a PDF file; copies,
//                   resolution and page size come from it. Pages for a real printer
//                   are written to a PDF that goes to that printer when the job ends.
//   dialog boxes    a dialog showing the template's caption, texts, lists and buttons,
//                   each click, double click and key passed on through the DialogView
//
// Texts are turned from code page 1252 into UTF-8. The display must be open
// (platform::desktop::OpenDisplay).
#pragma once

#include <platform/person.h>

#include <memory>

namespace platform {
namespace desktop {
class PrintHandoff;
}

class DesktopPerson : public Person {
 public:
  DesktopPerson();
  ~DesktopPerson() override;
  DesktopPerson(const DesktopPerson&) = delete;
  DesktopPerson& operator=(const DesktopPerson&) = delete;

  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  UINT ChooseMenuItem(const MenuQuestion& question) override;
  std::optional<std::string> ChooseFile(const FileQuestion& question) override;
  std::optional<PrintAnswer> ChoosePrinter(const PrintQuestion& question) override;
  void RunDialog(DialogView& dialog) override;

 private:
  // Jobs on their way to a real printer.
  std::unique_ptr<desktop::PrintHandoff> m_printHandoff;
};

}  // namespace platform
