#include "host_fixture.h"

#include <filesystem>

#include "color/ColorEngine.h"

namespace e2e {

namespace fs = std::filesystem;

viewertest::Rgb Quarters(int x, int y) {
  bool bLeft = x < kQuartersWidth / 2;
  bool bTop = y < kQuartersHeight / 2;
  if (bTop) return bLeft ? viewertest::Rgb{200, 60, 40} : viewertest::Rgb{40, 180, 90};
  return bLeft ? viewertest::Rgb{30, 70, 210} : viewertest::Rgb{230, 210, 50};
}

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

std::string HostTest::WriteSwappingJpeg(const std::string& name) const {
  std::string path = m_scratch / name;
  viewertest::Bytes jpeg = viewertest::EncodeJpeg(kQuartersWidth, kQuartersHeight, Quarters);
  viewertest::WriteBytes(
      path, viewertest::WithJfxxProfile(jpeg, viewertest::ReadBytes(viewertest::kSwappedProfile)));
  return path;
}

std::string HostTest::WriteText(const std::string& name, const std::string& text) const {
  return m_scratch.Write(name, text);
}

std::set<std::string> HostTest::ScratchFiles() const {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(m_scratch.path()))
    files.insert(entry.path().string());
  files.erase(Log());
  files.erase(Shot());
  return files;
}

}  // namespace e2e
