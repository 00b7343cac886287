// JpegToDib: a small driver over libjpeg that turns a JPEG file into DIB pixel
// rows through the DibDestination output module.
//
// It decodes with the library's default parameters (no scaling, no quantizing,
// no chosen output colour space). Its one addition to the library's standard
// error manager is the exit: a fatal error prints the library's message and
// longjmps back here, where the decompressor and the file are released and NULL
// is returned; the process goes on. Warnings (corrupt data the library can get
// past, a premature end of file) keep the library's default handling and the
// image is returned.
//
// Hostile files are bounded before they cost anything: the DIB must fit the
// global-memory ceiling, the image the view's memory budget (the decoder's array,
// the DIB and the copies the viewer makes of it, counted before the library
// allocates its array), the library's own arrays may take at most twice the ceiling,
// and a file may have at most kMaxScans scans (each scan of a progressive file
// walks the whole image, so a small file of many empty scans could otherwise
// keep the decoder busy for minutes).
//
// setjmp lives in JpegToDib alone, and nothing with a destructor is alive
// across it.
//
// The library's system-dependent memory is supplied here, as its memory manager lets a
// program do: the library calls these functions in place of its own. Large objects (the
// whole-image array above all) come from the platform's large blocks, where the pages
// they leave are taken again by the pixel blocks that follow instead of fresh ones;
// small objects and the rest behave as the library's own (no backing store). A static
// library takes all of them at link time; a shared one binds them as long as no module
// searched before this one (a program linked with the library itself) brings its own,
// and then keeps its own set, which differs only in speed.
#include "jpeg/JpegToDib.h"

#include "bitmap/ViewBudget.h"
#include "jpeg/DibDestination.h"

#include <platform/memory.h>

#include <climits>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>

namespace {

constexpr int kMaxScans = 500;

// Messages of our own, formatted by the library's error manager.
enum {
  JERR_DIB_TOO_LARGE = 1000,
  JERR_DIB_TOO_MANY_SCANS,
};
const char* const g_apszDibMessages[] = {
    "Image of %d x %d pixels is too large to hold in memory",
    "JPEG file has more than %d scans",
};

struct DibErrorManager {
  jpeg_error_mgr pub;
  jmp_buf setjmpBuffer;
};

void DibErrorExit(j_common_ptr cinfo) {
  char szMessage[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, szMessage);
  std::fprintf(stderr, "%s\n", szMessage);
  std::longjmp(reinterpret_cast<DibErrorManager*>(cinfo->err)->setjmpBuffer, 1);
}

void LimitScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    ERREXIT1(cinfo, JERR_DIB_TOO_MANY_SCANS, kMaxScans);
}

// The whole-image array (at most one ceiling, see RefuseOversizedDib) plus as much
// again for the coefficient arrays of a multi-scan file. Above it the library
// would want backing store, which it does not have: it refuses the file.
long LibraryMemoryBound() {
  uint64_t bound = 2 * static_cast<uint64_t>(platform::GlobalAllocLimit());
  return bound > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(bound);
}

// The finished block could never be allocated, or the view could not hold the
// image: refuse before decoding for nothing. The decoded pixels become 24 bits deep.
void RefuseOversizedDib(j_decompress_ptr cinfo, const DibDestination* dest) {
  uint64_t bytes = static_cast<uint64_t>(dest->uRowWidth) * cinfo->output_height;
  auto wDecoderBits = static_cast<WORD>(8 * cinfo->output_components);
  if (bytes > platform::GlobalAllocLimit() ||
      !FitsViewBudget(static_cast<LONG>(cinfo->output_width),
                      static_cast<LONG>(cinfo->output_height), wDecoderBits, 24))
    ERREXIT2(cinfo, JERR_DIB_TOO_LARGE, static_cast<int>(cinfo->output_width),
             static_cast<int>(cinfo->output_height));
}

void DecodeRows(j_decompress_ptr cinfo, DibDestination* dest) {
  (*dest->pfnStart)(cinfo, dest);
  while (cinfo->output_scanline < cinfo->output_height) {
    JDIMENSION rows =
        jpeg_read_scanlines(cinfo, dest->pBuffer, static_cast<JDIMENSION>(dest->nBufferHeight));
    (*dest->pfnPutRows)(cinfo, dest, rows);
  }
  (*dest->pfnFinish)(cinfo, dest);
}

}  // namespace

extern "C" {

struct backing_store_struct;

void* jpeg_get_small(j_common_ptr cinfo, size_t sizeofobject) { return std::malloc(sizeofobject); }

void jpeg_free_small(j_common_ptr cinfo, void* object, size_t sizeofobject) { std::free(object); }

void* jpeg_get_large(j_common_ptr cinfo, size_t sizeofobject) {
  return platform::AllocateLargeBlock(sizeofobject);
}

void jpeg_free_large(j_common_ptr cinfo, void* object, size_t sizeofobject) {
  platform::FreeLargeBlock(object, sizeofobject);
}

// What is left of max_memory_to_use, or all that is asked for without a limit.
size_t jpeg_mem_available(j_common_ptr cinfo, size_t min_bytes_needed, size_t max_bytes_needed,
                          size_t already_allocated) {
  long limit = cinfo->mem->max_memory_to_use;
  if (limit == 0) return max_bytes_needed;
  auto bytes = static_cast<size_t>(limit);
  return bytes > already_allocated ? bytes - already_allocated : 0;
}

void jpeg_open_backing_store(j_common_ptr cinfo, backing_store_struct* info,
                             long total_bytes_needed) {
  ERREXIT(cinfo, JERR_NO_BACKING_STORE);
}

long jpeg_mem_init(j_common_ptr cinfo) { return 0; }

void jpeg_mem_term(j_common_ptr cinfo) {}

}  // extern "C"

HGLOBAL JpegToDib(const char* path, int* height, int* width, int* components) {
  jpeg_decompress_struct cinfo;
  DibErrorManager err;
  jpeg_progress_mgr progress;
  // Changed after setjmp and read after a longjmp: volatile.
  FILE* volatile pFile = nullptr;
  DibDestination* volatile pDest = nullptr;
  *height = 0;
  *width = 0;
  if (components != nullptr) *components = 0;

  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = DibErrorExit;
  err.pub.addon_message_table = g_apszDibMessages;
  err.pub.first_addon_message = JERR_DIB_TOO_LARGE;
  err.pub.last_addon_message = JERR_DIB_TOO_MANY_SCANS;
  if (setjmp(err.setjmpBuffer)) {
    // The image pool, and with it the destination record, is still alive here.
    if (pDest != nullptr && pDest->hDib != nullptr) GlobalFree(pDest->hDib);
    jpeg_destroy_decompress(&cinfo);
    if (pFile != nullptr) std::fclose(pFile);
    *height = 0;
    *width = 0;
    return nullptr;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = LibraryMemoryBound();
  progress.progress_monitor = LimitScans;
  cinfo.progress = &progress;

  pFile = std::fopen(path, "rb");
  if (pFile == nullptr) {
    MessageBoxA(nullptr, "Open file failed", "ERROR", MB_ICONEXCLAMATION | MB_OK);
    jpeg_destroy_decompress(&cinfo);
    return nullptr;
  }
  jpeg_stdio_src(&cinfo, pFile);
  jpeg_read_header(&cinfo, TRUE);
  pDest = InitDibDestination(&cinfo);
  RefuseOversizedDib(&cinfo, pDest);
  jpeg_start_decompress(&cinfo);
  DecodeRows(&cinfo, pDest);

  *height = static_cast<int>(cinfo.output_height);
  *width = static_cast<int>(cinfo.output_width);
  if (components != nullptr) *components = cinfo.output_components;
  HGLOBAL hDib = pDest->hDib;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(pFile);
  return hDib;
}
