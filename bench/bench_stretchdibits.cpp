// StretchDIBits into an 800 x 600 window surface, the way the viewer paints: a
// 4000 x 3000 (12-megapixel) 24-bit bitmap drawn at its own size at a scroll offset,
// and the same bitmap scaled down to fit. The peers, measured in the same rounds:
// the same unscaled draw of an 800 x 600 bitmap (the visible work alone), and cairo
// painting the 12-megapixel image into an 800 x 600 image surface (offset, and
// scaled with the nearest filter). Results are microseconds per draw (thread CPU
// time, fastest of the rounds) and their ratios, as counters and printed at the end.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <platform/surface.h>
#include <time.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr int kBigWidth = 4000, kBigHeight = 3000;
constexpr int kWindowWidth = 800, kWindowHeight = 600;
constexpr int kDrawsPerRound = 20;

enum Case { kBigAtOffset, kWindowSized, kCairoAtOffset, kBigScaled, kCairoScaled, kCases };

struct Dib {
  BITMAPINFOHEADER header{};
  std::vector<BYTE> bits;
};

Dib MakeDib(int width, int height) {
  Dib dib;
  dib.header =
      BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  dib.bits.resize(stride * height);
  for (std::size_t i = 0; i < dib.bits.size(); ++i)
    dib.bits[i] = static_cast<BYTE>(i * 2654435761u >> 24);
  return dib;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

template <typename Body>
double SecondsPerDraw(Body body) {
  double start = ThreadSeconds();
  for (int i = 0; i < kDrawsPerRound; ++i) body();
  return (ThreadSeconds() - start) / kDrawsPerRound;
}

std::array<double, kCases> g_best;

void Compare(benchmark::State& state) {
  Dib big = MakeDib(kBigWidth, kBigHeight);
  Dib small = MakeDib(kWindowWidth, kWindowHeight);
  platform::Surface window(kWindowWidth, kWindowHeight);
  HDC dc = platform::CreateSurfaceDC(window, POINT{0, 0}, RECT{0, 0, kWindowWidth, kWindowHeight});
  auto info = [](const Dib& d) { return reinterpret_cast<const BITMAPINFO*>(&d.header); };

  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kBigWidth, kBigHeight);
  cairo_surface_t* target =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWindowWidth, kWindowHeight);
  cairo_t* cr = cairo_create(target);
  const int x = 1700, y = 1200;  // a scroll offset in the middle of the picture

  g_best.fill(std::numeric_limits<double>::infinity());
  for (auto _ : state) {
    std::array<double, kCases> seconds{};
    seconds[kBigAtOffset] = SecondsPerDraw([&] {
      StretchDIBits(dc, 0, 0, kBigWidth, kBigHeight, x, -y, kBigWidth, kBigHeight, big.bits.data(),
                    info(big), DIB_RGB_COLORS, SRCCOPY);
    });
    seconds[kWindowSized] = SecondsPerDraw([&] {
      StretchDIBits(dc, 0, 0, kWindowWidth, kWindowHeight, 0, 0, kWindowWidth, kWindowHeight,
                    small.bits.data(), info(small), DIB_RGB_COLORS, SRCCOPY);
    });
    seconds[kCairoAtOffset] = SecondsPerDraw([&] {
      cairo_set_source_surface(cr, image, -x, -y);
      cairo_paint(cr);
    });
    seconds[kBigScaled] = SecondsPerDraw([&] {
      StretchDIBits(dc, 0, 0, kWindowWidth, kWindowHeight, 0, 0, kBigWidth, kBigHeight,
                    big.bits.data(), info(big), DIB_RGB_COLORS, SRCCOPY);
    });
    seconds[kCairoScaled] = SecondsPerDraw([&] {
      cairo_save(cr);
      cairo_scale(cr, static_cast<double>(kWindowWidth) / kBigWidth,
                  static_cast<double>(kWindowHeight) / kBigHeight);
      cairo_set_source_surface(cr, image, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_paint(cr);
      cairo_restore(cr);
    });
    cairo_surface_flush(target);
    benchmark::DoNotOptimize(window.Row(0));
    for (int c = 0; c < kCases; ++c) g_best[c] = std::min(g_best[c], seconds[c]);
    double total = 0;
    for (double s : seconds) total += s;
    state.SetIterationTime(total * kDrawsPerRound);
  }
  for (double& value : g_best) value *= 1e6;
  state.counters["a_big_offset_us"] = g_best[kBigAtOffset];
  state.counters["b_window_sized_us"] = g_best[kWindowSized];
  state.counters["c_cairo_offset_us"] = g_best[kCairoAtOffset];
  state.counters["d_big_scaled_us"] = g_best[kBigScaled];
  state.counters["e_cairo_scaled_us"] = g_best[kCairoScaled];
  state.counters["a/b"] = g_best[kBigAtOffset] / g_best[kWindowSized];
  state.counters["a/c"] = g_best[kBigAtOffset] / g_best[kCairoAtOffset];
  state.counters["d/e"] = g_best[kBigScaled] / g_best[kCairoScaled];

  cairo_destroy(cr);
  cairo_surface_destroy(target);
  cairo_surface_destroy(image);
  DeleteDC(dc);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("stretchdibits/window_800x600", Compare)
      ->UseManualTime()
      ->Iterations(5)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%14s %14s %14s %14s %14s %8s %8s %8s\n", "a big@offset", "b 800x600",
              "c cairo@off", "d big scaled", "e cairo scaled", "a/b", "a/c", "d/e");
  std::printf("%11.1f us %11.1f us %11.1f us %11.1f us %11.1f us %8.3f %8.3f %8.3f\n",
              g_best[kBigAtOffset], g_best[kWindowSized], g_best[kCairoAtOffset],
              g_best[kBigScaled], g_best[kCairoScaled], g_best[kBigAtOffset] / g_best[kWindowSized],
              g_best[kBigAtOffset] / g_best[kCairoAtOffset],
              g_best[kBigScaled] / g_best[kCairoScaled]);
  std::printf(
      "a, d: StretchDIBits of a 4000x3000 bitmap into an 800x600 window (at an offset; scaled to "
      "fit); b: the same unscaled draw of an 800x600 bitmap; c, e: cairo doing a and d "
      "(goal: a/b about 1, the work of the visible pixels only)\n");
  return 0;
}
