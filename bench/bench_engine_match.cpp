// One-record engine calls, the way the system matches pixels, against LittleCMS on the
// same colours: one 16-bit call for the whole image, and one call per pixel. Three
// 12-megapixel inputs: a photograph, a fractal plasma (many distinct colours) and
// random noise. Results are ns per pixel (thread CPU time, fastest of three runs) and
// the ratios engine/whole-image and engine/per-pixel, printed at the end; only the
// transform calls are timed.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <time.h>
#include <zirn.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kSource[] = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
constexpr char kMonitorFile[] = "/usr/share/color/icc/colord/sRGB.icc";
constexpr char kMonitorName[] = "sRGB";

struct Image {
  std::vector<MatchColor> records;    // r*256, g*256, b*256, as the JPEG path builds them
  std::vector<std::uint16_t> packed;  // the same components, three per pixel
};

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf exit;
};

void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->exit, 1);
}

// Decodes to 8-bit RGB; false on any error. The only function with setjmp: nothing with
// a destructor is created between setjmp and the library calls.
bool DecodeJpeg(std::FILE* file, std::vector<std::uint8_t>& rgb) {
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.exit)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  rgb.resize(std::size_t{info.output_width} * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rgb.data() + std::size_t{info.output_scanline} * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

Image FromRgb(const std::vector<std::uint8_t>& rgb) {
  Image image;
  image.records.resize(rgb.size() / 3);
  image.packed.resize(rgb.size());
  for (std::size_t i = 0; i < image.records.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      auto value = static_cast<std::uint16_t>(rgb[3 * i + c] << 8);
      image.records[i].c[c] = value;
      image.packed[3 * i + c] = value;
    }
    image.records[i].c[3] = 0;
  }
  return image;
}

Image LoadJpeg(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  std::vector<std::uint8_t> rgb;
  if (file == nullptr || !DecodeJpeg(file.get(), rgb)) {
    std::fprintf(stderr, "cannot decode %s\n", path.c_str());
    std::exit(1);
  }
  return FromRgb(rgb);
}

Image Noise(std::size_t pixels) {
  std::vector<std::uint8_t> rgb(pixels * 3);
  std::uint64_t state = 0x243F6A8885A308D3ull;
  for (std::uint8_t& byte : rgb) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return FromRgb(rgb);
}

enum Case { kEngine, kWholeImage, kPerPixel };

// Fastest iteration of each case, in ns per pixel.
std::map<std::string, std::map<Case, double>> g_nsPerPixel;

class Lcms {
 public:
  explicit Lcms(cmsUInt32Number flags) {
    cmsHPROFILE in = cmsOpenProfileFromFile(kSource, "r");
    cmsHPROFILE out = cmsOpenProfileFromFile(kMonitorFile, "r");
    m_transform = cmsCreateTransform(in, TYPE_RGB_16, out, TYPE_RGB_16, INTENT_PERCEPTUAL, flags);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
  }
  ~Lcms() { cmsDeleteTransform(m_transform); }
  cmsHTRANSFORM get() const { return m_transform; }

 private:
  cmsHTRANSFORM m_transform;
};

// CPU time of this thread: the machine is shared, and time spent waiting for a core
// says nothing about the code.
double ThreadSeconds() {
  struct timespec now {};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs prepare untimed and body timed in each iteration.
template <typename Prepare, typename Body>
void Timed(benchmark::State& state, const std::string& label, Case which, std::size_t pixels,
           Prepare prepare, Body body) {
  double best = std::numeric_limits<double>::infinity();
  for (auto _ : state) {
    prepare();
    double start = ThreadSeconds();
    body();
    double seconds = ThreadSeconds() - start;
    state.SetIterationTime(seconds);
    best = std::min(best, seconds * 1e9 / static_cast<double>(pixels));
  }
  g_nsPerPixel[label][which] = best;
  state.counters["ns_per_pixel"] = best;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pixels));
}

void WholeImage(benchmark::State& state, const std::string& label, const Image* image) {
  Lcms lcms(0);
  std::vector<std::uint16_t> out(image->packed.size());
  const std::size_t pixels = image->records.size();
  Timed(
      state, label, kWholeImage, pixels, [] {},
      [&] {
        cmsDoTransform(lcms.get(), image->packed.data(), out.data(),
                       static_cast<cmsUInt32Number>(pixels));
        benchmark::DoNotOptimize(out.data());
      });
}

void PerPixel(benchmark::State& state, const std::string& label, const Image* image) {
  Lcms lcms(0);
  std::vector<std::uint16_t> out(image->packed.size());
  const std::size_t pixels = image->records.size();
  Timed(
      state, label, kPerPixel, pixels, [] {},
      [&] {
        for (std::size_t i = 0; i < pixels; ++i) {
          cmsDoTransform(lcms.get(), &image->packed[3 * i], &out[3 * i], 1);
        }
        benchmark::DoNotOptimize(out.data());
      });
}

// Each iteration is one image as the system matches it: a new session (untimed), then
// one call per pixel.
void Engine(benchmark::State& state, const std::string& label, const Image* image) {
  std::vector<MatchColor> records;
  const std::size_t pixels = image->records.size();
  short status = ZIRN_OK;
  Timed(
      state, label, kEngine, pixels,
      [&] {
        records = image->records;
        status |= ZIRN_BeginMatchingSession(kSource, kMonitorName);
      },
      [&] {
        for (std::size_t i = 0; i < pixels; ++i) status |= ZIRN_Match(1, &records[i]);
        benchmark::DoNotOptimize(records.data());
      });
  ZIRN_EndMatching();
  if (status != ZIRN_OK) state.SkipWithError("the engine failed");
  const auto& measured = g_nsPerPixel[label];
  if (measured.count(kWholeImage) != 0) {
    state.counters["engine/whole_image"] = measured.at(kEngine) / measured.at(kWholeImage);
  }
  if (measured.count(kPerPixel) != 0) {
    state.counters["engine/per_pixel"] = measured.at(kEngine) / measured.at(kPerPixel);
  }
}

void Register(const std::string& label, const Image* image) {
  auto add = [&](const char* name,
                 void (*function)(benchmark::State&, const std::string&, const Image*)) {
    benchmark::RegisterBenchmark((label + "/" + name).c_str(), function, label, image)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
  };
  // The engine last, so its counters can give the ratios.
  add("lcms_whole_image", WholeImage);
  add("lcms_per_pixel", PerPixel);
  add("engine_one_record_calls", Engine);
}

void PrintRatios() {
  std::printf("\n%-8s %12s %12s %12s %10s %10s\n", "image", "engine ns/px", "whole ns/px",
              "per-px ns/px", "a/b", "a/c");
  for (const auto& [label, measured] : g_nsPerPixel) {
    if (measured.size() != 3) continue;
    double a = measured.at(kEngine);
    double b = measured.at(kWholeImage);
    double c = measured.at(kPerPixel);
    std::printf("%-8s %12.2f %12.2f %12.2f %10.3f %10.3f\n", label.c_str(), a, b, c, a / b, a / c);
  }
  std::printf(
      "a: one-record ZIRN_Match calls; b: one whole-image cmsDoTransform; "
      "c: cmsDoTransform per pixel (goals: a/b <= 0.35 on photo, a/c <= 1.15 on "
      "plasma and noise)\n");
}

}  // namespace

int main(int argc, char** argv) {
  // A private engine home: the benchmark must not read or change the user's setting.
  std::string home = (std::filesystem::temp_directory_path() / "zirn-bench-XXXXXX").string();
  if (::mkdtemp(home.data()) == nullptr) return 1;
  ::setenv("ZIRN_HOME", home.c_str(), 1);

  benchmark::Initialize(&argc, argv);
  const Image photo = LoadJpeg(BENCH_DATA_DIR "/photo12.jpg");
  const Image plasma = LoadJpeg(BENCH_DATA_DIR "/plasma12.jpg");
  const Image noise = Noise(photo.records.size());
  Register("photo", &photo);
  Register("plasma", &plasma);
  Register("noise", &noise);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  std::filesystem::remove_all(home);
  return 0;
}
