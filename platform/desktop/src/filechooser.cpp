// File dialogs as the desktop's file chooser. The filter list ("JPEG (*.JPG)|*.JPG||")
// becomes the chooser's filters, each pattern matched in any letter case as Windows
// matches names. The chooser asks nothing more: the platform adds the default extension
// and asks OFN_OVERWRITEPROMPT's question itself, as a message box, once the name is
// complete.
#include "questions.h"
#include "text.h"

#include <cctype>
#include <vector>

namespace platform::desktop {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// "*.JPG" as "*.[jJ][pP][gG]".
std::string AnyCase(const std::string& pattern) {
  std::string glob;
  for (char c : pattern) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u) != 0) {
      glob += '[';
      glob += static_cast<char>(std::tolower(u));
      glob += static_cast<char>(std::toupper(u));
      glob += ']';
    } else {
      glob += c;
    }
  }
  return glob;
}

void AddFilters(GtkFileChooser* chooser, const std::string& filter) {
  const std::vector<std::string> parts = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
    GtkFileFilter* fileFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(fileFilter, Utf8FromWindows(parts[i]).c_str());
    for (const std::string& pattern : Split(parts[i + 1], ';'))
      gtk_file_filter_add_pattern(fileFilter, AnyCase(pattern).c_str());
    gtk_file_chooser_add_filter(chooser, fileFilter);
  }
}

GtkWidget* NewChooser(const FileQuestion& question) {
  const std::string title = !question.title.empty() ? Utf8FromWindows(question.title)
                            : question.save         ? "Save As"
                                                    : "Open";
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      title.c_str(), nullptr,
      question.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, question.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  AddFilters(chooser, question.filter);
  if (!question.initialDirectory.empty())
    gtk_file_chooser_set_current_folder(chooser, question.initialDirectory.c_str());
  if (question.save && !question.fileName.empty()) {
    gchar* name = g_path_get_basename(question.fileName.c_str());
    gtk_file_chooser_set_current_name(chooser, Utf8FromWindows(name).c_str());
    g_free(name);
  }
  return dialog;
}

}  // namespace

std::optional<std::string> RunFileChooser(const FileQuestion& question) {
  GtkWidget* dialog = NewChooser(question);
  std::optional<std::string> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    if (gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
      chosen = file;
      g_free(file);
    }
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

}  // namespace platform::desktop
