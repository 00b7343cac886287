// The plug-in end to end: nphost loads NPZELVW.DLL as a browser does, the image is
// shown in its window, and the screenshot and the message log are checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "color/ColorEngine.h"
#include "host_run.h"
#include "tests/support/scratchdir.h"
#include "tests/viewer/test_images.h"

namespace {

namespace fs = std::filesystem;
using e2e::Near;
using viewertest::Bytes;
using viewertest::Rgb;

constexpr const char* kAdvice =
    "Please exit the application and run SCRNPICK program\n to set the monitor profile.";
constexpr uint32_t kWhite = 0xFFFFFF;

// Solid quarters, so that a JPEG keeps its colours away from the edges.
Rgb Quarters(int x, int y) {
  bool bLeft = x < 32;
  bool bTop = y < 24;
  if (bTop) return bLeft ? Rgb{200, 60, 40} : Rgb{40, 180, 90};
  return bLeft ? Rgb{30, 70, 210} : Rgb{230, 210, 50};
}

uint32_t ToPixel(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }
uint32_t Swapped(Rgb c) { return ToPixel(Rgb{c.g, c.r, c.b}); }

// Bands of 16 rows, each its own colour.
Rgb Bands(int, int y) {
  static const Rgb colours[] = {{220, 40, 40},  {40, 200, 60},  {50, 60, 220},   {230, 220, 40},
                                {40, 210, 220}, {200, 50, 200}, {250, 250, 250}, {20, 20, 20}};
  return colours[(y / 16) % 8];
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_scratch / "windows");
    fs::create_directories(m_scratch / "zirn");
  }

  // Makes the engine's first sRGB display profile the monitor profile of this run's
  // engine home, as the chooser would.
  void ChooseSrgbMonitor() {
    testsupport::ScopedEnv home("ZIRN_HOME", m_scratch / "zirn");
    CColorEngine engine;
    ASSERT_EQ(engine.Load(), 1) << "ZIRN.DLL and TALVERIN.DLL beside the test program";
    int32_t nCursor1 = 0, nCursor2 = 0;
    char szName[256], szPath[256];
    while (engine.m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath, 256) >
           0) {
      if (std::string(szName).rfind("sRGB", 0) == 0) {
        engine.m_pfnSetMonitorProfile(szName);
        return;
      }
    }
    FAIL() << "no sRGB display profile in the engine's store";
  }

  std::string WriteJfxxJpeg(const std::string& name) {
    std::string path = m_scratch / name;
    Bytes jpeg = viewertest::EncodeJpeg(64, 48, Quarters);
    viewertest::WriteBytes(path, viewertest::WithJfxxProfile(
                                     jpeg, viewertest::ReadBytes(viewertest::kSwappedProfile)));
    return path;
  }

  // Runs nphost from the build's program directory (or another) on the file.
  int Host(const std::string& file, std::vector<std::string> options,
           const std::string& nphost = ZELVW_NPHOST) {
    e2e::HostRun run;
    run.nphost = nphost;
    run.workingDirectory = m_scratch.path();
    run.zirnHome = m_scratch / "zirn";
    run.arguments = {"--windir", m_scratch / "windows"};
    run.arguments.insert(run.arguments.end(), {"--screenshot", Shot(), "--messages", Log()});
    run.arguments.insert(run.arguments.end(), options.begin(), options.end());
    run.arguments.push_back(file);
    return e2e::Run(run);
  }

  std::string Shot() const { return m_scratch / "screen.png"; }
  std::string Log() const { return m_scratch / "messages.json"; }

  testsupport::ScratchDir m_scratch;
};

TEST_F(EndToEndTest, FullPageShowsTheDecodedImageLeftAndTheMatchedOneRight) {
  ChooseSrgbMonitor();
  std::string path = WriteJfxxJpeg("swapped.jpg");
  ASSERT_EQ(Host(path, {"--size", "200x100"}), 0);
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 200);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  for (auto [x, y] : {std::pair{10, 10}, std::pair{50, 10}, std::pair{10, 40}, std::pair{50, 40}}) {
    EXPECT_TRUE(Near(shot.At(x, y), ToPixel(Quarters(x, y)), 6))
        << x << "," << y << std::hex << " " << shot.At(x, y);
    EXPECT_TRUE(Near(shot.At(64 + x, y), Swapped(Quarters(x, y)), 8))
        << x << "," << y << std::hex << " " << shot.At(64 + x, y);
  }
  EXPECT_EQ(shot.At(150, 50), kWhite);
  // The profile was saved under the engine's name for it.
  bool bSaved = false;
  for (const auto& entry : fs::directory_iterator(m_scratch / "windows"))
    bSaved |= entry.path().extension() == ".icm";
  EXPECT_TRUE(bSaved);
}

TEST_F(EndToEndTest, EmbeddedShowsTheMatchedImageAlone) {
  ChooseSrgbMonitor();
  WriteJfxxJpeg("swapped.jpg");
  std::string page = m_scratch / "page.html";
  std::string html =
      "<html><body><embed src=\"swapped.jpg\" width=\"120\" height=\"60\"></body></html>\n";
  viewertest::WriteBytes(page, Bytes(html.begin(), html.end()));
  ASSERT_EQ(Host(page, {}), 0);
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_GE(shot.width, 8 + 120);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  // The plug-in's window is 8 pixels from the page's edges.
  for (auto [x, y] : {std::pair{10, 10}, std::pair{50, 40}}) {
    EXPECT_TRUE(Near(shot.At(8 + x, 8 + y), Swapped(Quarters(x, y)), 8)) << x << "," << y;
  }
  EXPECT_EQ(shot.At(8 + 64 + 10, 8 + 10), kWhite);  // nothing beside it
}

TEST_F(EndToEndTest, MonitorLeftAtDefaultDisplayGivesTheAdviceAndTheImageUnmatched) {
  std::string path = WriteJfxxJpeg("swapped.jpg");
  ASSERT_EQ(Host(path, {"--size", "200x100"}), 0);
  std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Plug-in");
  EXPECT_EQ(messages[0].text, kAdvice);
  EXPECT_EQ(messages[0].style, 48u);
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 200);
  EXPECT_TRUE(Near(shot.At(10, 10), ToPixel(Quarters(10, 10)), 6));
  EXPECT_EQ(shot.At(64 + 10, 10), kWhite);
}

TEST_F(EndToEndTest, WithoutTheEngineTheImageIsShownUnmatchedAndNothingIsSaid) {
  // An application directory with the host, the plug-in, its dialog library and the
  // platform, but no engine.
  std::string app = m_scratch / "app";
  fs::create_directories(app);
  fs::path bin = fs::path(ZELVW_NPHOST).parent_path();
  for (const char* file : {"nphost", "NPZELVW.DLL", "ZIRNDLG.dll", "libwin32.so", "libmfc.so"}) {
    fs::copy_file(bin / file, fs::path(app) / file);
  }
  ChooseSrgbMonitor();
  std::string path = WriteJfxxJpeg("swapped.jpg");
  ASSERT_EQ(Host(path, {"--size", "200x100"}, app + "/nphost"), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 200);
  EXPECT_TRUE(Near(shot.At(10, 10), ToPixel(Quarters(10, 10)), 6));
  EXPECT_EQ(shot.At(64 + 10, 10), kWhite);
}

TEST_F(EndToEndTest, BrokenJpegsAreReportedOrShownInPartAndNothingCrashes) {
  const char* files[] = {"jpeg/malformed/jpeg-decoder/empty.jpg",
                         "jpeg/malformed/jpeg-decoder/missing-sos.jpg",
                         "jpeg/malformed/pillow-jpeg/truncated_jpeg.jpg",
                         "jpeg/malformed/jpeg-decoder/dc-predictor-overflow.jpg"};
  for (const char* file : files) {
    std::string path = m_scratch / "broken.jpg";
    fs::copy_file(std::string(ZELVW_TEST_DATA) + "/" + file, path,
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(Host(path, {"--size", "300x200"}), 0) << file;
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    ASSERT_EQ(shot.width, 300) << file;
    bool bReported =
        !messages.empty() && messages.back().text == "Failed in converting to DIB file";
    bool bDrawn = false;
    for (uint32_t pixel : shot.pixels) bDrawn |= pixel != kWhite;
    EXPECT_TRUE(bReported != bDrawn) << file << ": reported " << bReported << ", drawn " << bDrawn;
  }
}

TEST_F(EndToEndTest, TallTiffAndTheSameJpegScrolledDownShowTheSameRows) {
  std::string tiff = m_scratch / "tall.tif";
  std::string jpeg = m_scratch / "tall.jpg";
  viewertest::WriteRgbTiff(tiff, 40, 400, Bands);
  viewertest::WriteBytes(jpeg, viewertest::EncodeJpeg(40, 400, Bands));
  std::string script = m_scratch / "scroll.txt";
  std::string text = "vscroll pagedown\nvscroll pagedown\nvscroll linedown\nvscroll linedown\n";
  viewertest::WriteBytes(script, Bytes(text.begin(), text.end()));

  ASSERT_EQ(Host(tiff, {"--mode", "embed", "--size", "80x120", "--script", script}), 0);
  e2e::Screenshot fromTiff = e2e::ReadPng(Shot());
  ASSERT_EQ(Host(jpeg, {"--mode", "embed", "--size", "80x120", "--script", script}), 0);
  e2e::Screenshot fromJpeg = e2e::ReadPng(Shot());
  ASSERT_EQ(fromTiff.width, fromJpeg.width);
  ASSERT_EQ(fromTiff.height, fromJpeg.height);

  // Scrolled by 110 rows: the top of the window shows row 110 of the picture.
  EXPECT_EQ(fromTiff.At(20, 0), ToPixel(Bands(20, 110)));
  EXPECT_EQ(fromTiff.At(20, 100), ToPixel(Bands(20, 210)));
  int nCompared = 0;
  for (int y = 0; y < 100; ++y) {
    // Rows next to a band edge carry the JPEG's ringing; compare the rest.
    int nRow = y + 110;
    if (nRow % 16 < 2 || nRow % 16 > 13) continue;
    for (int x = 2; x < 38; ++x) {
      EXPECT_TRUE(Near(fromTiff.At(x, y), fromJpeg.At(x, y), 12)) << x << "," << y;
      ++nCompared;
    }
  }
  EXPECT_GT(nCompared, 2000);
}

TEST_F(EndToEndTest, ContextMenuPrintsTheImageThroughTheBrowsersDialogs) {
  std::string path = m_scratch / "tall.tif";
  viewertest::WriteRgbTiff(path, 40, 60, Bands);
  std::string script = m_scratch / "print.txt";
  std::string text =
      "menu 1003\nprinter copies=2 to=" + (m_scratch / "out.pdf") + "\nrclick 20 20\n";
  viewertest::WriteBytes(script, Bytes(text.begin(), text.end()));
  ASSERT_EQ(Host(path, {"--script", script}), 0);
  std::string log = testsupport::ReadFile(Log());
  EXPECT_NE(log.find("{\"id\":1000,\"text\":\"View this Image (tall.tif)\"}"), std::string::npos)
      << log;
  EXPECT_NE(log.find("\"print-dialog\":{\"flags\":1310732}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"print-job\":\"tall.tif\",\"pages\":2"), std::string::npos) << log;
  EXPECT_TRUE(fs::exists(m_scratch / "out.pdf"));
}

}  // namespace
