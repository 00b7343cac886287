#include <platform/person.h>
#include <windows.h>
#include <zirndlg.h>

#include "engine_test_support.h"

namespace enginetest {
namespace {

// Records the message boxes instead of showing them.
class Recorder : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    m_caption = caption;
    m_text = text;
    m_style = style;
    ++m_count;
    return IDOK;
  }
  std::string m_caption;
  std::string m_text;
  unsigned m_style = ~0u;
  int m_count = 0;
};

class DialogsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    platform::SetPerson(&m_person);
  }
  void TearDown() override {
    platform::SetPerson(nullptr);
    EngineTest::TearDown();
  }
  Recorder m_person;
};

TEST_F(DialogsTest, AboutNamesTheEngineAndTheMonitorProfile) {
  EXPECT_EQ(ZirnDlg_About(), IDOK);
  EXPECT_EQ(m_person.m_count, 1);
  EXPECT_EQ(m_person.m_caption, "About ZIRN");
  EXPECT_EQ(m_person.m_text, "ZIRN Colour Engine 1.0\nMonitor profile: Default Display");
  EXPECT_EQ(m_person.m_style, static_cast<unsigned>(MB_OK));

  ASSERT_EQ(ZIRN_SetMonitorProfile(kAdobeName), ZIRN_OK);
  ZirnDlg_About();
  EXPECT_EQ(m_person.m_text,
            "ZIRN Colour Engine 1.0\nMonitor profile: Compatible with Adobe RGB (1998)");
}

TEST_F(DialogsTest, ProfileSetupListsTheDisplayProfiles) {
  MakeDirs(profilesDir());
  WriteProfileNamed(kSrgb, profilesDir() + "/own.icc", "Own Panel");
  ASSERT_EQ(ZIRN_SetMonitorProfile("Own Panel"), ZIRN_OK);
  EXPECT_EQ(ZirnDlg_ProfileSetup(), IDOK);
  EXPECT_EQ(m_person.m_caption, "ZIRN Profile Setup");
  const std::string start = "Monitor profile: Own Panel\nDisplay profiles:\n  Own Panel\n  ";
  EXPECT_EQ(m_person.m_text.substr(0, start.size()), start);
  EXPECT_NE(m_person.m_text.find("\n  sRGB"), std::string::npos);
  EXPECT_EQ(m_person.m_text.find(kCmykName), std::string::npos);
}

}  // namespace
}  // namespace enginetest
