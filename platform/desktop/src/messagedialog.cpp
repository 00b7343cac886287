// Message boxes as message dialogs: the caption as the title, the text, the icon and
// the buttons of the MB_ style, the MB_DEFBUTTONn button as the default. Escape and the
// close box answer IDCANCEL when the box has a Cancel button, IDOK for a box with only
// OK; a box with neither (Yes/No, Abort/Retry/Ignore) has no close box, as on Windows.
#include "questions.h"
#include "text.h"

#include <vector>

namespace platform::desktop {
namespace {

// The MB_ button sets and their buttons, by the style's low four bits.
struct ButtonSet {
  std::vector<std::pair<const char*, int>> buttons;  // label, the id it answers
};

const ButtonSet& ButtonsOf(unsigned style) {
  static const ButtonSet kSets[] = {
      {{{"_OK", IDOK}}},
      {{{"_OK", IDOK}, {"_Cancel", IDCANCEL}}},
      {{{"_Abort", 3}, {"_Retry", 4}, {"_Ignore", 5}}},
      {{{"_Yes", IDYES}, {"_No", IDNO}, {"_Cancel", IDCANCEL}}},
      {{{"_Yes", IDYES}, {"_No", IDNO}}},
      {{{"_Retry", 4}, {"_Cancel", IDCANCEL}}},
  };
  const unsigned set = style & 0x0F;
  return set < std::size(kSets) ? kSets[set] : kSets[0];
}

GtkMessageType IconOf(unsigned style) {
  switch (style & 0xF0) {
    case MB_ICONHAND:
      return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
      return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION:
      return GTK_MESSAGE_WARNING;
    case MB_ICONASTERISK:
      return GTK_MESSAGE_INFO;
    default:
      return GTK_MESSAGE_OTHER;
  }
}

// What Escape or the close box answer; 0 when the box cannot be closed that way.
int CloseAnswer(const ButtonSet& set) {
  for (const auto& [label, id] : set.buttons) {
    if (id == IDCANCEL) return IDCANCEL;
  }
  return set.buttons.size() == 1 ? set.buttons[0].second : 0;
}

}  // namespace

int RunMessageDialog(const std::string& caption, const std::string& text, unsigned style) {
  const ButtonSet& set = ButtonsOf(style);
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, IconOf(style),
                                             GTK_BUTTONS_NONE, "%s", Utf8FromWindows(text).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), Utf8FromWindows(caption).c_str());
  for (const auto& [label, id] : set.buttons) gtk_dialog_add_button(GTK_DIALOG(dialog), label, id);
  const std::size_t defaultButton = (style >> 8) & 0x0F;  // MB_DEFBUTTON2 is 0x100
  gtk_dialog_set_default_response(
      GTK_DIALOG(dialog),
      set.buttons[defaultButton < set.buttons.size() ? defaultButton : 0].second);
  const int closeAnswer = CloseAnswer(set);
  gtk_window_set_deletable(GTK_WINDOW(dialog), closeAnswer != 0);
  int answer = 0;
  while (answer == 0) {
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    answer = response > 0 ? response : closeAnswer;
  }
  gtk_widget_destroy(dialog);
  return answer;
}

}  // namespace platform::desktop
