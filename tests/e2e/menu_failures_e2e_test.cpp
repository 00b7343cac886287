// The context menu's commands when the system fails them: a copy that cannot be
// written, a page that cannot be started. Each says so once and leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;

class MenuFailuresEndToEndTest : public e2e::HostTest {
 protected:
  void SetUp() override {
    e2e::HostTest::SetUp();
    m_image = m_scratch / "plain.jpg";
    viewertest::WriteBytes(
        m_image, viewertest::EncodeJpeg(e2e::kQuartersWidth, e2e::kQuartersHeight, e2e::Quarters));
  }

  int HostScript(const std::string& script, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--script", WriteText("script.txt", script)});
    return Host(m_image, options);
  }

  std::string m_image;
};

TEST_F(MenuFailuresEndToEndTest, FailedSaveAsSaysSoAndLeavesNoFile) {
  // A folder that does not exist, and one that is a file: neither fails for want of
  // permission, so running as root changes nothing.
  for (std::string target : {m_scratch / "no such folder/copy.jpg", m_image + "/copy.jpg"}) {
    std::set<std::string> before = ScratchFiles();
    ASSERT_EQ(HostScript("menu 1002\nsave-as " + target + "\nrclick 5 5\n"), 0) << target;
    std::set<std::string> after = ScratchFiles();
    after.erase(m_scratch / "script.txt");
    before.erase(m_scratch / "script.txt");
    EXPECT_EQ(after, before) << target;
    std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
    ASSERT_EQ(messages.size(), 1u) << target;
    EXPECT_EQ(messages[0].caption, "Plug-in");
    EXPECT_EQ(messages[0].text, "Failed in saving file " + target);
  }
}

TEST_F(MenuFailuresEndToEndTest, PageThatCannotBeStartedEndsTheJobWithOneMessage) {
  std::string pdf = m_scratch / "out.pdf";
  ASSERT_EQ(HostScript("menu 1003\nprinter copies=3 to=" + pdf + "\nrclick 5 5\n",
                       {"--fail-startpage", "2"}),
            0);
  std::string log = testsupport::ReadFile(Log());
  EXPECT_NE(log.find("\"print-job\":\"plain.jpg\",\"pages\":1,"), std::string::npos) << log;
  EXPECT_NE(log.find("\"aborted\":true"), std::string::npos) << log;
  std::vector<e2e::LoggedMessage> messages = e2e::ReadMessageBoxes(Log());
  ASSERT_EQ(messages.size(), 1u) << log;
  EXPECT_EQ(messages[0].text, "Error occurs in Printing");
  EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
