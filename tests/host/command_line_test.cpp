// nphost's command line and its file-type table.
#include <gtest/gtest.h>

#include "host/CommandLine.h"
#include "host/MimeTypes.h"

namespace hosttest {
namespace {

using namespace nphost;

std::string ErrorOf(const std::vector<std::string>& args) {
  try {
    ParseCommandLine(args);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "no error";
}

TEST(CommandLineTest, DefaultsAndEveryOption) {
  Options options = ParseCommandLine({"a.jpg"});
  EXPECT_EQ(options.files, std::vector<std::string>{"a.jpg"});
  EXPECT_TRUE(options.fullPage);
  EXPECT_EQ(options.width, 800);
  EXPECT_EQ(options.height, 600);
  EXPECT_EQ(options.depth, 24);
  EXPECT_TRUE(options.plugin.empty());
  EXPECT_FALSE(options.windir);
  EXPECT_FALSE(options.headless);

  options = ParseCommandLine({"--plugin",
                              "P.DLL",
                              "--mode",
                              "embed",
                              "--size=320x240",
                              "--depth",
                              "8",
                              "--script",
                              "-",
                              "--screenshot",
                              "s.png",
                              "--messages",
                              "m.json",
                              "--windir",
                              "w",
                              "--fail-memalloc",
                              "2",
                              "--write-bytewise",
                              "--headless",
                              "--destroy-mid-stream",
                              "3",
                              "page.html"});
  EXPECT_EQ(options.plugin, "P.DLL");
  EXPECT_FALSE(options.fullPage);
  EXPECT_EQ(options.width, 320);
  EXPECT_EQ(options.height, 240);
  EXPECT_EQ(options.depth, 8);
  EXPECT_EQ(options.script, "-");
  EXPECT_EQ(options.screenshot, "s.png");
  EXPECT_EQ(options.messages, "m.json");
  EXPECT_EQ(options.windir, "w");
  EXPECT_EQ(options.faults.failMemAlloc, 2u);
  EXPECT_TRUE(options.faults.bytewise);
  EXPECT_TRUE(options.headless);
  EXPECT_EQ(options.faults.destroyMidStream, 3);
  EXPECT_EQ(options.files, std::vector<std::string>{"page.html"});
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  // Every FILE, in order, each for a browser window of its own.
  EXPECT_EQ(ParseCommandLine({"a.jpg", "--depth", "8", "p.html", "b.tif"}).files,
            (std::vector<std::string>{"a.jpg", "p.html", "b.tif"}));
}

TEST(CommandLineTest, BadCommandLinesSayWhatIsWrong) {
  EXPECT_EQ(ErrorOf({}), "no FILE given");
  EXPECT_EQ(ErrorOf({"--colour", "a.jpg"}), "unknown option '--colour'");
  EXPECT_EQ(ErrorOf({"a.jpg", "--size"}), "--size needs a value");
  EXPECT_EQ(ErrorOf({"--size", "800", "a.jpg"}), "--size takes WxH, not '800'");
  EXPECT_EQ(ErrorOf({"--size", "0x600", "a.jpg"}),
            "--size takes a number from 1 to 32767, not '0'");
  EXPECT_EQ(ErrorOf({"--size", "40000x600", "a.jpg"}),
            "--size takes a number from 1 to 32767, not '40000'");
  EXPECT_EQ(ErrorOf({"--depth", "16", "a.jpg"}), "--depth takes 24 or 8, not '16'");
  EXPECT_EQ(ErrorOf({"--mode", "window", "a.jpg"}), "--mode takes full or embed, not 'window'");
  EXPECT_EQ(ErrorOf({"--fail-memalloc", "0", "a.jpg"}),
            "--fail-memalloc takes a number from 1 to 1000000000, not '0'");
}

TEST(MimeTypesTest, ExtensionsInAnyLetterCase) {
  EXPECT_EQ(MimeTypeForPath("a.jpg"), "image/jpeg");
  EXPECT_EQ(MimeTypeForPath("/x/A.JPEG"), "image/jpeg");
  EXPECT_EQ(MimeTypeForPath("b.JpE"), "image/jpeg");
  EXPECT_EQ(MimeTypeForPath("C:\\CACHE\\M0A1B2C3.Tif"), "image/tiff");
  EXPECT_EQ(MimeTypeForPath("c.TIFF"), "image/tiff");
  EXPECT_FALSE(MimeTypeForPath("d.png"));
  EXPECT_FALSE(MimeTypeForPath("jpg"));
  EXPECT_FALSE(MimeTypeForPath("dir.jpg/file"));
  EXPECT_FALSE(MimeTypeForPath("a.jpg.bak"));
}

TEST(MimeTypesTest, TheRecordsListIsSplitAtItsBars) {
  EXPECT_EQ(SplitMimeTypes("image/jpeg|Image/TIFF"),
            (std::vector<std::string>{"image/jpeg", "image/tiff"}));
  EXPECT_EQ(SplitMimeTypes("|image/jpeg||"), (std::vector<std::string>{"image/jpeg"}));
  EXPECT_TRUE(SplitMimeTypes("").empty());
}

}  // namespace
}  // namespace hosttest
