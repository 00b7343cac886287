// The desktop's dialogs, one function each, every one run modally in a nested main
// loop. DesktopPerson forwards its questions here.
#pragma once

#include <platform/dialogview.h>
#include <platform/person.h>

#include <gtk/gtk.h>

#include <optional>
#include <string>

namespace platform::desktop {

int RunMessageDialog(const std::string& caption, const std::string& text, unsigned style);
UINT RunPopupMenu(const MenuQuestion& question);
std::optional<std::string> RunFileChooser(const FileQuestion& question);
void RunDialogWindow(DialogView& dialog);

// A nested main loop that runs until Quit, which may come before Run.
class ModalLoop {
 public:
  void Run() {
    while (!m_done) g_main_context_iteration(nullptr, TRUE);
  }
  void Quit() {
    m_done = true;
    g_main_context_wakeup(nullptr);
  }

 private:
  bool m_done = false;
};

}  // namespace platform::desktop
