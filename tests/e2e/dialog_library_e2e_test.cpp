// The plug-in imports both functions of the engine's dialog library when it is loaded:
// beside a dialog library without either, the browser cannot load it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;

class DialogLibraryEndToEndTest : public e2e::HostTest {};

TEST_F(DialogLibraryEndToEndTest, PluginBesideADialogLibraryWithoutAFunctionDoesNotLoad) {
  struct Case {
    const char* kept;
    const char* missing;
  } cases[] = {{"About", "ZirnDlg_ProfileSetup"}, {"ProfileSetup", "ZirnDlg_About"}};
  std::string image = WriteSwappingJpeg("swapped.jpg");
  fs::path bin = fs::path(ZELVW_NPHOST).parent_path();
  for (const Case& c : cases) {
    fs::path app = m_scratch / (std::string("app-") + c.kept);
    fs::create_directories(app);
    for (const char* file :
         {"nphost", "NPZELVW.DLL", "libwin32.so", "libmfc.so", "ZIRN.DLL", "TALVERIN.DLL"}) {
      fs::copy_file(bin / file, app / file);
    }
    fs::copy_file(
        fs::path(ZELVW_DIALOG_VARIANTS) / ("zirndlg-only-" + std::string(c.kept)) / "ZIRNDLG.dll",
        app / "ZIRNDLG.dll");
    e2e::HostRun run;
    run.nphost = app / "nphost";
    run.workingDirectory = m_scratch.path();
    run.zirnHome = ZirnHome();
    run.errorFile = m_scratch / "stderr.txt";
    run.arguments = {"--windir", WindowsDir(), "--screenshot", Shot(), image};
    EXPECT_EQ(e2e::Run(run), 1) << c.missing;
    std::string errors = testsupport::ReadFile(run.errorFile);
    EXPECT_EQ(errors.rfind("nphost: cannot load ", 0), 0u) << errors;
    EXPECT_NE(errors.find(std::string("undefined symbol: ") + c.missing), std::string::npos)
        << errors;
  }
}

}  // namespace
