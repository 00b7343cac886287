// The context menu end to end: nphost answers the menu and the dialogs; printed pages
// are read back with poppler's pdfinfo and pdftoppm.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::Near;
using e2e::Swapped;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

constexpr int kRenderDpi = 72;  // one rendered pixel per PDF point

// Solid quarters of a 130 x 65 image: 2 x 1 inches at 65 image pixels per inch.
constexpr int kWidth = 130;
constexpr int kHeight = 65;
Rgb Quarters(int x, int y) {
  bool bLeft = x < kWidth / 2;
  bool bTop = y < kHeight / 2;
  if (bTop) return bLeft ? Rgb{200, 60, 40} : Rgb{40, 180, 90};
  return bLeft ? Rgb{30, 70, 210} : Rgb{230, 210, 50};
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// The value pdfinfo gives for key ("Pages", "Page size"), without its padding.
std::string PdfInfo(const std::string& pdf, const std::string& key) {
  std::string info = "\n" + CommandOutput("pdfinfo " + e2e::ShellQuoted(pdf) + " 2>&1");
  size_t at = info.find("\n" + key + ":");
  if (at == std::string::npos) return "(no " + key + " in:" + info + ")";
  size_t value = info.find_first_not_of(' ', at + key.size() + 2);
  return info.substr(value, info.find('\n', value) - value);
}

// Every page of the PDF, drawn at kRenderDpi.
std::vector<e2e::Screenshot> RenderPages(const std::string& pdf) {
  std::string prefix = pdf + "-page";
  std::string command = "pdftoppm -r " + std::to_string(kRenderDpi) + " -png " +
                        e2e::ShellQuoted(pdf) + " " + e2e::ShellQuoted(prefix);
  std::vector<e2e::Screenshot> pages;
  if (std::system(command.c_str()) != 0) return pages;
  for (int n = 1; fs::exists(prefix + "-" + std::to_string(n) + ".png"); ++n)
    pages.push_back(e2e::ReadPng(prefix + "-" + std::to_string(n) + ".png"));
  return pages;
}

struct Box {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // right, bottom: past the end
};

// Where anything but paper white was drawn.
Box InkBox(const e2e::Screenshot& page) {
  Box box;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      if (Near(page.At(x, y), e2e::kWhite, 16)) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

// A US Letter page holding the 2 x 1 inch image centred (3.25 inches from the left,
// 5 from the top), its quarters in the colours given.
void ExpectImageCentred(const e2e::Screenshot& page, const std::vector<uint32_t>& quarters,
                        int nTolerance) {
  ASSERT_EQ(page.width, 8.5 * kRenderDpi);
  ASSERT_EQ(page.height, 11 * kRenderDpi);
  Box box = InkBox(page);
  EXPECT_NEAR(box.left, 3.25 * kRenderDpi, 1);
  EXPECT_NEAR(box.top, 5 * kRenderDpi, 1);
  EXPECT_NEAR(box.right, 5.25 * kRenderDpi, 1);
  EXPECT_NEAR(box.bottom, 6 * kRenderDpi, 1);
  int w = box.right - box.left;
  int h = box.bottom - box.top;
  int centres[4][2] = {
      {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
  for (int i = 0; i < 4; ++i) {
    uint32_t pixel = page.At(box.left + centres[i][0], box.top + centres[i][1]);
    EXPECT_TRUE(Near(pixel, quarters[i], nTolerance))
        << "quarter " << i << std::hex << ": " << pixel << " for " << quarters[i];
  }
}

class MenuEndToEndTest : public e2e::HostTest {
 protected:
  std::string Script(const std::string& text) { return WriteText("script.txt", text); }

  std::string WriteQuartersJpeg(const std::string& name, bool bSwappingProfile) {
    std::string path = m_scratch / name;
    Bytes jpeg = viewertest::EncodeJpeg(kWidth, kHeight, Quarters);
    if (bSwappingProfile) {
      jpeg = viewertest::WithJfxxProfile(jpeg, viewertest::ReadBytes(viewertest::kSwappedProfile));
    }
    viewertest::WriteBytes(path, jpeg);
    return path;
  }

  std::string LogText() const { return testsupport::ReadFile(Log()); }
};

const std::vector<uint32_t> kQuarters = {ToPixel(Quarters(0, 0)), ToPixel(Quarters(kWidth - 1, 0)),
                                         ToPixel(Quarters(0, kHeight - 1)),
                                         ToPixel(Quarters(kWidth - 1, kHeight - 1))};

TEST_F(MenuEndToEndTest, ContextMenuPrintsOnePageACopyWithTheImageCentred) {
  std::string path = m_scratch / "quarters.tif";
  viewertest::WriteRgbTiff(path, kWidth, kHeight, Quarters);
  std::string pdf = m_scratch / "out.pdf";
  ASSERT_EQ(Host(path, {"--script",
                        Script("menu 1003\nprinter copies=2 to=" + pdf + "\nrclick 20 20\n")}),
            0);
  std::string log = LogText();
  EXPECT_NE(log.find("{\"id\":1000,\"text\":\"View this Image (quarters.tif)\"}"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("\"print-dialog\":{\"flags\":1310732}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"print-job\":\"quarters.tif\",\"pages\":2"), std::string::npos) << log;
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());

  EXPECT_EQ(PdfInfo(pdf, "Pages"), "2");
  EXPECT_EQ(PdfInfo(pdf, "Page size"), "612 x 792 pts (letter)");
  std::vector<e2e::Screenshot> pages = RenderPages(pdf);
  ASSERT_EQ(pages.size(), 2u);
  for (const e2e::Screenshot& page : pages) ExpectImageCentred(page, kQuarters, 2);
}

TEST_F(MenuEndToEndTest, BrowsersPrintRequestPrintsTheMatchedImageAPageACopy) {
  ChooseSrgbMonitor();
  std::string path = WriteQuartersJpeg("swapped.jpg", true);
  // Another resolution: the image keeps its size in inches.
  std::string pdf = m_scratch / "browser.pdf";
  ASSERT_EQ(Host(path, {"--script", Script("printer copies=3 dpi=150 to=" + pdf + "\nprint\n")}),
            0);
  std::string log = LogText();
  EXPECT_NE(log.find("\"print-job\":\"swapped.jpg\",\"pages\":3"), std::string::npos) << log;
  EXPECT_EQ(log.find("\"menu\""), std::string::npos) << log;
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());

  EXPECT_EQ(PdfInfo(pdf, "Pages"), "3");
  std::vector<e2e::Screenshot> pages = RenderPages(pdf);
  ASSERT_EQ(pages.size(), 3u);
  std::vector<uint32_t> matched;
  for (int i = 0; i < 4; ++i)
    matched.push_back(Swapped(Quarters(i % 2 * (kWidth - 1), i / 2 * (kHeight - 1))));
  for (const e2e::Screenshot& page : pages) ExpectImageCentred(page, matched, 8);
}

TEST_F(MenuEndToEndTest, CancelledPrintDialogPrintsNothing) {
  std::string path = WriteQuartersJpeg("plain.jpg", false);
  ASSERT_EQ(Host(path, {"--script", Script("menu 1003\nprinter cancel\nrclick 5 5\nprint\n")}), 0);
  std::string log = LogText();
  EXPECT_NE(log.find("\"print-dialog\":{\"flags\":1310732},\"answer\":null"), std::string::npos)
      << log;
  EXPECT_EQ(log.find("print-job"), std::string::npos) << log;
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
  for (const std::string& file : ScratchFiles()) {
    EXPECT_NE(fs::path(file).extension(), ".pdf") << file;
    EXPECT_NE(fs::path(file).extension(), ".png") << file;
  }
}

TEST_F(MenuEndToEndTest, SaveAsCopiesTheDeliveredFileByteForByte) {
  struct Case {
    std::string file, defext, filter;
  };
  for (const Case& c : {Case{"M0A1B2C3.JPG", "JPG", "JPEG (*.JPG)|*.JPG||"},
                        Case{"scan.tif", "TIF", "TIFF (*.TIF)|*.TIF||"}}) {
    std::string path = m_scratch / c.file;
    if (c.defext == "JPG") {
      viewertest::WriteBytes(path, viewertest::EncodeJpeg(16, 8, Quarters));
    } else {
      viewertest::WriteRgbTiff(path, 16, 8, Quarters);
    }
    // Spaces in the folder and the name; a name without an extension gets the
    // default one, and the file of that name is replaced.
    std::string answer = m_scratch / "my copies/a copy";
    std::string copy = answer + "." + c.defext;
    fs::create_directories(m_scratch / "my copies");
    viewertest::WriteBytes(copy, Bytes{'o', 'l', 'd'});
    ASSERT_EQ(Host(path, {"--script", Script("menu 1002\nsave-as " + answer + "\nrclick 5 5\n")}),
              0);
    EXPECT_EQ(viewertest::ReadBytes(copy), viewertest::ReadBytes(path)) << c.file;
    std::string log = LogText();
    std::string dialog = "{\"save-dialog\":{\"defext\":\"" + c.defext + "\",\"file\":\"" +
                         fs::path(c.file).stem().string() + "\",\"filter\":\"" + c.filter +
                         "\",\"flags\":6},\"answer\":\"" + answer + "\"}";
    EXPECT_NE(log.find(dialog), std::string::npos) << log;
    // The dialog asked before replacing; the plug-in itself said nothing.
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    ASSERT_EQ(messages.size(), 1u) << log;
    EXPECT_NE(messages[0].text.find("already exists"), std::string::npos);
  }
}

TEST_F(MenuEndToEndTest, CancelledSaveDialogCopiesNothing) {
  std::string path = WriteQuartersJpeg("photo.jpg", false);
  std::set<std::string> before = ScratchFiles();
  // Cancelled once by the answer, once for want of one.
  ASSERT_EQ(Host(path, {"--script", Script("menu 1002\nsave-as cancel\nrclick 5 5\n"
                                           "menu 1002\nrclick 5 5\n")}),
            0);
  std::set<std::string> after = ScratchFiles();
  after.erase(m_scratch / "script.txt");
  EXPECT_EQ(after, before);
  std::string log = LogText();
  std::string cancelled =
      "\"file\":\"photo\",\"filter\":\"JPEG (*.JPG)|*.JPG||\",\"flags\":6},"
      "\"answer\":null}";
  size_t first = log.find(cancelled);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(cancelled, first + 1), std::string::npos) << log;
  EXPECT_TRUE(e2e::ReadMessageBoxes(Log()).empty());
}

TEST_F(MenuEndToEndTest, AboutShowsTheEnginesAboutBoxWithItsMonitorProfile) {
  std::string path = WriteQuartersJpeg("plain.jpg", false);
  std::string script = Script("menu 1004\nrclick 5 5\n");
  ASSERT_EQ(Host(path, {"--script", script}), 0);
  std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
  // The engine's own box, telling the engine's state.
  ASSERT_EQ(messages.size(), 1u) << LogText();
  EXPECT_EQ(messages[0].caption, "About ZIRN");
  EXPECT_NE(messages[0].text.find("Monitor profile: Default Display"), std::string::npos)
      << messages[0].text;

  ChooseSrgbMonitor();
  ASSERT_EQ(Host(path, {"--script", script}), 0);
  messages = e2e::ReadMessageBoxes(Log());
  ASSERT_EQ(messages.size(), 1u) << LogText();
  EXPECT_EQ(messages[0].caption, "About ZIRN");
  EXPECT_EQ(messages[0].style, 0u);
  EXPECT_NE(messages[0].text.find("Monitor profile: sRGB"), std::string::npos) << messages[0].text;
}

TEST_F(MenuEndToEndTest, LongestFileNamesFitTheMenuAndEveryCommandRuns) {
  // The longest name a file can have here: a 235-character base name and a
  // 20-character extension. Offered as a JPEG by its page; the plug-in loads only
  // names ending in .jpg or .tif, so there is no bitmap to print.
  std::string name = std::string(235, 'b') + ".abcdefghijklmnopqrs";
  viewertest::WriteBytes(m_scratch / name, viewertest::EncodeJpeg(16, 8, Quarters));
  std::string page = WriteText(
      "page.html", "<embed src=\"" + name + "\" type=\"image/jpeg\" width=100 height=50>\n");
  std::string copy = m_scratch / "copy.jpg";
  std::string script = "menu 1000\nrclick 5 5\nmenu 1002\nsave-as " + copy +
                       "\nrclick 5 5\nmenu 1003\nprinter\nrclick 5 5\nmenu 1004\nrclick 5 5\n";
  ASSERT_EQ(Host(page, {"--script", Script(script)}), 0);
  std::string log = LogText();
  std::string view = "View this Image (" + std::string(235, 'b') + ".ab";
  EXPECT_EQ(view.size(), 255u);
  EXPECT_NE(log.find("{\"id\":1000,\"text\":\"" + view + "\"}"), std::string::npos) << log;
  EXPECT_NE(log.find("\"file\":\"" + std::string(235, 'b') + "\""), std::string::npos) << log;
  EXPECT_EQ(viewertest::ReadBytes(copy), viewertest::ReadBytes(m_scratch / name));
  EXPECT_EQ(log.find("print-dialog"), std::string::npos) << log;
  std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().caption, "About ZIRN");
}

}  // namespace
