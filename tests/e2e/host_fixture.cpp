#include "host_fixture.h"

#include <filesystem>

#include "color/ColorEngine.h"

namespace e2e {

namespace fs = std::filesystem;

void HostTest::SetUp() {
  fs::create_directories(WindowsDir());
  fs::create_directories(ZirnHome());
}

void HostTest::ChooseSrgbMonitor() {
  testsupport::ScopedEnv home("ZIRN_HOME", ZirnHome());
  CColorEngine engine;
  ASSERT_EQ(engine.Load(), 1) << "ZIRN.DLL and TALVERIN.DLL beside the test program";
  int32_t nCursor1 = 0, nCursor2 = 0;
  char szName[256], szPath[256];
  while (engine.m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath, 256) >
         0) {
    if (std::string(szName).rfind("sRGB", 0) == 0) {
      engine.m_pfnSetMonitorProfile(szName);
      return;
    }
  }
  FAIL() << "no sRGB display profile in the engine's store";
}

int HostTest::Host(const std::string& file, std::vector<std::string> options,
                   const std::string& nphost) {
  HostRun run;
  run.nphost = nphost;
  run.workingDirectory = m_scratch.path();
  run.zirnHome = ZirnHome();
  run.arguments = {"--windir", WindowsDir(), "--screenshot", Shot(), "--messages", Log()};
  run.arguments.insert(run.arguments.end(), options.begin(), options.end());
  run.arguments.push_back(file);
  return e2e::Run(run);
}

int HostTest::HostChecked(const std::string& file, std::vector<std::string> options,
                          const std::string& what) {
  HostRun run;
  run.nphost = ZELVW_NPHOST;
  run.workingDirectory = m_scratch.path();
  run.zirnHome = ZirnHome();
  run.timeoutSeconds = 20;
  run.errorFile = m_scratch / "stderr.txt";
  run.arguments = {"--windir", WindowsDir(), "--screenshot", Shot(), "--messages", Log()};
  run.arguments.insert(run.arguments.end(), options.begin(), options.end());
  run.arguments.push_back(file);
  int nStatus = e2e::Run(run);
  std::string errors = testsupport::ReadFile(run.errorFile);
  for (const char* fault : {"Sanitizer", "runtime error", "were not freed"}) {
    EXPECT_EQ(errors.find(fault), std::string::npos) << what << ":\n" << errors;
  }
  return nStatus;
}

std::string HostTest::WriteText(const std::string& name, const std::string& text) const {
  return m_scratch.Write(name, text);
}

}  // namespace e2e
