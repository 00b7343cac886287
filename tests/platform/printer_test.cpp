#include "pngfile.h"
#include "testdib.h"

#include <platform/printer.h>
#include <platform/testing.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The viewer's picture: 650 x 130 pixels in blocks of 10 x 10, each its own colour.
constexpr int kWidth = 650, kHeight = 130;
std::uint32_t BlockColour(int bx, int by) {
  return (std::uint32_t(bx * 3) << 16) | (std::uint32_t(by * 15) << 8) | 0x80;
}
std::uint32_t PictureColour(int x, int row) { return BlockColour(x / 10, row / 10); }

TestDib Picture() {
  TestDib dib(kWidth, kHeight, 24);
  for (int row = 0; row < kHeight; ++row)
    for (int x = 0; x < kWidth; ++x) dib.Set(x, row, PictureColour(x, row));
  return dib;
}

// Printed as the viewer prints it at 600 dpi on Letter: 650 pixels at 65 per inch
// are 650 / 65 x 600 = 6000 device pixels wide and 1200 high, centred on the
// 5100 x 6600 page: x (5100 - 6000) / 2 = -450, y (6600 - 1200) / 2 = 2700.
int PrintPicture(HDC printer, const TestDib& dib) {
  SetMapMode(printer, MM_TEXT);
  SetStretchBltMode(printer, COLORONCOLOR);
  return StretchDIBits(printer, -450, 2700, 6000, 1200, 0, 0, kWidth, kHeight, dib.Bits(),
                       dib.Info(), DIB_RGB_COLORS, SRCCOPY);
}

std::string Run(const std::string& command) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

std::string PdfInfo(const std::string& pdf, const std::string& key) {
  std::string info = Run(std::string(PDFINFO_PROGRAM) + " '" + pdf + "' 2>&1");
  std::size_t at = info.find(key + ":");
  if (at == std::string::npos) return "";
  std::size_t start = info.find_first_not_of(' ', at + key.size() + 1);
  return info.substr(start, info.find('\n', start) - start);
}

struct Ppm {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bytes;
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * width + x) * 3];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  }
};

// The first page rendered by poppler at 65 dpi.
Ppm Render(const std::string& pdf, const std::string& prefix) {
  Run(std::string(PDFTOPPM_PROGRAM) + " -r 65 -f 1 -singlefile '" + pdf + "' '" + prefix + "'");
  Ppm ppm;
  std::ifstream in(prefix + ".ppm", std::ios::binary);
  std::string magic;
  int max = 0;
  in >> magic >> ppm.width >> ppm.height >> max;
  in.get();
  if (magic != "P6" || max != 255) return Ppm{};
  ppm.bytes.resize(static_cast<std::size_t>(ppm.width) * ppm.height * 3);
  in.read(reinterpret_cast<char*>(ppm.bytes.data()),
          static_cast<std::streamsize>(ppm.bytes.size()));
  return ppm;
}

class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "printer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dir = pattern + "/";
  }
  void TearDown() override {
    platform::faults::FailNthStartPage(0);
    platform::faults::FailNthEndPage(0);
    platform::SetPrintJobListener(nullptr);
    std::filesystem::remove_all(m_dir);
  }

  HDC Printer(const std::string& output, int dpi = 600) {
    platform::PrinterSetup setup;
    setup.dpi = dpi;
    setup.output = output.empty() ? "" : m_dir + output;
    return platform::CreatePrinterDC(setup);
  }
  static int Start(HDC dc, const char* name, const char* output = nullptr) {
    DOCINFOA info{sizeof(DOCINFOA), name, output, nullptr, 0};
    return StartDoc(dc, &info);
  }
  // The viewer's print loop: a failing StartPage is reported and the page drawn all
  // the same; a failing EndPage stops the copies.
  int PrintCopies(HDC dc, const TestDib& dib, int copies) {
    int errors = 0;
    for (int i = 0; i < copies; ++i) {
      if (StartPage(dc) < 0) ++errors;
      PrintPicture(dc, dib);
      if (EndPage(dc) < 0) {
        ++errors;
        break;
      }
    }
    return errors;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(m_dir + name); }

  std::string m_dir;
};

TEST_F(PrinterTest, PageGeometryFollowsTheSetup) {
  HDC letter = Printer("");
  EXPECT_EQ(GetDeviceCaps(letter, TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(GetDeviceCaps(letter, HORZRES), 5100);
  EXPECT_EQ(GetDeviceCaps(letter, VERTRES), 6600);
  EXPECT_EQ(GetDeviceCaps(letter, PHYSICALWIDTH), 5100);
  EXPECT_EQ(GetDeviceCaps(letter, PHYSICALHEIGHT), 6600);
  EXPECT_EQ(GetDeviceCaps(letter, PHYSICALOFFSETX), 0);
  EXPECT_EQ(GetDeviceCaps(letter, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(letter, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(letter, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(letter, BITSPIXEL), 24);
  DeleteDC(letter);

  platform::PrinterSetup a4{8.27, 11.69, 300, ""};
  HDC small = platform::CreatePrinterDC(a4);
  EXPECT_EQ(GetDeviceCaps(small, HORZRES), 2481);
  EXPECT_EQ(GetDeviceCaps(small, VERTRES), 3507);
  DeleteDC(small);

  for (platform::PrinterSetup bad :
       {platform::PrinterSetup{8.5, 11, 0, ""}, platform::PrinterSetup{8.5, 11, 4801, ""},
        platform::PrinterSetup{0, 11, 600, ""}, platform::PrinterSetup{8.5, 201, 600, ""},
        platform::PrinterSetup{8.5, std::nan(""), 600, ""}}) {
    EXPECT_EQ(platform::CreatePrinterDC(bad), nullptr);
  }
}

TEST_F(PrinterTest, MisuseIsRefusedWithSpError) {
  HDC dc = Printer("");
  TestDib dib = Picture();
  EXPECT_EQ(StartPage(dc), SP_ERROR);  // no document
  EXPECT_EQ(EndPage(dc), SP_ERROR);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  EXPECT_EQ(AbortDoc(dc), SP_ERROR);
  EXPECT_EQ(StartDoc(dc, nullptr), SP_ERROR);
  EXPECT_EQ(PrintPicture(dc, dib), GDI_ERROR);  // no page to draw on
  int job = Start(dc, "first");
  EXPECT_GT(job, 0);
  EXPECT_EQ(Start(dc, "second"), SP_ERROR);
  EXPECT_EQ(EndPage(dc), SP_ERROR);
  EXPECT_GT(StartPage(dc), 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  EXPECT_GT(Start(dc, "third"), job);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  EXPECT_EQ(StartDoc(dc, nullptr), SP_ERROR);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  EXPECT_FALSE(platform::GetPrintJob(dc).has_value());
}

TEST_F(PrinterTest, RecordsEveryImageWithItsDeviceRectangle) {
  std::vector<platform::PrintJobRecord> reported;
  platform::SetPrintJobListener(
      [&](const platform::PrintJobRecord& job) { reported.push_back(job); });
  HDC dc = Printer("");
  TestDib dib = Picture();
  EXPECT_FALSE(platform::GetPrintJob(dc).has_value());
  Start(dc, "M0A1B2C3.JPG");
  StartPage(dc);
  EXPECT_EQ(PrintPicture(dc, dib), kHeight);
  EndPage(dc);
  EXPECT_TRUE(reported.empty());
  EndDoc(dc);
  ASSERT_EQ(reported.size(), 1u);
  const platform::PrintJobRecord& job = reported[0];
  EXPECT_EQ(job.documentName, "M0A1B2C3.JPG");
  EXPECT_TRUE(job.ended);
  EXPECT_FALSE(job.aborted);
  EXPECT_TRUE(job.files.empty());
  ASSERT_EQ(job.pages.size(), 1u);
  ASSERT_EQ(job.pages[0].images.size(), 1u);
  const platform::PrintedImage& image = job.pages[0].images[0];
  EXPECT_EQ(image.destination.left, -450);
  EXPECT_EQ(image.destination.top, 2700);
  EXPECT_EQ(image.destination.right, 5550);
  EXPECT_EQ(image.destination.bottom, 3900);
  EXPECT_EQ(image.drawn.left, 0);  // the picture is wider than the page
  EXPECT_EQ(image.drawn.right, 5100);
  EXPECT_EQ(image.drawn.top, 2700);
  EXPECT_EQ(image.drawn.bottom, 3900);
  EXPECT_EQ(image.bitCount, 24);
  EXPECT_EQ(platform::GetPrintJob(dc)->pages.size(), 1u);
  DeleteDC(dc);
}

TEST_F(PrinterTest, PdfPageShowsThePictureWhereItWasDrawn) {
  HDC dc = Printer("out.pdf");
  TestDib dib = Picture();
  ASSERT_GT(Start(dc, "M0A1B2C3.JPG"), 0);
  EXPECT_EQ(PrintCopies(dc, dib, 1), 0);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  std::string pdf = m_dir + "out.pdf";
  EXPECT_EQ(PdfInfo(pdf, "Pages"), "1");
  EXPECT_EQ(PdfInfo(pdf, "Page size").substr(0, 13), "612 x 792 pts");
  EXPECT_EQ(PdfInfo(pdf, "Title"), "M0A1B2C3.JPG");

  // At 65 dpi one picture pixel is one rendered pixel; the picture's left edge is
  // 450 / 600 in = 48.75 pixels off the page and its top 4.5 in = 292.5 down.
  Ppm page = Render(pdf, m_dir + "page");
  ASSERT_EQ(page.width, 553);
  ASSERT_EQ(page.height, 715);
  for (int by : {0, 6, 12}) {
    for (int bx : {5, 32, 59}) {
      EXPECT_EQ(page.At(10 * bx + 5 - 49, 10 * by + 5 + 292), BlockColour(bx, by))
          << bx << "," << by;
    }
  }
  EXPECT_EQ(page.At(0, 300), BlockColour(4, 0));  // the page's left edge cuts block 4
  EXPECT_EQ(page.At(100, 289), 0xFFFFFFu);        // white above and below
  EXPECT_EQ(page.At(100, 426), 0xFFFFFFu);
  EXPECT_EQ(page.At(276, 100), 0xFFFFFFu);
}

TEST_F(PrinterTest, PngPageIsThePageRasterisedAt600Dpi) {
  HDC dc = Printer("page-%d.png");
  TestDib dib = Picture();
  Start(dc, "picture.jpg");
  EXPECT_EQ(PrintCopies(dc, dib, 1), 0);
  EndDoc(dc);
  EXPECT_EQ(platform::GetPrintJob(dc)->files, std::vector<std::string>{m_dir + "page-1.png"});
  DeleteDC(dc);
  PngImage page = ReadPng(m_dir + "page-1.png");
  ASSERT_EQ(page.width, 5100);
  ASSERT_EQ(page.height, 6600);
  // Device pixel x shows the picture column under its centre, floor((x + 450.5) *
  // 650 / 6000): column 70 (block 7) starts at x = 196, where the column under its
  // left edge would still be 69.
  EXPECT_EQ(page.At(0, 2700), BlockColour(4, 0));
  EXPECT_EQ(page.At(195, 2700), BlockColour(6, 0));
  EXPECT_EQ(page.At(196, 2700), BlockColour(7, 0));
  EXPECT_EQ(page.At(2550, 3300), BlockColour(32, 6));
  EXPECT_EQ(page.At(5099, 3899), BlockColour(60, 12));
  EXPECT_EQ(page.At(0, 2699), 0xFFFFFFu);
  EXPECT_EQ(page.At(5099, 3900), 0xFFFFFFu);
  EXPECT_EQ(page.At(100, 100), 0xFFFFFFu);
}

TEST_F(PrinterTest, EveryCopyIsAPage) {
  TestDib dib = Picture();
  HDC pdf = Printer("copies.pdf", 75);
  Start(pdf, "copies");
  EXPECT_EQ(PrintCopies(pdf, dib, 3), 0);
  EndDoc(pdf);
  DeleteDC(pdf);
  EXPECT_EQ(PdfInfo(m_dir + "copies.pdf", "Pages"), "3");

  HDC png = Printer("copy-%d.png", 75);
  Start(png, "copies");
  EXPECT_EQ(PrintCopies(png, dib, 3), 0);
  EndDoc(png);
  EXPECT_EQ(platform::GetPrintJob(png)->pages.size(), 3u);
  DeleteDC(png);
  for (const char* name : {"copy-1.png", "copy-2.png", "copy-3.png"}) {
    EXPECT_EQ(ReadPng(m_dir + name).width, 638) << name;  // 8.5 in at 75 dpi
  }
  EXPECT_FALSE(Exists("copy-4.png"));
}

TEST_F(PrinterTest, FailingEndPageAfterTheFirstCopyStopsAtOnePage) {
  TestDib dib = Picture();
  platform::faults::FailNthEndPage(2);
  HDC dc = Printer("fail.pdf", 75);
  Start(dc, "three copies");
  EXPECT_EQ(PrintCopies(dc, dib, 3), 1);
  EXPECT_GT(EndDoc(dc), 0);
  EXPECT_EQ(platform::GetPrintJob(dc)->pages.size(), 1u);
  DeleteDC(dc);
  EXPECT_EQ(PdfInfo(m_dir + "fail.pdf", "Pages"), "1");

  platform::faults::FailNthEndPage(2);
  HDC png = Printer("fail-%d.png", 75);
  Start(png, "numbered by printed pages");
  EXPECT_EQ(PrintCopies(png, dib, 2), 1);
  EXPECT_EQ(PrintCopies(png, dib, 1), 0);  // the failed page took no number
  EndDoc(png);
  EXPECT_EQ(platform::GetPrintJob(png)->files,
            (std::vector<std::string>{m_dir + "fail-1.png", m_dir + "fail-2.png"}));
  EXPECT_FALSE(Exists("fail-3.png"));
  DeleteDC(png);
}

TEST_F(PrinterTest, JobWithoutPagesLeavesNoFile) {
  platform::faults::FailNthEndPage(1);
  TestDib dib = Picture();
  HDC dc = Printer("none.pdf", 75);
  Start(dc, "nothing printed");
  EXPECT_EQ(PrintCopies(dc, dib, 1), 1);
  EXPECT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(platform::GetPrintJob(dc)->pages.empty());
  EXPECT_TRUE(platform::GetPrintJob(dc)->files.empty());
  EXPECT_FALSE(Exists("none.pdf"));
  DeleteDC(dc);
}

TEST_F(PrinterTest, FailingStartPageOpensNoPage) {
  TestDib dib = Picture();
  platform::faults::FailNthStartPage(1);
  HDC dc = Printer("");
  Start(dc, "no page");
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_EQ(PrintPicture(dc, dib), GDI_ERROR);
  EXPECT_EQ(EndPage(dc), SP_ERROR);
  EXPECT_GT(StartPage(dc), 0);  // the hook fires once
  EXPECT_GT(EndPage(dc), 0);
  EndDoc(dc);
  EXPECT_EQ(platform::GetPrintJob(dc)->pages.size(), 1u);
  DeleteDC(dc);
}

TEST_F(PrinterTest, AbortingRemovesWhatTheJobWrote) {
  std::vector<platform::PrintJobRecord> reported;
  platform::SetPrintJobListener(
      [&](const platform::PrintJobRecord& job) { reported.push_back(job); });
  TestDib dib = Picture();
  HDC pdf = Printer("aborted.pdf", 75);
  Start(pdf, "aborted");
  PrintCopies(pdf, dib, 1);
  EXPECT_TRUE(Exists("aborted.pdf"));
  EXPECT_GT(AbortDoc(pdf), 0);
  EXPECT_FALSE(Exists("aborted.pdf"));
  DeleteDC(pdf);

  HDC png = Printer("left-%d.png", 75);
  Start(png, "deleted mid-job");
  PrintCopies(png, dib, 2);
  StartPage(png);
  EXPECT_TRUE(Exists("left-2.png"));
  EXPECT_TRUE(DeleteDC(png));
  EXPECT_FALSE(Exists("left-1.png"));
  EXPECT_FALSE(Exists("left-2.png"));

  ASSERT_EQ(reported.size(), 2u);
  EXPECT_TRUE(reported[0].aborted);
  EXPECT_EQ(reported[1].documentName, "deleted mid-job");
  EXPECT_TRUE(reported[1].aborted);
  EXPECT_EQ(reported[1].pages.size(), 2u);
  EXPECT_TRUE(reported[1].files.empty());
}

TEST_F(PrinterTest, OutputChoices) {
  TestDib dib = Picture();
  HDC dc = Printer("setup.pdf", 75);
  std::string chosen = m_dir + "chosen.pdf";
  Start(dc, "elsewhere", chosen.c_str());  // the document's output wins
  StartPage(dc);                           // left open: EndDoc ends it
  EXPECT_GT(EndDoc(dc), 0);
  EXPECT_EQ(platform::GetPrintJob(dc)->pages.size(), 1u);
  EXPECT_EQ(PdfInfo(chosen, "Pages"), "1");
  EXPECT_FALSE(Exists("setup.pdf"));

  std::string noNumber = m_dir + "same.png", twoNumbers = m_dir + "%d-%d.png";
  EXPECT_EQ(Start(dc, "png", noNumber.c_str()), SP_ERROR);
  EXPECT_EQ(Start(dc, "png", twoNumbers.c_str()), SP_ERROR);
  EXPECT_EQ(Start(dc, "pdf", "/nonexistent-directory/out.pdf"), SP_ERROR);
  std::string upper = m_dir + "P%d.PNG";
  EXPECT_GT(Start(dc, "png", upper.c_str()), 0);
  StartPage(dc);
  EndPage(dc);
  EndDoc(dc);
  EXPECT_TRUE(Exists("P1.PNG"));
  DeleteDC(dc);
}

TEST_F(PrinterTest, DrawingOffThePageIsRecordedButNotDrawn) {
  HDC dc = Printer("", 75);
  TestDib dib = Picture();
  Start(dc, "off");
  StartPage(dc);
  EXPECT_EQ(StretchDIBits(dc, 700, 0, 650, 130, 0, 0, kWidth, kHeight, dib.Bits(), dib.Info(),
                          DIB_RGB_COLORS, SRCCOPY),
            kHeight);
  EndPage(dc);
  EndDoc(dc);
  platform::PrintedImage image = platform::GetPrintJob(dc)->pages[0].images[0];
  EXPECT_EQ(image.destination.left, 700);
  EXPECT_EQ(image.drawn.right - image.drawn.left, 0);
  DeleteDC(dc);
}

}  // namespace
