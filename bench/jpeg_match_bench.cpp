// The whole matched JPEG path as the plug-in runs it, for bench/data/photo12.jpg with an
// Adobe RGB profile in "JFXX" segments and an sRGB monitor: a viewer document opens the
// file in an 800 x 600 full-page window (decode, marker scan, profile saved and named,
// every pixel matched through ZIRN.DLL, decoded and matched drawn side by side) and is
// deleted again, as a page with the image comes and goes. The document runs in this
// process so that its CPU time can be set beside the reference's in the same rounds;
// nphost would add its own start-up and the module's loading, which are not the path.
//
// The reference decodes the same file with libjpeg and sends each row through one 16-bit
// LittleCMS call (the same profiles and intent as the engine) into a second image, with
// its transform made in the round as the document makes its session. Debian's jpgicc on
// the same file and profiles is timed beside as a whole command (wall time; its CPU time
// too). Rounds run the three in turn; min and median of each are printed at the end, and
// the ratio ours/reference of the thread CPU times.
#include <afxwin.h>
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/rgb_jpeg_decoder.h"
#include "bitmap/Dib.h"
#include "color/ColorEngine.h"
#include "jfxx_segments.h"
#include "npapi.h"
#include "plugin/PluginInstance.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

extern char** environ;

namespace {

constexpr char kPhoto[] = BENCH_DATA_DIR "/photo12.jpg";
constexpr char kSourceProfile[] = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
constexpr char kMonitorName[] = "sRGB";
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

std::string g_dir;
std::string g_photo;        // the photograph with the profile embedded
std::string g_monitorPath;  // the file the engine matches to for kMonitorName

double ThreadSeconds() {
  struct timespec now {};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

jfxx::Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return jfxx::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const jfxx::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The browser's side: a top-level window and the plug-in's child window, subclassed by
// the viewer's window with its instance record, as NPP_SetWindow leaves them.
class CBrowserPage {
 public:
  CBrowserPage() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "JpegMatchBenchBrowser";
    RegisterClassA(&wc);
    m_hTop =
        CreateWindowExA(0, wc.lpszClassName, "browser", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                        kWindowWidth + 40, kWindowHeight + 40, nullptr, nullptr, nullptr, nullptr);
    HWND hChild = CreateWindowExA(0, wc.lpszClassName, "plugin", WS_CHILD | WS_VISIBLE, 0, 0,
                                  kWindowWidth, kWindowHeight, m_hTop, nullptr, nullptr, nullptr);
    if (hChild != nullptr && m_wnd.SubclassWindow(hChild)) {
      m_record = PluginInstance{&m_wnd, nullptr, NP_FULL};
      m_wnd.m_pInstance = &m_record;
      m_bReady = TRUE;
    }
  }
  ~CBrowserPage() {
    if (m_bReady) m_wnd.UnsubclassWindow();
    if (m_hTop != nullptr) DestroyWindow(m_hTop);
  }

  BOOL Ready() const { return m_bReady; }
  CImgVuWnd* Window() { return &m_wnd; }
  void SetDocument(CImgVuDoc* pDoc) { m_record.document = pDoc; }

 private:
  HWND m_hTop = nullptr;
  CImgVuWnd m_wnd;
  PluginInstance m_record{};
  BOOL m_bReady = FALSE;
};

// Opens the photograph in a new document, as one page load does; false when it was not
// shown matched.
bool OpenMatched(CBrowserPage& page) {
  g_bEmbeddedProfile = 0;
  auto* pDoc = new CImgVuDoc;
  pDoc->m_nDisplayMode = NP_FULL;
  page.SetDocument(pDoc);
  bool bMatched = pDoc->Open(page.Window(), g_photo.c_str()) == 1 && pDoc->m_pDIB != nullptr &&
                  pDoc->m_pDIB->m_hMatchedBits != nullptr;
  page.SetDocument(nullptr);
  delete pDoc;
  return bMatched;
}

// Decodes the file into rgb and its transform into matched, row by row.
bool DecodeAndTransform(std::FILE* file, cmsHTRANSFORM hTransform, std::vector<uint8_t>& rgb,
                        std::vector<uint8_t>& matched, std::vector<uint16_t>& in,
                        std::vector<uint16_t>& out) {
  size_t nRowBytes = 0;
  unsigned nPixels = 0;
  auto start = [&](unsigned nWidth, unsigned nHeight) {
    nPixels = nWidth;
    nRowBytes = size_t{nWidth} * 3;
    rgb.resize(nRowBytes * nHeight);
    matched.resize(rgb.size());
    in.resize(nRowBytes);
    out.resize(nRowBytes);
    return rgb.data();
  };
  auto row = [&](unsigned nRow, uint8_t* pRow) {
    for (size_t i = 0; i < nRowBytes; ++i) in[i] = static_cast<uint16_t>(pRow[i] * 257);
    cmsDoTransform(hTransform, in.data(), out.data(), nPixels);
    uint8_t* pMatched = matched.data() + nRowBytes * nRow;
    for (size_t i = 0; i < nRowBytes; ++i) pMatched[i] = static_cast<uint8_t>(out[i] >> 8);
  };
  return bench::DecodeRgbJpeg(file, start, row);
}

bool Reference() {
  cmsHPROFILE hSource = cmsOpenProfileFromFile(kSourceProfile, "r");
  cmsHPROFILE hMonitor = cmsOpenProfileFromFile(g_monitorPath.c_str(), "r");
  cmsHTRANSFORM hTransform =
      hSource != nullptr && hMonitor != nullptr
          ? cmsCreateTransform(hSource, TYPE_RGB_16, hMonitor, TYPE_RGB_16, INTENT_PERCEPTUAL, 0)
          : nullptr;
  if (hSource != nullptr) cmsCloseProfile(hSource);
  if (hMonitor != nullptr) cmsCloseProfile(hMonitor);
  if (hTransform == nullptr) return false;
  std::vector<uint8_t> rgb, matched;
  std::vector<uint16_t> in, out;
  std::FILE* file = std::fopen(g_photo.c_str(), "rb");
  bool bDone = file != nullptr && DecodeAndTransform(file, hTransform, rgb, matched, in, out);
  if (file != nullptr) std::fclose(file);
  benchmark::DoNotOptimize(matched.data());
  cmsDeleteTransform(hTransform);
  return bDone;
}

struct CommandTimes {
  double wall = 0;
  double cpu = 0;
};

// jpgicc on the photograph with the same profiles and intent, as one command; a negative
// wall time when it could not be run or failed.
CommandTimes RunJpgicc() {
  std::string input = std::string("-i") + kSourceProfile;
  std::string output = "-o" + g_monitorPath;
  std::string result = g_dir + "/jpgicc.jpg";
  std::vector<const char*> argv = {"jpgicc",        input.c_str(),  output.c_str(), "-t0",
                                   g_photo.c_str(), result.c_str(), nullptr};
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "jpgicc", nullptr, nullptr, const_cast<char* const*>(argv.data()),
                   environ) != 0) {
    return {-1, -1};
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return {-1, -1};
  }
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return {wall.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

struct Series {
  std::vector<double> values;
  double Min() const { return *std::min_element(values.begin(), values.end()); }
  double Median() const {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }
};

Series g_ours, g_reference, g_jpgiccWall, g_jpgiccCpu;

// Each iteration is one round: the document, the reference, jpgicc.
void WholePath(benchmark::State& state, CBrowserPage* pPage) {
  for (auto _ : state) {
    double start = ThreadSeconds();
    if (!OpenMatched(*pPage)) {
      state.SkipWithError("the document did not show the image matched");
      return;
    }
    double ours = ThreadSeconds() - start;
    start = ThreadSeconds();
    if (!Reference()) {
      state.SkipWithError("the reference pipeline failed");
      return;
    }
    double reference = ThreadSeconds() - start;
    CommandTimes jpgicc = RunJpgicc();
    g_ours.values.push_back(ours);
    g_reference.values.push_back(reference);
    if (jpgicc.wall >= 0) {
      g_jpgiccWall.values.push_back(jpgicc.wall);
      g_jpgiccCpu.values.push_back(jpgicc.cpu);
    }
    state.SetIterationTime(ours + reference);
  }
}

void PrintResults() {
  if (g_ours.values.empty() || g_reference.values.empty()) return;
  std::printf("\n%-34s %10s %10s\n", "whole matched JPEG path (ms)", "min", "median");
  auto row = [](const char* name, const Series& s) {
    std::printf("%-34s %10.1f %10.1f\n", name, s.Min() * 1e3, s.Median() * 1e3);
  };
  row("document, thread CPU", g_ours);
  row("libjpeg + LittleCMS, thread CPU", g_reference);
  if (!g_jpgiccWall.values.empty()) {
    row("jpgicc, wall", g_jpgiccWall);
    row("jpgicc, CPU", g_jpgiccCpu);
  } else {
    std::printf("jpgicc: not run (liblcms2-utils missing or the command failed)\n");
  }
  std::printf("ratio document/reference: %.3f of the min, %.3f of the median (goal <= 0.5)\n",
              g_ours.Min() / g_reference.Min(), g_ours.Median() / g_reference.Median());
}

// The photograph with the profile in one APP2 "JFXX" chunk after SOI.
bool WritePhoto() {
  try {
    jfxx::Bytes profile = ReadFile(kSourceProfile);
    jfxx::CheckProfile(profile);
    jfxx::Layout layout = jfxx::Layout::kApp2;
    std::vector<jfxx::Bytes> segments =
        jfxx::MakeSegments(profile, layout, std::min(profile.size(), jfxx::MaxChunk(layout)));
    g_photo = g_dir + "/photo12-adobergb.jpg";
    return WriteFile(g_photo, jfxx::EmbedSegments(ReadFile(kPhoto), segments));
  } catch (const jfxx::Error& e) {
    std::fprintf(stderr, "jpeg_match_bench: %s\n", e.what());
    return false;
  }
}

// Chooses the engine's sRGB display profile as the monitor's and notes its file. Needs
// the binding a document makes.
bool ChooseMonitor() {
  if (!g_bEngineReady || g_pColorEngine == nullptr) return false;
  int32_t nCursor1 = 0, nCursor2 = 0;
  char szName[260], szPath[260];
  while (g_pColorEngine->m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath,
                                                           260) > 0) {
    if (std::string(szName) == kMonitorName) {
      g_monitorPath = szPath;
      return g_pColorEngine->m_pfnSetMonitorProfile(szName) == 0;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "jpegmatch-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  g_dir = pattern;
  std::filesystem::create_directories(g_dir + "/windows");
  setenv("WINDIR", (g_dir + "/windows").c_str(), 1);
  setenv("ZIRN_HOME", (g_dir + "/zirn").c_str(), 1);
  int nResult = 1;
  {
    CBrowserPage page;
    // A document binds the engine; the monitor is chosen before any image is opened.
    auto* pFirst = new CImgVuDoc;
    bool bMonitor = ChooseMonitor();
    delete pFirst;
    if (!page.Ready() || !WritePhoto() || !bMonitor) {
      std::fprintf(stderr,
                   "jpeg_match_bench: cannot set up the page, the photograph or the "
                   "engine (ZIRN.DLL and TALVERIN.DLL beside the program)\n");
    } else {
      benchmark::Initialize(&argc, argv);
      benchmark::RegisterBenchmark("jpeg_matched/whole_path", WholePath, &page)
          ->UseManualTime()
          ->Iterations(7)
          ->Unit(benchmark::kMillisecond);
      benchmark::RunSpecifiedBenchmarks();
      benchmark::Shutdown();
      PrintResults();
      nResult = 0;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(g_dir, ignored);
  return nResult;
}
