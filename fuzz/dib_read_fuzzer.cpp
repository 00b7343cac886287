// Fuzz target for CDIB::Read. Read takes an open CFile, so each input is written to
// one temporary file first. An image that is accepted is drawn at two scroll
// offsets into a small memory surface, which reads every row of the pixel block the
// header describes, and its palette is built, which reads its colour table.
#include "bitmap/Dib.h"
#include "viewer/ModuleState.h"

#include <platform/faults.h>
#include <platform/surface.h>

#include "fuzz/FuzzInputFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

constexpr std::size_t kFuzzCeiling = std::size_t{64} << 20;
constexpr int kSurfaceSide = 24;

const FuzzInputFile g_input("dib_read_fuzzer");

void DrawAtTwoOffsets(CDIB& dib) {
  platform::Surface surface(kSurfaceSide, kSurfaceSide);
  HDC hdc = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, kSurfaceSide, kSurfaceSide});
  if (hdc == nullptr) std::abort();
  CDC dc;
  dc.Attach(hdc);
  for (int mode : {1, 2}) {
    dib.Draw(&dc, 0, 0, mode);
    dib.Draw(&dc, dib.Width() / 2, dib.Height() / 2, mode);
  }
  dc.Detach();
  DeleteDC(hdc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::faults::SetGlobalAllocLimit(kFuzzCeiling);
  const char* path = g_input.Write(data, size);

  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) std::abort();
  CDIB dib;
  BOOL bRead = dib.Read(&file);
  file.Close();
  if (!bRead) return 0;
  // What was accepted must be what the file held.
  if (dib.Width() <= 0 || dib.Height() <= 0 || GlobalSize(dib.m_hBits) > size) std::abort();
  DrawAtTwoOffsets(dib);
  dib.MakePalette(nullptr);
  return 0;
}
