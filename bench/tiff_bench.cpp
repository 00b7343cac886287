// The TIFF reader against libtiff on TIFF versions of bench/data/photo12.jpg
// (4000 x 3000), written by libtiff at start-up: RGB LZW, RGB LZW with differencing,
// palette LZW and uncompressed RGB. Ours is Read and ConvertToDIB (conversion to BGR
// bitmap rows included); libtiff's is TIFFOpen and TIFFReadEncodedStrip of every
// strip into an image-sized buffer, so that both end with the whole image in fresh
// memory. For the uncompressed file libtiff also runs into one reused strip buffer
// (the strips then never leave the cache). The matched path (an embedded Adobe RGB
// profile, matched pixel by pixel through ZIRN.DLL to an sRGB monitor) runs against
// libtiff's strips plus one 16-bit LittleCMS call a row. Everything runs in the same
// process; the ratios ours/libtiff of the fastest CPU times are printed at the end.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/rgb_jpeg_decoder.h"
#include "bitmap/Dib.h"
#include "color/ColorEngine.h"
#include "tiff/Tiff.h"
#include "viewer/ModuleState.h"

namespace {

constexpr char kSourceProfile[] = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
constexpr char kMonitorFile[] = "/usr/share/color/icc/colord/sRGB.icc";
constexpr uint32_t kRowsPerStrip = 16;

struct Photo {
  uint32_t nWidth = 0;
  uint32_t nHeight = 0;
  std::vector<uint8_t> rgb;
};

bool DecodePhoto(std::FILE* file, Photo* pPhoto) {
  return bench::DecodeRgbJpeg(file, [pPhoto](unsigned nWidth, unsigned nHeight) {
    pPhoto->nWidth = nWidth;
    pPhoto->nHeight = nHeight;
    pPhoto->rgb.resize(size_t{nWidth} * nHeight * 3);
    return pPhoto->rgb.data();
  });
}

struct Variant {
  const char* name;
  uint16_t wSamples;
  uint16_t wCompression;
  uint16_t wPredictor;
  bool bProfile;
};

const Variant kVariants[] = {
    {"rgb_lzw", 3, COMPRESSION_LZW, 1, false},
    {"rgb_lzw_predictor", 3, COMPRESSION_LZW, 2, false},
    {"palette_lzw", 1, COMPRESSION_LZW, 1, false},
    {"rgb_none", 3, COMPRESSION_NONE, 1, false},
    {"rgb_lzw_matched", 3, COMPRESSION_LZW, 1, true},
};

std::string g_dir;

std::string PathOf(const Variant& v) { return g_dir + "/" + v.name + ".tif"; }

std::vector<uint8_t> ReadBytes(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  std::vector<uint8_t> bytes;
  if (f == nullptr) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

// The palette version takes a 3-3-2 colour cube.
bool WriteVariant(const Photo& photo, const Variant& v) {
  TIFF* tif = TIFFOpen(PathOf(v).c_str(), "w");
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, photo.nWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, photo.nHeight);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, v.wSamples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, v.wCompression);
  if (v.wPredictor != 1) TIFFSetField(tif, TIFFTAG_PREDICTOR, v.wPredictor);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kRowsPerStrip);
  std::vector<uint8_t> pixels;
  if (v.wSamples == 1) {
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    std::vector<uint16_t> red(256), green(256), blue(256);
    for (int i = 0; i < 256; ++i) {
      red[i] = static_cast<uint16_t>((i >> 5) * 65535 / 7);
      green[i] = static_cast<uint16_t>((i >> 2 & 7) * 65535 / 7);
      blue[i] = static_cast<uint16_t>((i & 3) * 65535 / 3);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    for (size_t i = 0; i < photo.rgb.size(); i += 3) {
      pixels.push_back(static_cast<uint8_t>((photo.rgb[i] >> 5) << 5 |
                                            (photo.rgb[i + 1] >> 5) << 2 | photo.rgb[i + 2] >> 6));
    }
  } else {
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    pixels = photo.rgb;
  }
  std::vector<uint8_t> profile;
  if (v.bProfile) {
    profile = ReadBytes(kSourceProfile);
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
  }
  size_t nRowBytes = size_t{photo.nWidth} * v.wSamples;
  for (uint32_t y = 0, s = 0; y < photo.nHeight; y += kRowsPerStrip, ++s) {
    uint32_t nRows = std::min(kRowsPerStrip, photo.nHeight - y);
    if (TIFFWriteEncodedStrip(tif, s, pixels.data() + y * nRowBytes,
                              static_cast<tmsize_t>(nRows * nRowBytes)) < 0) {
      TIFFClose(tif);
      return false;
    }
  }
  TIFFClose(tif);
  return true;
}

// Binds ZIRN.DLL beside this program, with a private store and an sRGB monitor.
bool SetUpEngine() {
  setenv("ZIRN_HOME", (g_dir + "/zirn").c_str(), 1);
  std::filesystem::create_directories(g_dir + "/windows");
  g_pColorEngine = new CColorEngine;
  if (g_pColorEngine->Load() != 1) return false;
  g_bEngineReady = 1;
  g_strWindowsDir = (g_dir + "/windows\\").c_str();
  char szName[256] = {};
  if (g_pColorEngine->m_pfnGetProfileName(kMonitorFile, szName) <= 0) return false;
  g_pColorEngine->m_pfnSetMonitorProfile(szName);
  return true;
}

void Ours(benchmark::State& state, const Variant* pVariant) {
  for (auto _ : state) {
    g_bEmbeddedProfile = 0;
    g_nProfilePaths = 0;
    CFile file;
    if (!file.Open(PathOf(*pVariant).c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
      state.SkipWithError("cannot open the file");
      return;
    }
    CTIFF tiff;
    CDIB dib;
    if (tiff.Read(&file) != 0 || tiff.ConvertToDIB(&file, &dib) != 0) {
      state.SkipWithError("conversion failed");
      return;
    }
    if (pVariant->bProfile && dib.m_hMatchedBits == nullptr) {
      state.SkipWithError("not matched");
      return;
    }
    benchmark::DoNotOptimize(dib.m_hBits);
  }
}

// libtiff's strips, into the image's buffer or (bStripBuffer) one reused strip
// buffer; for the matched variant also one 16-bit LittleCMS call a row.
void Libtiff(benchmark::State& state, const Variant* pVariant, bool bStripBuffer) {
  cmsHTRANSFORM hTransform = nullptr;
  if (pVariant->bProfile) {
    cmsHPROFILE hSource = cmsOpenProfileFromFile(kSourceProfile, "r");
    cmsHPROFILE hMonitor = cmsOpenProfileFromFile(kMonitorFile, "r");
    hTransform =
        cmsCreateTransform(hSource, TYPE_RGB_16, hMonitor, TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
    cmsCloseProfile(hSource);
    cmsCloseProfile(hMonitor);
  }
  for (auto _ : state) {
    TIFF* tif = TIFFOpen(PathOf(*pVariant).c_str(), "r");
    if (tif == nullptr) {
      state.SkipWithError("libtiff cannot open the file");
      break;
    }
    uint32_t nWidth = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &nWidth);
    tmsize_t nStripSize = TIFFStripSize(tif);
    tstrip_t nStrips = TIFFNumberOfStrips(tif);
    size_t nImageBytes =
        bStripBuffer ? static_cast<size_t>(nStripSize) : static_cast<size_t>(nStripSize) * nStrips;
    std::unique_ptr<uint8_t[]> pImage(new uint8_t[nImageBytes]);
    std::vector<uint16_t> in(size_t{nWidth} * 3), out(size_t{nWidth} * 3);
    for (tstrip_t s = 0; s < nStrips; ++s) {
      uint8_t* pStrip = pImage.get() + (bStripBuffer ? 0 : static_cast<size_t>(nStripSize) * s);
      tmsize_t n = TIFFReadEncodedStrip(tif, s, pStrip, nStripSize);
      if (hTransform == nullptr) continue;
      size_t nRowBytes = size_t{nWidth} * 3;
      for (size_t r = 0; r * nRowBytes < static_cast<size_t>(n); ++r) {
        for (size_t i = 0; i < nRowBytes; ++i)
          in[i] = static_cast<uint16_t>(pStrip[r * nRowBytes + i] * 257);
        cmsDoTransform(hTransform, in.data(), out.data(), nWidth);
      }
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::DoNotOptimize(pImage.get());
    TIFFClose(tif);
  }
  if (hTransform != nullptr) cmsDeleteTransform(hTransform);
}

// Keeps the fastest CPU time of each benchmark for the ratios: the machine is shared,
// so real time measures the neighbours too.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      double dSeconds = run.GetAdjustedCPUTime();
      auto [it, inserted] = best.emplace(run.run_name.function_name, dSeconds);
      if (!inserted) it->second = std::min(it->second, dSeconds);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> best;
};

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tiffbench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  g_dir = pattern;
  TIFFSetWarningHandler(nullptr);
  Photo photo;
  std::FILE* f = std::fopen(BENCH_DATA_DIR "/photo12.jpg", "rb");
  bool bDecoded = f != nullptr && DecodePhoto(f, &photo);
  if (f != nullptr) std::fclose(f);
  if (!bDecoded) {
    std::fprintf(stderr, "tiff_bench: cannot decode %s/photo12.jpg\n", BENCH_DATA_DIR);
    return 1;
  }
  for (const Variant& v : kVariants) {
    if (!WriteVariant(photo, v)) {
      std::fprintf(stderr, "tiff_bench: cannot write %s\n", PathOf(v).c_str());
      return 1;
    }
  }
  if (!SetUpEngine()) {
    std::fprintf(stderr, "tiff_bench: cannot bind ZIRN.DLL beside the program\n");
    return 1;
  }
  for (const Variant& v : kVariants) {
    benchmark::RegisterBenchmark((std::string("ours/") + v.name).c_str(), Ours, &v)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3);
    benchmark::RegisterBenchmark((std::string("libtiff/") + v.name).c_str(), Libtiff, &v, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3);
    if (v.wCompression == COMPRESSION_NONE) {
      benchmark::RegisterBenchmark((std::string("libtiff_strip_buffer/") + v.name).c_str(), Libtiff,
                                   &v, true)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1)
          ->Repetitions(3);
    }
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios ours/libtiff (fastest CPU time of each):\n");
  for (const Variant& v : kVariants) {
    auto ours = reporter.best.find(std::string("ours/") + v.name);
    for (const char* peerName : {"libtiff/", "libtiff_strip_buffer/"}) {
      auto peer = reporter.best.find(peerName + std::string(v.name));
      if (ours == reporter.best.end() || peer == reporter.best.end()) continue;
      std::printf("  %-20s against %-22s %6.2f  (%.1f ms / %.1f ms)\n", v.name, peerName,
                  ours->second / peer->second, ours->second, peer->second);
    }
  }
  benchmark::Shutdown();
  delete g_pColorEngine;
  std::error_code ignored;
  std::filesystem::remove_all(g_dir, ignored);
  return 0;
}
