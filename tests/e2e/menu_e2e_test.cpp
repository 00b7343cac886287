// The context menu end to end: nphost answers the menu and the dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::Near;
using e2e::ToPixel;
using viewertest::Bytes;
using viewertest::Rgb;

// Bands of 16 rows, each its own colour.
Rgb Bands(int, int y) {
  static const Rgb colours[] = {{220, 40, 40},  {40, 200, 60},  {50, 60, 220},   {230, 220, 40},
                                {40, 210, 220}, {200, 50, 200}, {250, 250, 250}, {20, 20, 20}};
  return colours[(y / 16) % 8];
}

class MenuEndToEndTest : public e2e::HostTest {};

TEST_F(MenuEndToEndTest, ContextMenuPrintsTheImageThroughTheBrowsersDialogs) {
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
