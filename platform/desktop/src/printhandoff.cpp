// The print dialog, and real printers fed with the platform's PDF.
#include "printhandoff.h"

#include "questions.h"
#include "text.h"

#include <glib/gstdio.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace platform::desktop {
namespace {

constexpr int kDefaultDpi = 300;

// A file in the current directory, so printing to a file lands where the program runs.
std::string DefaultOutputUri() {
  gchar* cwd = g_get_current_dir();
  gchar* path = g_build_filename(cwd, "print.pdf", nullptr);
  gchar* uri = g_filename_to_uri(path, nullptr, nullptr);
  std::string result = uri != nullptr ? uri : "";
  g_free(uri);
  g_free(path);
  g_free(cwd);
  return result;
}

GtkPrintSettings* InitialSettings(GtkPrintSettings* last, const PrintQuestion& question) {
  GtkPrintSettings* settings =
      last != nullptr ? gtk_print_settings_copy(last) : gtk_print_settings_new();
  if (last == nullptr)
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, DefaultOutputUri().c_str());
  gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
  gtk_print_settings_set_n_copies(settings, std::max<int>(question.copies, 1));
  return settings;
}

PrinterSetup SetupOf(GtkPrintSettings* settings, GtkPageSetup* page) {
  PrinterSetup setup;
  setup.pageWidthInches = gtk_page_setup_get_paper_width(page, GTK_UNIT_INCH);
  setup.pageHeightInches = gtk_page_setup_get_paper_height(page, GTK_UNIT_INCH);
  const int dpi = gtk_print_settings_get_resolution(settings);
  setup.dpi = dpi > 0 ? std::min(dpi, 4800) : kDefaultDpi;
  return setup;
}

std::string FileOfUri(const char* uri) {
  if (uri == nullptr) return {};
  gchar* path = g_filename_from_uri(uri, nullptr, nullptr);
  std::string result = path != nullptr ? path : "";
  g_free(path);
  return result;
}

std::string TemporaryPdf() {
  gchar* path = nullptr;
  const int fd = g_file_open_tmp("print-XXXXXX.pdf", &path, nullptr);
  if (fd < 0) return {};
  close(fd);
  std::string result = path;
  g_free(path);
  return result;
}

// The toolkit's messages are UTF-8; a message box takes code page 1252.
std::string ToWindows(const char* utf8) {
  gchar* text =
      g_convert_with_fallback(utf8, -1, "CP1252", "UTF-8", "?", nullptr, nullptr, nullptr);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

}  // namespace

PrintHandoff::~PrintHandoff() {
  for (auto& [pdf, to] : *m_pending) {
    g_unlink(pdf.c_str());
    g_object_unref(to.printer);
    g_object_unref(to.settings);
    g_object_unref(to.pageSetup);
  }
  if (m_lastSettings != nullptr) g_object_unref(m_lastSettings);
}

std::optional<PrintAnswer> PrintHandoff::Choose(const PrintQuestion& question) {
  GtkWidget* dialog = gtk_print_unix_dialog_new("Print", nullptr);
  GtkPrintUnixDialog* print = GTK_PRINT_UNIX_DIALOG(dialog);
  gtk_print_unix_dialog_set_manual_capabilities(
      print, static_cast<GtkPrintCapabilities>(GTK_PRINT_CAPABILITY_COPIES |
                                               GTK_PRINT_CAPABILITY_GENERATE_PDF));
  GtkPrintSettings* initial = InitialSettings(m_lastSettings, question);
  gtk_print_unix_dialog_set_settings(print, initial);
  g_object_unref(initial);
  std::optional<PrintAnswer> answer;
  GtkPrinter* printer = nullptr;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK)
    printer = gtk_print_unix_dialog_get_selected_printer(print);
  if (printer != nullptr) {
    GtkPrintSettings* settings = gtk_print_unix_dialog_get_settings(print);
    GtkPageSetup* page = gtk_print_unix_dialog_get_page_setup(print);
    answer = PrintAnswer{
        SetupOf(settings, page),
        static_cast<WORD>(std::clamp(gtk_print_settings_get_n_copies(settings), 1, 0xFFFF))};
    if (m_lastSettings != nullptr) g_object_unref(m_lastSettings);
    m_lastSettings = gtk_print_settings_copy(settings);
    if (gtk_printer_is_virtual(printer)) {
      answer->printer.output =
          FileOfUri(gtk_print_settings_get(settings, GTK_PRINT_SETTINGS_OUTPUT_URI));
    } else {
      answer->printer.output = TemporaryPdf();
      // The pages hold every copy already.
      gtk_print_settings_set_n_copies(settings, 1);
      (*m_pending)[answer->printer.output] = {GTK_PRINTER(g_object_ref(printer)), settings,
                                              GTK_PAGE_SETUP(g_object_ref(page))};
      settings = nullptr;
      Listen();
    }
    if (settings != nullptr) g_object_unref(settings);
    if (answer->printer.output.empty()) answer.reset();
  }
  gtk_widget_destroy(dialog);
  return answer;
}

void PrintHandoff::Listen() {
  if (m_listening) return;
  m_listening = true;
  const PrintJobListener previous = SetPrintJobListener({});
  SetPrintJobListener(
      [previous, weak = std::weak_ptr<Pending>(m_pending)](const PrintJobRecord& job) {
        if (previous) previous(job);
        if (const std::shared_ptr<Pending> pending = weak.lock()) JobEnded(*pending, job);
      });
}

void PrintHandoff::JobEnded(Pending& pending, const PrintJobRecord& job) {
  const auto waiting = pending.find(job.output);
  if (waiting == pending.end()) return;
  const Destination to = waiting->second;
  pending.erase(waiting);
  if (job.ended && !job.aborted && !job.files.empty())
    Send(Utf8FromWindows(job.documentName), job.output, to);
  g_unlink(job.output.c_str());
  g_object_unref(to.printer);
  g_object_unref(to.settings);
  g_object_unref(to.pageSetup);
}

void PrintHandoff::Send(const std::string& title, const std::string& pdf, const Destination& to) {
  GtkPrintJob* job = gtk_print_job_new(title.c_str(), to.printer, to.settings, to.pageSetup);
  GError* error = nullptr;
  if (!gtk_print_job_set_source_file(job, pdf.c_str(), &error)) {
    RunMessageDialog("Print", ToWindows(error->message), MB_OK | MB_ICONEXCLAMATION);
    g_error_free(error);
    g_object_unref(job);
    return;
  }
  // Sent in the background; the loop waits so the file is read before it is removed.
  ModalLoop loop;
  gtk_print_job_send(
      job,
      +[](GtkPrintJob*, gpointer data, const GError* error) {
        if (error != nullptr)
          RunMessageDialog("Print", ToWindows(error->message), MB_OK | MB_ICONEXCLAMATION);
        static_cast<ModalLoop*>(data)->Quit();
      },
      &loop, nullptr);
  loop.Run();
}

}  // namespace platform::desktop
