#include <afxwin.h>
#include <platform/person.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

namespace {

// The test program's application object, recording the calls the run makes.
class CTestApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_calls.push_back("InitInstance");
    m_pMainWnd = m_bMakeMainWindow ? reinterpret_cast<CWnd*>(this) : nullptr;
    return m_bInitResult;
  }
  int Run() override {
    m_calls.push_back("Run");
    return CWinApp::Run();
  }
  int ExitInstance() override {
    m_calls.push_back("ExitInstance");
    return m_nExitCode;
  }

  std::vector<std::string> m_calls;
  BOOL m_bInitResult = TRUE;
  bool m_bMakeMainWindow = false;
  int m_nExitCode = 0;

  DECLARE_MESSAGE_MAP()
};

// Empty, as the plug-in's own application class has it: commands go unhandled.
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
END_MESSAGE_MAP()

CTestApp theApp;

class RecordingPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    m_seen.push_back(caption + "|" + text + "|" + std::to_string(style));
    return IDOK;
  }
  std::vector<std::string> m_seen;
};

class WinAppTest : public ::testing::Test {
 protected:
  WinAppTest() : m_previous(platform::SetPerson(&m_person)) {
    theApp.m_calls.clear();
    theApp.m_bInitResult = TRUE;
    theApp.m_bMakeMainWindow = false;
    theApp.m_nExitCode = 0;
  }
  ~WinAppTest() override { platform::SetPerson(m_previous); }

  RecordingPerson m_person;
  platform::Person* m_previous;
};

TEST_F(WinAppTest, ProgramAppIsNamedAfterTheProgram) {
  EXPECT_EQ(AfxGetApp(), &theApp);
  EXPECT_STREQ(theApp.m_pszAppName, "mfc_tests");
  EXPECT_STREQ(AfxGetAppName(), "mfc_tests");
  EXPECT_TRUE(theApp.Enable3dControls());
  EXPECT_TRUE(theApp.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
  EXPECT_FALSE(theApp.OnCmdMsg(1000, CN_COMMAND));
}

TEST_F(WinAppTest, MessageBoxHasNoOwnerAndTheAppCaption) {
  EXPECT_EQ(AfxMessageBox("Memory Allocation Failed for hDIB24."), IDOK);
  LPCTSTR saved = theApp.m_pszAppName;
  theApp.m_pszAppName = nullptr;  // no name: the program's file name
  AfxMessageBox("GDI ERROR", MB_OKCANCEL, 7);
  theApp.m_pszAppName = saved;
  EXPECT_EQ(m_person.m_seen,
            (std::vector<std::string>{"mfc_tests|Memory Allocation Failed for hDIB24.|0",
                                      "mfc_tests|GDI ERROR|1"}));
}

TEST_F(WinAppTest, EachModuleSeesItsOwnApp) {
  void* module = dlopen(APP_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto probeApp = reinterpret_cast<CWinApp* (*)()>(dlsym(module, "ProbeApp"));
  auto probeName = reinterpret_cast<LPCTSTR (*)()>(dlsym(module, "ProbeAppName"));
  auto probeMessage = reinterpret_cast<int (*)(LPCTSTR)>(dlsym(module, "ProbeMessage"));
  ASSERT_TRUE(probeApp && probeName && probeMessage);

  CWinApp* moduleApp = probeApp();
  ASSERT_NE(moduleApp, nullptr);
  EXPECT_NE(moduleApp, &theApp);
  EXPECT_STREQ(probeName(), "APPPROBE");
  EXPECT_EQ(AfxGetApp(), &theApp);
  probeMessage("Failed in converting to DIB file");
  AfxMessageBox("from the program");
  EXPECT_EQ(m_person.m_seen,
            (std::vector<std::string>{"APPPROBE|Failed in converting to DIB file|48",
                                      "mfc_tests|from the program|0"}));
  dlclose(module);
  EXPECT_EQ(AfxGetApp(), &theApp);
}

TEST_F(WinAppTest, RunWithoutMainWindowSkipsRun) {
  theApp.m_nExitCode = 3;
  EXPECT_EQ(AfxRunApplication(), 3);
  EXPECT_EQ(theApp.m_calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
}

TEST_F(WinAppTest, RunWithMainWindowRunsAndExits) {
  theApp.m_bMakeMainWindow = true;
  EXPECT_EQ(AfxRunApplication(), 0);
  EXPECT_EQ(theApp.m_calls, (std::vector<std::string>{"InitInstance", "Run", "ExitInstance"}));
  theApp.m_pMainWnd = nullptr;
}

TEST_F(WinAppTest, FailedInitInstanceStillExits) {
  theApp.m_bInitResult = FALSE;
  theApp.m_bMakeMainWindow = true;
  EXPECT_EQ(AfxRunApplication(), 0);
  EXPECT_EQ(theApp.m_calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
  theApp.m_pMainWnd = nullptr;
}

}  // namespace
