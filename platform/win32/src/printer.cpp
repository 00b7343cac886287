// Printing: printer contexts, StartDoc, StartPage, EndPage, EndDoc, AbortDoc, the
// job record and listener, and the test hooks that make a page fail.
//
// Misuse returns SP_ERROR and changes nothing: StartPage outside a document or with
// a page open, EndPage with no page open, EndDoc or AbortDoc outside a document, a
// second StartDoc. EndDoc with a page still open ends that page first. AbortDoc (and
// DeleteDC in the middle of a job) removes the files the job wrote.
#include "dc.h"
#include "printjob.h"

#include <platform/faults.h>
#include <platform/printer.h>

using namespace platform::gdi;

namespace {

platform::PrintJobListener g_printListener;
unsigned long g_failStartPage = 0;
unsigned long g_failEndPage = 0;

bool Trip(unsigned long& countdown) { return countdown != 0 && --countdown == 0; }

PrintJob* FindJob(HDC dc) {
  auto* context = FindAs<DeviceContext>(dc);
  if (context == nullptr || !context->print) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return context->print.get();
}

}  // namespace

namespace platform {

HDC CreatePrinterDC(const PrinterSetup& setup) {
  if (!PrintJob::IsValid(setup)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = std::make_unique<DeviceContext>(DCKind::Printer);
  dc->print = std::make_unique<PrintJob>(setup);
  return static_cast<HDC>(Insert(std::move(dc)));
}

std::optional<PrintJobRecord> GetPrintJob(HDC printer) {
  Guard guard(Lock());
  PrintJob* job = FindJob(printer);
  return job != nullptr ? job->Record() : std::nullopt;
}

PrintJobListener SetPrintJobListener(PrintJobListener listener) {
  Guard guard(Lock());
  std::swap(g_printListener, listener);
  return listener;
}

namespace gdi {

void NotifyPrintJob(const PrintJobRecord& job) {
  PrintJobListener listener = g_printListener;  // the listener may replace itself
  if (listener) listener(job);
}

}  // namespace gdi
}  // namespace platform

extern "C" {

/***********************************************************************
 * StartDocA
 * Starts a job named info->lpszDocName, written to info->lpszOutput when given,
 * else to the printer's output. Returns a positive job id; SP_ERROR for a stale
 * handle, a null info, a job already started, a PNG pattern without exactly one
 * %d, or a PDF file that cannot be created. lpszDatatype and fType are not used.
 */
int WINAPI StartDocA(HDC dc, const DOCINFOA* info) {
  Guard guard(Lock());
  PrintJob* job = FindJob(dc);
  if (job == nullptr || info == nullptr) return SP_ERROR;
  return job->StartDoc(*info);
}

/***********************************************************************
 * StartPage
 * Opens a page; positive on success, SP_ERROR on misuse or when a test armed it.
 */
int WINAPI StartPage(HDC dc) {
  Guard guard(Lock());
  PrintJob* job = FindJob(dc);
  if (job == nullptr || Trip(g_failStartPage)) return SP_ERROR;
  return job->StartPage();
}

/***********************************************************************
 * EndPage
 * Writes the open page (one PNG file, or one more PDF page) and records it;
 * positive on success. SP_ERROR on misuse, when the page cannot be written, or when
 * a test armed it; the page is then discarded.
 */
int WINAPI EndPage(HDC dc) {
  Guard guard(Lock());
  PrintJob* job = FindJob(dc);
  if (job == nullptr) return SP_ERROR;
  return job->EndPage(Trip(g_failEndPage));
}

/***********************************************************************
 * EndDoc
 * Ends the job (finishing the PDF) and reports it to the listener; positive on
 * success, SP_ERROR outside a job or when the PDF cannot be finished.
 */
int WINAPI EndDoc(HDC dc) {
  Guard guard(Lock());
  PrintJob* job = FindJob(dc);
  return job != nullptr ? job->EndDoc() : SP_ERROR;
}

/***********************************************************************
 * AbortDoc
 * Abandons the job, removing what it wrote, and reports it to the listener;
 * positive on success, SP_ERROR outside a job.
 */
int WINAPI AbortDoc(HDC dc) {
  Guard guard(Lock());
  PrintJob* job = FindJob(dc);
  return job != nullptr ? job->AbortDoc() : SP_ERROR;
}

}  // extern "C"

namespace platform::faults {

void FailNthStartPage(unsigned long n) {
  gdi::Guard guard(gdi::Lock());
  g_failStartPage = n;
}

void FailNthEndPage(unsigned long n) {
  gdi::Guard guard(gdi::Lock());
  g_failEndPage = n;
}

}  // namespace platform::faults
