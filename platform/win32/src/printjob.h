// A printer context's page geometry, its current job and the page being drawn.
//
// Each StretchDIBits on an open page is kept as the source pixels it needs plus
// its device rectangle; EndPage turns the kept images into a PDF page or a PNG
// file, and records the page. State errors (EndPage with no page open, a second
// StartDoc, ...) return SP_ERROR and change nothing.
#pragma once

#include "dibsource.h"
#include "stretchmap.h"

#include <platform/printer.h>

#ifdef __EMSCRIPTEN__
typedef struct _cairo_surface cairo_surface_t;  // never made: no PDF on the web
#else
#include <cairo.h>
#endif

#include <optional>
#include <string>
#include <vector>

namespace platform::gdi {

class PrintJob {
 public:
  static bool IsValid(const PrinterSetup& setup);
  explicit PrintJob(const PrinterSetup& setup);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  int DeviceCaps(int index) const;

  int StartDoc(const DOCINFOA& info);  // the job id, or SP_ERROR
  int StartPage();
  // failed: the page is discarded and SP_ERROR returned (the test hook).
  int EndPage(bool failed = false);
  int EndDoc();
  int AbortDoc();
  // Aborts a job still in progress; nothing otherwise.
  void Abandon();

  bool PageOpen() const { return m_bPageOpen; }
  // Keeps one StretchDIBits on the open page; false when the source pixels it needs
  // are more than a page may keep (the call then fails with GDI_ERROR).
  bool Draw(const DibSource& dib, const StretchRect& rect);

  const std::optional<PrintJobRecord>& Record() const { return m_record; }

 private:
  enum class Output { None, Pdf, Png };

  struct PageImage {
    StretchRect rect;
    AxisMap xs, ys;  // visible device pixels and their source pixels
    int subX = 0, subY = 0, subWidth = 0, subHeight = 0;  // the source pixels kept
    std::vector<std::uint32_t> pixels;                    // subWidth x subHeight, rows from the top
    PrintedImage printed;
  };

  bool WritePdfPage();
  bool WritePngPage(const std::string& path) const;
  void FillPngRow(int y, std::uint32_t* row) const;
  std::string PngPath(int page) const;
  bool Finish(bool aborted);

  PrinterSetup m_setup;
  int m_nPageWidth;  // device pixels
  int m_nPageHeight;
  bool m_bInDoc = false;
  bool m_bPageOpen = false;
  Output m_output = Output::None;
  [[maybe_unused]] cairo_surface_t* m_pPdf = nullptr;  // none on the web
  std::vector<PageImage> m_page;
  std::optional<PrintJobRecord> m_record;
};

// Tells the host's print-job listener about a job that ended.
void NotifyPrintJob(const PrintJobRecord& job);

}  // namespace platform::gdi
