// The DIB output module. Rows are decoded top to bottom into the library's
// whole-image array and turned bottom-up only in the finish step, so the global
// block is not allocated until decoding has succeeded.
#include "jpeg/DibDestination.h"

#include <cstdint>
#include <cstring>

#include <jerror.h>

namespace {

void StartDibOutput(j_decompress_ptr cinfo, DibDestination* dest) {}

// The next row of the whole-image array, for writing. A call beyond the last
// row is refused by the library (JERR_BAD_VIRTUAL_ACCESS).
JSAMPROW NextImageRow(j_decompress_ptr cinfo, DibDestination* dest) {
  JSAMPARRAY rows = (*cinfo->mem->access_virt_sarray)(
      reinterpret_cast<j_common_ptr>(cinfo), dest->pWholeImage, dest->uCurrentRow, 1, TRUE);
  ++dest->uCurrentRow;
  return rows[0];
}

// Each call stores one row, whatever count it is given: the buffer is one row high.
// Every pixel but the last is turned around in one 4-byte load and store: the byte
// stored after the pixel is its successor's first, which the next step writes over.
void PutRgbRows(j_decompress_ptr cinfo, DibDestination* dest, JDIMENSION nRowsSupplied) {
  JSAMPROW out = NextImageRow(cinfo, dest);
  const JSAMPLE* in = dest->pBuffer[0];
  JDIMENSION nWidth = cinfo->output_width;
  for (JDIMENSION x = 1; x < nWidth; ++x) {
    uint32_t rgbx;
    std::memcpy(&rgbx, in, sizeof rgbx);
    uint32_t bgr = __builtin_bswap32(rgbx) >> 8;
    std::memcpy(out, &bgr, sizeof bgr);
    in += 3;
    out += 3;
  }
  if (nWidth != 0) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out += 3;
  }
  std::memset(out, 0, static_cast<size_t>(dest->nPadBytes));
}

void PutGrayRows(j_decompress_ptr cinfo, DibDestination* dest, JDIMENSION nRowsSupplied) {
  JSAMPROW out = NextImageRow(cinfo, dest);
  std::memcpy(out, dest->pBuffer[0], dest->uDataWidth);
  std::memset(out + dest->uDataWidth, 0, static_cast<size_t>(dest->nPadBytes));
}

// The block is recorded as soon as it exists, so that an error exit later in the
// decode can still find and free it.
void FinishDibOutput(j_decompress_ptr cinfo, DibDestination* dest) {
  size_t rowWidth = dest->uRowWidth;
  HGLOBAL hDib = GlobalAlloc(GMEM_MOVEABLE, rowWidth * cinfo->output_height);
  dest->hDib = hDib;
  if (hDib == nullptr) return;
  auto* out = static_cast<BYTE*>(GlobalLock(hDib));
  if (out == nullptr) {
    GlobalFree(hDib);
    dest->hDib = nullptr;
    return;
  }
  for (JDIMENSION row = cinfo->output_height; row-- != 0;) {
    JSAMPARRAY in = (*cinfo->mem->access_virt_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                      dest->pWholeImage, row, 1, FALSE);
    std::memcpy(out, in[0], rowWidth);
    out += rowWidth;
  }
  GlobalUnlock(hDib);
}

}  // namespace

DibDestination* InitDibDestination(j_decompress_ptr cinfo) {
  auto* dest = static_cast<DibDestination*>((*cinfo->mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, sizeof(DibDestination)));
  dest->pfnStart = StartDibOutput;
  dest->pfnFinish = FinishDibOutput;
  dest->hDib = nullptr;
  switch (cinfo->out_color_space) {
    case JCS_GRAYSCALE:
      dest->pfnPutRows = PutGrayRows;
      break;
    case JCS_RGB:
      dest->pfnPutRows = PutRgbRows;
      break;
    default:
      ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
  }

  jpeg_calc_output_dimensions(cinfo);
  // At most 65500 pixels of 3 samples: the widths fit an unsigned int.
  dest->uDataWidth = cinfo->output_width * static_cast<unsigned>(cinfo->output_components);
  dest->uRowWidth = (dest->uDataWidth + 3u) & ~3u;
  dest->nPadBytes = static_cast<int>(dest->uRowWidth - dest->uDataWidth);

  dest->pWholeImage =
      (*cinfo->mem->request_virt_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, FALSE,
                                         dest->uRowWidth, cinfo->output_height, 1);
  dest->uCurrentRow = 0;
  dest->pBuffer = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                              dest->uRowWidth, 1);
  dest->nBufferHeight = 1;
  return dest;
}
