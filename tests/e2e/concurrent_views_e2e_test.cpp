// Views in several processes at once, sharing one Windows directory: each installs
// its image's profile through the same temporary file, and each must still show its
// own image matched with its own profile.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

using viewertest::Bytes;

constexpr const char* kAdobeProfile = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
constexpr int kProcesses = 8;
constexpr int kRounds = 3;

class ConcurrentViewsTest : public e2e::HostTest {
 protected:
  // An embedding page for the image, so the screenshot shows the matched pixels alone.
  std::string Page(const std::string& image) const {
    return WriteText(image + ".html", "<embed src=\"" + image + "\" width=\"80\" height=\"60\">\n");
  }

  e2e::HostRun RunOf(const std::string& page, const std::string& tag) const {
    e2e::HostRun run;
    run.nphost = ZELVW_NPHOST;
    run.workingDirectory = m_scratch.path();
    run.zirnHome = ZirnHome();
    run.timeoutSeconds = 60;
    run.arguments = {"--windir",
                     WindowsDir(),
                     "--screenshot",
                     m_scratch / (tag + ".png"),
                     "--messages",
                     m_scratch / (tag + ".json"),
                     page};
    return run;
  }
};

TEST_F(ConcurrentViewsTest, EveryViewShowsItsOwnImageMatchedWithItsOwnProfile) {
  ChooseSrgbMonitor();
  Bytes adobe = viewertest::ReadBytes(kAdobeProfile);
  Bytes swapping = viewertest::ReadBytes(viewertest::kSwappedProfile);
  Bytes jpeg = viewertest::EncodeJpeg(e2e::kQuartersWidth, e2e::kQuartersHeight, e2e::Quarters);
  viewertest::WriteBytes(m_scratch / "adobe.jpg", viewertest::WithJfxxProfile(jpeg, adobe));
  viewertest::WriteBytes(m_scratch / "swapping.jpg", viewertest::WithJfxxProfile(jpeg, swapping));
  viewertest::WriteRgbTiff(m_scratch / "adobe.tif", e2e::kQuartersWidth, e2e::kQuartersHeight,
                           e2e::Quarters, adobe);
  viewertest::WriteRgbTiff(m_scratch / "swapping.tif", e2e::kQuartersWidth, e2e::kQuartersHeight,
                           e2e::Quarters, swapping);
  const std::vector<std::string> images = {"adobe.jpg", "swapping.jpg", "adobe.tif",
                                           "swapping.tif"};

  // Each image alone first: the picture every concurrent view of it must show.
  std::vector<e2e::Screenshot> expected;
  for (const std::string& image : images) {
    ASSERT_EQ(e2e::Run(RunOf(Page(image), "alone")), 0) << image;
    EXPECT_TRUE(e2e::ReadMessageBoxes(m_scratch / "alone.json").empty()) << image;
    expected.push_back(e2e::ReadPng(m_scratch / "alone.png"));
  }
  ASSERT_NE(expected[0].pixels, expected[1].pixels)
      << "the two profiles must give different pictures";

  auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kRounds; ++round) {
    std::vector<int> statuses(kProcesses, -1);
    std::vector<std::thread> views;
    for (int i = 0; i < kProcesses; ++i) {
      e2e::HostRun run = RunOf(images[i % images.size()] + ".html", "view" + std::to_string(i));
      views.emplace_back([run, &statuses, i] { statuses[i] = e2e::Run(run); });
    }
    for (std::thread& view : views) view.join();
    for (int i = 0; i < kProcesses; ++i) {
      std::string tag = "view" + std::to_string(i);
      SCOPED_TRACE("round " + std::to_string(round) + ", " + images[i % images.size()]);
      EXPECT_EQ(statuses[i], 0);
      for (const e2e::LoggedMessage& message : e2e::ReadMessageBoxes(m_scratch / (tag + ".json")))
        ADD_FAILURE() << message.text;
      EXPECT_TRUE(e2e::ReadPng(m_scratch / (tag + ".png")).pixels ==
                  expected[i % images.size()].pixels);
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
}

}  // namespace
