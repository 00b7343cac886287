// The person at a desktop: each question goes to its dialog (questions.h); print jobs
// for a real printer go on through the hand-off.
#include <platform/desktopperson.h>

#include "printhandoff.h"
#include "questions.h"

namespace platform {

DesktopPerson::DesktopPerson() : m_printHandoff(std::make_unique<desktop::PrintHandoff>()) {}

DesktopPerson::~DesktopPerson() = default;

int DesktopPerson::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  return desktop::RunMessageDialog(caption, text, style);
}

UINT DesktopPerson::ChooseMenuItem(const MenuQuestion& question) {
  return desktop::RunPopupMenu(question);
}

std::optional<std::string> DesktopPerson::ChooseFile(const FileQuestion& question) {
  return desktop::RunFileChooser(question);
}

std::optional<PrintAnswer> DesktopPerson::ChoosePrinter(const PrintQuestion& question) {
  return m_printHandoff->Choose(question);
}

void DesktopPerson::RunDialog(DialogView& dialog) { desktop::RunDialogWindow(dialog); }

}  // namespace platform
