// The print dialog and what follows it. Printing to a file writes the platform's PDF
// where the dialog says. For a real printer the platform writes the pages to a
// temporary PDF at the printer's page size and resolution; when that job ends the PDF
// goes to the printer as one print job of the toolkit, and the file is removed (also
// when the job is abandoned).
#pragma once

#include <platform/person.h>

#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace platform::desktop {

class PrintHandoff {
 public:
  PrintHandoff() = default;
  ~PrintHandoff();
  PrintHandoff(const PrintHandoff&) = delete;
  PrintHandoff& operator=(const PrintHandoff&) = delete;

  // Runs the print dialog: the printer and copies chosen, or nothing when cancelled.
  std::optional<PrintAnswer> Choose(const PrintQuestion& question);

 private:
  struct Destination {
    GtkPrinter* printer;
    GtkPrintSettings* settings;
    GtkPageSetup* pageSetup;
  };

  // Temporary PDFs waiting for their job to end, and where each goes. The print-job
  // listener shares it, so a listener left installed after the hand-off has gone (the
  // program may have replaced and restored listeners since) finds nothing to send.
  using Pending = std::map<std::string, Destination>;

  void Listen();
  static void JobEnded(Pending& pending, const PrintJobRecord& job);
  static void Send(const std::string& title, const std::string& pdf, const Destination& to);

  std::shared_ptr<Pending> m_pending = std::make_shared<Pending>();
  bool m_listening = false;
  GtkPrintSettings* m_lastSettings = nullptr;
};

}  // namespace platform::desktop
