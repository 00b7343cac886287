// Printers: a printer device context is a page of a given size and resolution whose
// pages are written to a PDF file (through cairo) or to one PNG file per page
// (through libpng), and recorded so that tests and the host can see what was printed.
//
// Device coordinates are printer pixels: HORZRES x VERTRES = page size x dpi (US
// Letter at 600 dpi is 5100 x 6600), with no unprintable margins. A PDF page is the
// page size in points, each StretchDIBits an image placed at its device rectangle
// scaled by 72/dpi with nearest-pixel filtering; a PNG page is the page rasterised
// at the printer's dpi onto white. EndPage writes the page (PNG) or adds it (PDF);
// EndDoc finishes the PDF; a job that ends without a page leaves no file, since a
// PDF cannot have none.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct PrinterSetup {
  double pageWidthInches = 8.5;
  double pageHeightInches = 11.0;
  int dpi = 600;
  // Where the pages go: a PDF file ("out.pdf"); a PNG pattern with one %d for the
  // page number counted from 1 ("page-%d.png", recognised by its .png ending); or
  // empty, when the pages are only recorded. DOCINFOA::lpszOutput overrides it. PNG
  // files are numbered by the pages actually printed: a page whose EndPage failed
  // takes no number.
  std::string output;
};

// A printer device context, NULL when the setup is out of range (dpi 1..4800, each
// side more than 0 and at most 200 inches). The caller deletes it with DeleteDC.
HDC CreatePrinterDC(const PrinterSetup& setup);

struct PrintedImage {
  RECT destination;  // the device rectangle asked for
  RECT drawn;        // the part drawn: clipped to the page and to the bitmap
  int bitCount;      // bits per pixel of the DIB
};

struct PrintedPage {
  std::vector<PrintedImage> images;
};

struct PrintJobRecord {
  int jobId = 0;
  std::string documentName;
  std::string output;              // where the pages went; empty when only recorded
  std::vector<std::string> files;  // files written (the PDF, or one PNG per page)
  std::vector<PrintedPage> pages;  // pages ended successfully, in order
  bool ended = false;              // EndDoc succeeded
  bool aborted = false;            // AbortDoc, or the context deleted mid-job
};

// The current or most recent job of a printer context; nothing for another handle
// or before the first StartDoc.
std::optional<PrintJobRecord> GetPrintJob(HDC printer);

// Called when a job ends (EndDoc) or is abandoned (AbortDoc, or DeleteDC in the
// middle of a job). Returns the previous listener; an empty one removes it.
using PrintJobListener = std::function<void(const PrintJobRecord& job)>;
PrintJobListener SetPrintJobListener(PrintJobListener listener);

}  // namespace platform
