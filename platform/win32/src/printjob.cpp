// Printer pages: geometry, the job's state, and the PDF (cairo) and PNG (libpng)
// output of each page. The web build has no cairo: it prints PNG pages only, and a
// PDF output fails StartDoc.
#include "printjob.h"

#include "pngwriter.h"

#ifndef __EMSCRIPTEN__
#include <cairo-pdf.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

namespace platform::gdi {
namespace {

constexpr int kMaxDpi = 4800;
constexpr double kMaxInches = 200;
// One image keeps at most this many source pixels (512 MiB).
constexpr std::int64_t kMaxKeptPixels = std::int64_t{1} << 27;
constexpr int kRasterCaps =
    RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;

int g_nextJobId = 1;

int DevicePixels(double inches, int dpi) { return static_cast<int>(std::lround(inches * dpi)); }

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return tail == ".png";
}

LONG ToLong(std::int64_t value) {
  return static_cast<LONG>(std::clamp<std::int64_t>(value, std::numeric_limits<LONG>::min(),
                                                    std::numeric_limits<LONG>::max()));
}

}  // namespace

bool PrintJob::IsValid(const PrinterSetup& setup) {
  auto sideOk = [&](double inches) {
    return std::isfinite(inches) && inches > 0 && inches <= kMaxInches &&
           DevicePixels(inches, setup.dpi) >= 1;
  };
  return setup.dpi >= 1 && setup.dpi <= kMaxDpi && sideOk(setup.pageWidthInches) &&
         sideOk(setup.pageHeightInches);
}

PrintJob::PrintJob(const PrinterSetup& setup)
    : m_setup(setup),
      m_nPageWidth(DevicePixels(setup.pageWidthInches, setup.dpi)),
      m_nPageHeight(DevicePixels(setup.pageHeightInches, setup.dpi)) {}

PrintJob::~PrintJob() {
#ifndef __EMSCRIPTEN__
  if (m_pPdf != nullptr) cairo_surface_destroy(m_pPdf);
#endif
}

int PrintJob::DeviceCaps(int index) const {
  switch (index) {
    case TECHNOLOGY:
      return DT_RASPRINTER;
    case HORZRES:
    case PHYSICALWIDTH:
      return m_nPageWidth;
    case VERTRES:
    case PHYSICALHEIGHT:
      return m_nPageHeight;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY:
      return 0;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return m_setup.dpi;
    case BITSPIXEL:
      return 24;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case RASTERCAPS:
      return kRasterCaps;
    case COLORRES:
      return 24;
    default:
      return 0;
  }
}

int PrintJob::StartDoc(const DOCINFOA& info) {
  if (m_bInDoc) return SP_ERROR;
  std::string output =
      info.lpszOutput != nullptr && *info.lpszOutput != '\0' ? info.lpszOutput : m_setup.output;
  std::string name = info.lpszDocName != nullptr ? info.lpszDocName : "";
  Output kind = output.empty() ? Output::None : EndsWithPng(output) ? Output::Png : Output::Pdf;
  if (kind == Output::Png) {
    // One page number per file name, or every page would overwrite the first.
    std::size_t at = output.find("%d");
    if (at == std::string::npos || output.find("%d", at + 2) != std::string::npos) return SP_ERROR;
  }
  if (kind == Output::Pdf) {
#ifdef __EMSCRIPTEN__
    return SP_ERROR;
#else
    double points = 72.0 / m_setup.dpi;
    m_pPdf =
        cairo_pdf_surface_create(output.c_str(), m_nPageWidth * points, m_nPageHeight * points);
    if (cairo_surface_status(m_pPdf) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(m_pPdf);
      m_pPdf = nullptr;
      return SP_ERROR;
    }
    cairo_pdf_surface_set_metadata(m_pPdf, CAIRO_PDF_METADATA_TITLE, name.c_str());
#endif
  }
  m_output = kind;
  m_record = PrintJobRecord{};
  m_record->jobId = g_nextJobId++;
  m_record->documentName = name;
  m_record->output = output;
  if (kind == Output::Pdf) m_record->files.push_back(output);
  m_bInDoc = true;
  return m_record->jobId;
}

int PrintJob::StartPage() {
  if (!m_bInDoc || m_bPageOpen) return SP_ERROR;
  m_page.clear();
  m_bPageOpen = true;
  return 1;
}

int PrintJob::EndPage(bool failed) {
  if (!m_bPageOpen) return SP_ERROR;
  m_bPageOpen = false;
  bool ok = !failed;
  if (ok && m_output == Output::Pdf) ok = WritePdfPage();
  if (ok && m_output == Output::Png) {
    std::string path = PngPath(static_cast<int>(m_record->pages.size()) + 1);
    ok = WritePngPage(path);
    if (ok) m_record->files.push_back(path);
  }
  if (ok) {
    PrintedPage page;
    for (const PageImage& image : m_page) page.images.push_back(image.printed);
    m_record->pages.push_back(std::move(page));
  }
  m_page.clear();
  return ok ? 1 : SP_ERROR;
}

int PrintJob::EndDoc() {
  if (!m_bInDoc) return SP_ERROR;
  if (m_bPageOpen) EndPage();
  return Finish(false) ? 1 : SP_ERROR;
}

int PrintJob::AbortDoc() {
  if (!m_bInDoc) return SP_ERROR;
  Finish(true);
  return 1;
}

void PrintJob::Abandon() {
  if (m_bInDoc) AbortDoc();
}

bool PrintJob::Finish(bool aborted) {
  bool ok = true;
#ifndef __EMSCRIPTEN__
  if (m_pPdf != nullptr) {
    cairo_surface_finish(m_pPdf);
    ok = cairo_surface_status(m_pPdf) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(m_pPdf);
    m_pPdf = nullptr;
  }
#endif
  // A PDF always has a page, so a job that printed none leaves no file at all.
  if (aborted || m_record->pages.empty()) {
    for (const std::string& file : m_record->files) std::remove(file.c_str());
    m_record->files.clear();
  }
  if (aborted) {
    m_record->aborted = true;
  } else {
    m_record->ended = ok;
  }
  m_bInDoc = false;
  m_bPageOpen = false;
  m_page.clear();
  NotifyPrintJob(*m_record);
  return ok;
}

bool PrintJob::Draw(const DibSource& dib, const StretchRect& rect) {
  PageImage image;
  image.rect = rect;
  image.xs =
      MapAxis(rect.destX, rect.destWidth, 0, m_nPageWidth, rect.srcX, rect.srcWidth, dib.Width());
  image.ys = MapAxis(rect.destY, rect.destHeight, 0, m_nPageHeight, rect.srcTop, rect.srcHeight,
                     dib.Height());
  image.printed.destination =
      RECT{ToLong(rect.destX), ToLong(rect.destY), ToLong(rect.destX + rect.destWidth),
           ToLong(rect.destY + rect.destHeight)};
  image.printed.drawn = RECT{0, 0, 0, 0};
  image.printed.bitCount = dib.BitCount();
  if (!image.xs.Empty() && !image.ys.Empty()) {
    image.printed.drawn = RECT{ToLong(image.xs.first), ToLong(image.ys.first),
                               ToLong(image.xs.End()), ToLong(image.ys.End())};
    image.subX = image.xs.source.front();
    image.subWidth = image.xs.source.back() - image.subX + 1;
    image.subY = image.ys.source.front();
    image.subHeight = image.ys.source.back() - image.subY + 1;
    std::int64_t kept = std::int64_t{image.subWidth} * image.subHeight;
    if (kept > kMaxKeptPixels) return false;
    std::vector<int> columns(static_cast<std::size_t>(image.subWidth));
    for (int i = 0; i < image.subWidth; ++i) columns[i] = image.subX + i;
    try {
      image.pixels.resize(static_cast<std::size_t>(kept));
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (int r = 0; r < image.subHeight; ++r) {
      dib.ReadPixels(image.subY + r, columns, dib.Colours().data(),
                     image.pixels.data() + static_cast<std::size_t>(r) * image.subWidth);
    }
  }
  m_page.push_back(std::move(image));
  return true;
}

bool PrintJob::WritePdfPage() {
#ifdef __EMSCRIPTEN__
  return false;
#else
  // Every image is made before anything is drawn, so that a failure leaves no half
  // page behind to be shown with the next one.
  std::vector<cairo_surface_t*> images;
  bool ok = true;
  for (const PageImage& image : m_page) {
    if (image.pixels.empty()) continue;
    cairo_surface_t* pixels =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.subWidth, image.subHeight);
    images.push_back(pixels);
    if (cairo_surface_status(pixels) != CAIRO_STATUS_SUCCESS) {
      ok = false;
      break;
    }
    cairo_surface_flush(pixels);
    unsigned char* data = cairo_image_surface_get_data(pixels);
    int stride = cairo_image_surface_get_stride(pixels);
    for (int r = 0; r < image.subHeight; ++r) {
      std::copy_n(image.pixels.data() + static_cast<std::size_t>(r) * image.subWidth,
                  image.subWidth,
                  reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(r) * stride));
    }
    cairo_surface_mark_dirty(pixels);
  }
  if (ok) {
    cairo_t* cr = cairo_create(m_pPdf);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    double toPoints = 72.0 / m_setup.dpi;
    std::size_t next = 0;
    for (const PageImage& image : m_page) {
      if (image.pixels.empty()) continue;
      const StretchRect& rect = image.rect;
      const RECT& drawn = image.printed.drawn;
      double scaleX = static_cast<double>(rect.destWidth) / rect.srcWidth;
      double scaleY = static_cast<double>(rect.destHeight) / rect.srcHeight;
      cairo_save(cr);
      cairo_scale(cr, toPoints, toPoints);  // from here on, device pixels
      cairo_rectangle(cr, drawn.left, drawn.top, drawn.right - drawn.left,
                      drawn.bottom - drawn.top);
      cairo_clip(cr);
      cairo_translate(cr, rect.destX + (image.subX - rect.srcX) * scaleX,
                      rect.destY + (image.subY - rect.srcTop) * scaleY);
      cairo_scale(cr, scaleX, scaleY);  // from here on, source pixels
      cairo_set_source_surface(cr, images[next++], 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_paint(cr);
      cairo_restore(cr);
    }
    cairo_show_page(cr);
    ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_status(m_pPdf) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
  }
  for (cairo_surface_t* pixels : images) cairo_surface_destroy(pixels);
  return ok;
#endif
}

std::string PrintJob::PngPath(int page) const {
  const std::string& pattern = m_record->output;
  std::size_t at = pattern.find("%d");
  return pattern.substr(0, at) + std::to_string(page) + pattern.substr(at + 2);
}

bool PrintJob::WritePngPage(const std::string& path) const {
  return WritePng(path, m_nPageWidth, m_nPageHeight,
                  [this](int y, std::uint32_t* row) { FillPngRow(y, row); });
}

void PrintJob::FillPngRow(int y, std::uint32_t* row) const {
  std::fill(row, row + m_nPageWidth, 0x00FFFFFFu);
  for (const PageImage& image : m_page) {
    if (image.pixels.empty() || y < image.ys.first || y >= image.ys.End()) continue;
    int sourceRow = image.ys.source[static_cast<std::size_t>(y - image.ys.first)] - image.subY;
    const std::uint32_t* source =
        image.pixels.data() + static_cast<std::size_t>(sourceRow) * image.subWidth;
    std::uint32_t* out = row + image.xs.first;
    for (std::size_t i = 0; i < image.xs.source.size(); ++i)
      out[i] = source[image.xs.source[i] - image.subX];
  }
}

}  // namespace platform::gdi
