// Where embedded profiles are saved: only ever in the Windows directory. A directory
// too long for a profile path keeps every profile unsaved, and the image is shown
// unmatched; the browser's current directory stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_fixture.h"
#include "tiff_reference.h"

namespace {

namespace fs = std::filesystem;
using e2e::kWhite;
using e2e::Near;
using e2e::Quarters;
using e2e::ToPixel;

class ProfilePlaceEndToEndTest : public e2e::HostTest {};

TEST_F(ProfilePlaceEndToEndTest, WindowsDirectoryTooLongForAProfilePathSavesNoProfile) {
  ChooseSrgbMonitor();
  // 257 characters, in folders of at most 100.
  std::string windir = m_scratch / "long";
  while (windir.size() < 257)
    windir += "/" + std::string(std::min<size_t>(100, 256 - windir.size()), 'w');
  ASSERT_EQ(windir.size(), 257u);

  std::string tiff = m_scratch / "swapped.tif";
  e2e::TiffImage image{e2e::kQuartersWidth,
                       e2e::kQuartersHeight,
                       3,
                       2,
                       {},
                       viewertest::ReadBytes(viewertest::kSwappedProfile),
                       {}};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      viewertest::Rgb c = Quarters(x, y);
      image.pixels.insert(image.pixels.end(), {c.r, c.g, c.b});
    }
  }
  e2e::WriteTiff(tiff, image);
  struct Case {
    std::string file, message;
  } cases[] = {{WriteSwappingJpeg("swapped.jpg"), "Failed in openning file"},
               {tiff, "Failed in OpenFile"}};

  std::string cwd = m_scratch / "browser";
  fs::create_directories(cwd);
  for (const Case& c : cases) {
    e2e::HostRun run;
    run.nphost = ZELVW_NPHOST;
    run.workingDirectory = cwd;
    run.zirnHome = ZirnHome();
    run.arguments = {"--windir", windir,       "--size", "200x100", "--screenshot",
                     Shot(),     "--messages", Log(),    c.file};
    ASSERT_EQ(e2e::Run(run), 0) << c.file;
    EXPECT_TRUE(fs::is_empty(cwd)) << c.file << ": " << fs::directory_iterator(cwd)->path();
    EXPECT_TRUE(fs::is_empty(windir)) << c.file;
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    ASSERT_EQ(messages.size(), 1u) << c.file;
    EXPECT_EQ(messages[0].text, c.message);
    e2e::Screenshot shot = e2e::ReadPng(Shot());
    ASSERT_EQ(shot.width, 200) << c.file;
    EXPECT_TRUE(Near(shot.At(10, 10), ToPixel(Quarters(10, 10)), 6)) << c.file;
    EXPECT_EQ(shot.At(e2e::kQuartersWidth + 10, 10), kWhite) << c.file;
  }
}

}  // namespace
