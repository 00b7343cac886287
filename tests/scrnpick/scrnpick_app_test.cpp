// SCRNPICK in the tests' own process, with the real engine and a ZIRN_HOME of the
// test's own: the application's run, what the person is shown, and the frame class.
#include "scrnpick/MainFrm.h"
#include "scrnpick/Resource.h"

#include <platform/dialogview.h>
#include <platform/person.h>
#include <platform/windows_system.h>
#include <zirn.h>

#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "../support/scratchdir.h"

namespace {

using Kind = platform::DialogControl::Kind;

class ScriptedPerson : public platform::Person {
 public:
  void RunDialog(platform::DialogView& dialog) override {
    ++m_runs;
    m_caption = dialog.Caption();
    m_controls = dialog.Controls();
    if (m_script) m_script(dialog);
  }

  std::function<void(platform::DialogView&)> m_script;
  int m_runs = 0;
  std::string m_caption;
  std::vector<platform::DialogControl> m_controls;
};

class ChooserApp : public ::testing::Test {
 protected:
  ChooserApp() : m_previous(platform::SetPerson(&m_person)) {}
  ~ChooserApp() override { platform::SetPerson(m_previous); }

  std::string Monitor() {
    char* name = nullptr;
    EXPECT_EQ(ZIRN_GetMonitorProfile(&name), ZIRN_OK);
    return name != nullptr ? name : "";
  }
  const platform::DialogControl* Find(Kind kind) const {
    for (const platform::DialogControl& control : m_person.m_controls) {
      if (control.kind == kind) return &control;
    }
    return nullptr;
  }

  testsupport::ScratchDir m_home;
  testsupport::ScopedEnv m_env{"ZIRN_HOME", m_home.path()};
  ScriptedPerson m_person;
  platform::Person* m_previous;
};

TEST_F(ChooserApp, ShowsTheSortedProfilesAndOkSetsTheFirst) {
  m_person.m_script = [](platform::DialogView& view) { view.Click(IDOK); };
  EXPECT_EQ(AfxRunApplication(), 0);
  EXPECT_EQ(m_person.m_runs, 1);
  EXPECT_EQ(m_person.m_caption, "Monitor Profile Selection");
  const platform::DialogControl* group = Find(Kind::kGroupBox);
  const platform::DialogControl* ok = Find(Kind::kDefaultButton);
  const platform::DialogControl* cancel = Find(Kind::kPushButton);
  const platform::DialogControl* list = Find(Kind::kListBox);
  ASSERT_TRUE(group && ok && cancel && list);
  EXPECT_EQ(group->text, "Please select a Monitor Profile");
  EXPECT_EQ(ok->text, "OK");
  EXPECT_EQ(ok->id, IDOK);
  EXPECT_EQ(cancel->text, "Cancel");
  EXPECT_EQ(cancel->id, IDCANCEL);
  EXPECT_EQ(list->id, IDC_PROFILE_LIST);
  ASSERT_GT(list->items.size(), 1u);
  EXPECT_TRUE(std::is_sorted(list->items.begin(), list->items.end(),
                             [](const std::string& a, const std::string& b) {
                               return strcasecmp(a.c_str(), b.c_str()) < 0;
                             }));
  EXPECT_EQ(list->selection, 0);
  EXPECT_EQ(Monitor(), list->items[0]);
  // No window is left, and no frame was ever made.
  EXPECT_TRUE(platform::TopLevelWindows().empty());
}

TEST_F(ChooserApp, TheCloseBoxWithAnEntrySelectedLeavesTheSettingAlone) {
  m_person.m_script = [](platform::DialogView& view) {
    view.ClickItem(IDC_PROFILE_LIST, 2);
    view.Close();
  };
  EXPECT_EQ(AfxRunApplication(), 0);
  EXPECT_EQ(Monitor(), ZIRN_DEFAULT_DISPLAY);
}

TEST(MainFrameTest, IsRegisteredAsACreatableFrame) {
  CRuntimeClass* frame = CRuntimeClass::FromName("CMainFrame");
  ASSERT_EQ(frame, RUNTIME_CLASS(CMainFrame));
  EXPECT_TRUE(frame->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd)));
  std::unique_ptr<CObject> object(frame->CreateObject());
  EXPECT_NE(dynamic_cast<CMainFrame*>(object.get()), nullptr);
}

}  // namespace
