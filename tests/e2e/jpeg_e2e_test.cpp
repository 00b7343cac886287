// JPEG images end to end: nphost loads NPZELVW.DLL as a browser does, the image is
// shown in its window, and the screenshot and the message log are checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::kAdvice;
using e2e::kWhite;
using e2e::Near;
using e2e::Quarters;
using e2e::Swapped;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

class EndToEndTest : public e2e::HostTest {};

TEST_F(EndToEndTest, FullPageShowsTheDecodedImageLeftAndTheMatchedOneRight) {
  ChooseSrgbMonitor();
  std::string path = WriteSwappingJpeg("swapped.jpg");
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
  for (const auto& entry : fs::directory_iterator(WindowsDir()))
    bSaved |= entry.path().extension() == ".icm";
  EXPECT_TRUE(bSaved);
}

TEST_F(EndToEndTest, TheDemoSampleShowsItsChartWithRedAndGreenSwappedOnTheRight) {
  ChooseSrgbMonitor();
  ASSERT_EQ(Host(std::string(ZELVW_SAMPLES) + "/chart-swapped.jpg", {"--size", "800x320"}), 0);
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  e2e::Screenshot shot = e2e::ReadPng(Shot());
  ASSERT_EQ(shot.width, 800);
  // The chart is 384 x 288 in patches of 48: the last row holds red, green, blue.
  const int nRow = 5 * 48 + 26;
  EXPECT_TRUE(Near(shot.At(26, nRow), 0xFF0000, 6)) << std::hex << shot.At(26, nRow);
  EXPECT_TRUE(Near(shot.At(384 + 26, nRow), 0x00FF00, 8)) << std::hex << shot.At(384 + 26, nRow);
  EXPECT_TRUE(Near(shot.At(384 + 48 + 26, nRow), 0xFF0000, 8));
  EXPECT_TRUE(Near(shot.At(384 + 96 + 26, nRow), 0x0000FF, 8));
  EXPECT_EQ(shot.At(790, 100), kWhite);
}

TEST_F(EndToEndTest, EmbeddedShowsTheMatchedImageAlone) {
  ChooseSrgbMonitor();
  WriteSwappingJpeg("swapped.jpg");
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
  std::string path = WriteSwappingJpeg("swapped.jpg");
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
  std::string path = WriteSwappingJpeg("swapped.jpg");
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

}  // namespace
