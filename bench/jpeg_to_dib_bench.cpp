// JpegToDib against the plainest decode to the same result: libjpeg one scanline
// at a time, each row swapped to BGR straight into its place in a bottom-up
// block. JpegToDib keeps the whole image in the library's array and copies it
// out at the end, so the difference is the price of that second copy. Both read
// the same 12-megapixel file from the page cache. Prints the ratio of the
// fastest repetitions at the end.
#include "jpeg/JpegToDib.h"

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

const char kPhoto[] = BENCH_DATA_DIR "/photo12.jpg";

struct ReferenceError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void ReferenceErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ReferenceError*>(cinfo->err)->jump, 1);
}

// Returns a malloc'd bottom-up BGR block, or nullptr.
uint8_t* ReferenceDecode(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return nullptr;
  jpeg_decompress_struct cinfo;
  ReferenceError err;
  uint8_t* volatile block = nullptr;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ReferenceErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    std::free(block);
    return nullptr;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
  size_t dataWidth = size_t{cinfo.output_width} * 3;
  size_t rowWidth = (dataWidth + 3) & ~size_t{3};
  block = static_cast<uint8_t*>(std::malloc(rowWidth * cinfo.output_height));
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              static_cast<JDIMENSION>(dataWidth), 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* out = block + (cinfo.output_height - 1 - cinfo.output_scanline) * rowWidth;
    jpeg_read_scanlines(&cinfo, row, 1);
    const JSAMPLE* in = row[0];
    for (JDIMENSION x = cinfo.output_width; x != 0; --x) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      in += 3;
      out += 3;
    }
    std::memset(out, 0, rowWidth - dataWidth);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return block;
}

void BM_JpegToDib(benchmark::State& state) {
  for (auto _ : state) {
    int height = 0;
    int width = 0;
    HGLOBAL hDib = JpegToDib(kPhoto, &height, &width);
    if (hDib == nullptr) {
      state.SkipWithError("JpegToDib failed");
      break;
    }
    GlobalFree(hDib);
  }
}
BENCHMARK(BM_JpegToDib)->Unit(benchmark::kMillisecond)->Repetitions(7);

void BM_Reference(benchmark::State& state) {
  for (auto _ : state) {
    uint8_t* block = ReferenceDecode(kPhoto);
    if (block == nullptr) {
      state.SkipWithError("reference decode failed");
      break;
    }
    std::free(block);
  }
}
BENCHMARK(BM_Reference)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Keeps the fastest repetition of each benchmark, in wall and in CPU time (the
// steadier of the two on a shared machine).
class FastestReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = 0;
    double cpu = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      Times& best = m_best[run.run_name.function_name];
      double real = run.GetAdjustedRealTime();
      double cpu = run.GetAdjustedCPUTime();
      if (best.real == 0 || real < best.real) best.real = real;
      if (best.cpu == 0 || cpu < best.cpu) best.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  Times Best(const std::string& name) const {
    auto it = m_best.find(name);
    return it == m_best.end() ? Times{} : it->second;
  }

 private:
  std::map<std::string, Times> m_best;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  FastestReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  FastestReporter::Times ours = reporter.Best("BM_JpegToDib");
  FastestReporter::Times reference = reporter.Best("BM_Reference");
  if (ours.real > 0 && reference.real > 0 && ours.cpu > 0 && reference.cpu > 0)
    std::printf("JpegToDib / reference decode, fastest runs: %.3f wall, %.3f CPU\n",
                ours.real / reference.real, ours.cpu / reference.cpu);
  benchmark::Shutdown();
  return 0;
}
