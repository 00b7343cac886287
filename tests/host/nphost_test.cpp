// nphost end to end, with the test plug-in: the order of calls, streams, exit
// statuses, page layout, the script, the answers and the log, screenshots, printing
// and the injected faults.
#include <gtest/gtest.h>
#include <npupp.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../support/scratchdir.h"
#include "host/Browser.h"

namespace hosttest {
namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

struct Outcome {
  int status = -1;
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(),
                    [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

struct Png {
  int width = 0;
  int height = 0;
  std::vector<png_byte> rgb;
  std::uint32_t At(int x, int y) const {
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x);
    return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }
};

Png ReadPng(const std::string& path) {
  Png result;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
  image.format = PNG_FORMAT_RGB;
  result.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr)) return result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  return result;
}

int PdfPages(const std::string& path) {
  std::FILE* pipe =
      popen((std::string(PDFINFO_PROGRAM) + " '" + path + "' 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return -1;
  char line[512];
  int pages = -1;
  while (std::fgets(line, sizeof line, pipe) != nullptr) std::sscanf(line, "Pages: %d", &pages);
  pclose(pipe);
  return pages;
}

constexpr std::uint32_t kRed = 0xFF0000;    // the test plug-in's instance 1
constexpr std::uint32_t kGreen = 0x00FF00;  // and instance 2
constexpr std::uint32_t kWhite = 0xFFFFFF;

class NphostTest : public ::testing::Test {
 protected:
  NphostTest() {
    std::string bytes(5000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 31) % 251);
    m_image = m_dir.Write("M0A1B2C3.JPG", bytes);
    m_bytes = bytes;
  }

  // Runs nphost in the scratch directory with the test plug-in's log and env.
  Outcome Run(std::vector<std::string> args, const Env& env = {}, const std::string& input = "") {
    const std::string err = m_dir / "stderr.txt";
    const std::string in = m_dir.Write("stdin.txt", input);
    args.insert(args.begin(), NPHOST_PROGRAM);
    const pid_t child = fork();
    if (child == 0) {
      setenv("TESTPLUGIN_LOG", m_log.c_str(), 1);
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      if (chdir(m_dir.path().c_str()) != 0) _exit(126);
      const int input = open(in.c_str(), O_RDONLY);
      const int output = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(input, 0);
      dup2(output, 2);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.err = testsupport::ReadFile(err);
    return outcome;
  }

  // The test plug-in with a script, a message log and a screenshot.
  Outcome RunScript(const std::string& file, const std::string& script,
                    std::vector<std::string> more = {}, const Env& env = {}) {
    std::vector<std::string> args = {
        "--plugin",   TEST_PLUGIN, "--script",     m_dir.Write("script.txt", script),
        "--messages", m_messages,  "--screenshot", m_screenshot};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(file);
    return Run(args, env);
  }

  // The calls the plug-in logged, without its paints.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const std::string& line : Lines(testsupport::ReadFile(m_log))) {
      if (line.find(" WM_PAINT") == std::string::npos) calls.push_back(line);
    }
    return calls;
  }
  std::vector<std::string> AllCalls() const { return Lines(testsupport::ReadFile(m_log)); }
  std::vector<std::string> Messages() const { return Lines(testsupport::ReadFile(m_messages)); }

  // The calls from NPP_New to NPP_DestroyStream that loading one file makes.
  std::vector<std::string> LoadCalls(int instance, const std::string& mode, const std::string& size,
                                     const std::string& args = " argc=0") const {
    const std::string n = "#" + std::to_string(instance) + " ";
    return {n + "NPP_New type=image/jpeg mode=" + mode + args,
            n + "NPP_SetWindow window=set " + size,
            n + "NPP_NewStream type=image/jpeg end=5000 seekable=0 url=file://" + m_image,
            n + "NPP_Write offset=0 len=5000",
            n + "NPP_StreamAsFile file=" + m_image + " received=5000 same=1",
            n + "NPP_DestroyStream reason=0"};
  }

  testsupport::ScratchDir m_dir;
  std::string m_log = m_dir / "calls.log";
  std::string m_messages = m_dir / "messages.json";
  std::string m_screenshot = m_dir / "screen.png";
  std::string m_image;
  std::string m_bytes;
};

TEST_F(NphostTest, AFullPageImageIsCalledInTheOrderABrowserCalls) {
  const Outcome outcome = Run({"--plugin", TEST_PLUGIN, m_image});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  std::vector<std::string> calls = Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "NP_GetEntryPoints size=" + std::to_string(sizeof(NPPluginFuncs)));
  EXPECT_EQ(
      calls[1].rfind("NP_Initialize version=9 size=" + std::to_string(sizeof(NPNetscapeFuncs)) +
                         " complete=1 geturl=1 agent=nphost/1.0 (plug-in host) windir=",
                     0),
      0u)
      << calls[1];
  std::vector<std::string> expected = LoadCalls(1, "2", "x=0 y=0 width=800 height=600");
  expected.insert(expected.begin(), calls.begin(), calls.begin() + 2);
  expected.push_back("#1 NPP_Destroy");
  expected.push_back("NP_Shutdown");
  EXPECT_EQ(calls, expected);
  // The plug-in painted its window while it was shown.
  EXPECT_GE(CountPrefix(AllCalls(), "#1 WM_PAINT"), 1u);
}

TEST_F(NphostTest, AnEmbeddedImageGetsItsAttributesAsArguments) {
  const Outcome outcome =
      Run({"--plugin", TEST_PLUGIN, "--mode", "embed", "--size", "320x240", m_image});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  EXPECT_TRUE(Contains(
      calls, "#1 NPP_New type=image/jpeg mode=1 argc=3 src=" + m_image + " width=320 height=240"));
  EXPECT_TRUE(Contains(calls, "#1 NPP_SetWindow window=set x=0 y=0 width=320 height=240"));
}

TEST_F(NphostTest, ExtensionsMapToTheTypesTheModuleRegistersInAnyLetterCase) {
  const std::string tiff = m_dir.Write("picture.TiFf", "II*");
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, tiff}).status, 0);
  EXPECT_EQ(CountPrefix(Calls(), "#1 NPP_New type=image/tiff mode=2"), 1u);

  const std::string jpe = m_dir.Write("other.JPE", "x");
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, jpe}).status, 0);
  EXPECT_EQ(CountPrefix(Calls(), "#1 NPP_New type=image/jpeg mode=2"), 1u);
}

TEST_F(NphostTest, TheRecordIsReadBeforeAnyFunctionOfTheModuleIsCalled) {
  const std::string tiff = m_dir.Write("picture.tif", "II*");
  const Outcome outcome = Run({"--plugin", JPEG_PLUGIN, tiff});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("does not handle image/tiff"), std::string::npos) << outcome.err;
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(Run({"--plugin", JPEG_PLUGIN, m_image}).status, 0);
}

TEST_F(NphostTest, AModuleThatCannotBeBoundExitsWithOne) {
  Outcome outcome = Run({"--plugin", m_dir / "MISSING.DLL", m_image});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("nphost: cannot load"), std::string::npos) << outcome.err;

  outcome = Run({"--plugin", NORECORD_PLUGIN, m_image});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("no registration record"), std::string::npos) << outcome.err;
  EXPECT_TRUE(Calls().empty());

  outcome = Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_INIT_ERROR", "8"}});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("NP_Initialize failed with 8"), std::string::npos) << outcome.err;
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 2u);  // no instance, and no NP_Shutdown for a module that did not start
  EXPECT_EQ(calls[1].rfind("NP_Initialize", 0), 0u);
}

TEST_F(NphostTest, BadCommandLinesAndScriptLinesExitWithTwoBeforeTheModuleIsLoaded) {
  Outcome outcome = RunScript(m_image, "paint\n\nscrol 1\n");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err, "nphost: script line 3: unknown command 'scrol'\n");
  EXPECT_TRUE(Calls().empty());

  outcome = Run({"--plugin", TEST_PLUGIN, m_dir / "absent.jpg"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("cannot open"), std::string::npos);
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, "--size", "10", m_image}).status, 2);
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, m_dir.Write("a.png", "x")}).status, 2);
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(NphostTest, AScriptLineThatNamesAMissingInstanceStopsThePlayButNotTheTeardown) {
  const Outcome outcome = RunScript(m_image, "paint\ninstance 2\nlclick 1 1\n");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("nphost: script line 2: no instance 2 (the page has 1)"),
            std::string::npos)
      << outcome.err;
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 WM_LBUTTONDOWN"), 0u);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "#1 NPP_Destroy");
  EXPECT_EQ(calls.back(), "NP_Shutdown");
}

TEST_F(NphostTest, OnlyStreamsAsFilesAreGiven) {
  Outcome outcome = Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_STREAM_TYPE", "1"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("stream type 1"), std::string::npos) << outcome.err;
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write"), 0u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_StreamAsFile"), 0u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_DestroyStream reason=2"));

  std::filesystem::remove(m_log);
  outcome = Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_STREAM_TYPE", "4"}});
  calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write"), 0u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_StreamAsFile file=" + m_image + " received=0 same=0"));
  EXPECT_TRUE(Contains(calls, "#1 NPP_DestroyStream reason=0"));
}

TEST_F(NphostTest, BlocksAreNoLargerThanWriteReadySays) {
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_WRITE_READY", "1000"}}).status,
            0);
  const std::vector<std::string> calls = Calls();
  for (int block = 0; block < 5; ++block) {
    EXPECT_TRUE(
        Contains(calls, "#1 NPP_Write offset=" + std::to_string(block * 1000) + " len=1000"));
  }
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write"), 5u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_StreamAsFile file=" + m_image + " received=5000 same=1"));
}

TEST_F(NphostTest, APlugInThatIsNeverReadyLosesTheStream) {
  const Outcome outcome =
      Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_WRITE_READY", "0"}});
  EXPECT_EQ(outcome.status, 0);
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write"), 0u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_StreamAsFile"), 0u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_DestroyStream reason=1"));
}

TEST_F(NphostTest, InjectedFaults) {
  // One byte at a time.
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, "--write-bytewise", m_image}).status, 0);
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write"), 5000u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Write offset=4999 len=1"), 1u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_StreamAsFile file=" + m_image + " received=5000 same=1"));

  // The first NPN_MemAlloc fails: the plug-in cannot make its instance.
  std::filesystem::remove(m_log);
  Outcome outcome = Run({"--plugin", TEST_PLUGIN, "--fail-memalloc", "1", m_image});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("instance 1: NPP_New failed with 5"), std::string::npos)
      << outcome.err;
  calls = Calls();
  EXPECT_TRUE(Contains(calls, "#1 NPP_New type=image/jpeg mode=2: no memory"));
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_SetWindow"), 0u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_Destroy"), 0u);

  // Destroyed after the first block.
  std::filesystem::remove(m_log);
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, "--destroy-mid-stream", "1", m_image},
                {{"TESTPLUGIN_WRITE_READY", "1000"}})
                .status,
            0);
  calls = Calls();
  const std::vector<std::string> tail(calls.end() - std::min<std::size_t>(calls.size(), 4),
                                      calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"#1 NPP_Write offset=0 len=1000",
                                            "#1 NPP_DestroyStream reason=2", "#1 NPP_Destroy",
                                            "NP_Shutdown"}));
}

TEST_F(NphostTest, AWindowThatNeverStopsAskingToBePaintedDoesNotHoldTheBrowser) {
  const Outcome outcome =
      RunScript(m_image, "paint\nlclick 1 1\n", {}, {{"TESTPLUGIN_LAZY_PAINT", "1"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("the window messages did not settle"), std::string::npos)
      << outcome.err;
  EXPECT_TRUE(Contains(Calls(), "#1 WM_LBUTTONDOWN x=1 y=1"));
}

TEST_F(NphostTest, BlocksThePlugInLeaksAreReported) {
  const Outcome outcome = Run({"--plugin", TEST_PLUGIN, m_image}, {{"TESTPLUGIN_LEAK", "1"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("nphost: 1 block(s) from NPN_MemAlloc were not freed by the plug-in"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, m_image}).err.find("NPN_MemAlloc"), std::string::npos);
}

TEST_F(NphostTest, APageLaysItsEmbedsOutOneUnderTheOther) {
  const std::string other = m_dir.Write("sub/b.tif", "II*");
  const std::string page =
      m_dir.Write("page.html",
                  "<html><body><h1>Two</h1><!-- <embed src=M0A1B2C3.JPG> -->\n"
                  "<embed src=\"M0A1B2C3.JPG\" width=300 height=200 name=first>\n"
                  "<img src=\"picture.png\" width=50 height=50>\n"
                  "<img src='sub/b.tif' width=200 height=100>\n"
                  "<embed src=http://example.invalid/c.jpg>\n</body></html>");
  const Outcome outcome = RunScript(page, "");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  EXPECT_TRUE(Contains(calls,
                       "#1 NPP_New type=image/jpeg mode=1 argc=4 src=M0A1B2C3.JPG width=300 "
                       "height=200 name=first"));
  EXPECT_TRUE(Contains(calls, "#1 NPP_SetWindow window=set x=8 y=8 width=300 height=200"));
  EXPECT_TRUE(Contains(
      calls, "#2 NPP_New type=image/tiff mode=1 argc=3 src=sub/b.tif width=200 height=100"));
  EXPECT_TRUE(Contains(calls, "#2 NPP_SetWindow window=set x=8 y=216 width=200 height=100"));
  EXPECT_TRUE(Contains(calls, "#2 NPP_StreamAsFile file=" + other + " received=3 same=1"));
  EXPECT_EQ(CountPrefix(calls, "#3 "), 0u);

  const Png shot = ReadPng(m_screenshot);
  EXPECT_EQ(shot.width, 8 + 300 + 8);
  EXPECT_EQ(shot.height, 8 + 200 + 8 + 100 + 8);
  ASSERT_FALSE(shot.rgb.empty());
  EXPECT_EQ(shot.At(2, 2), kWhite);
  EXPECT_EQ(shot.At(8, 8), kRed);
  EXPECT_EQ(shot.At(307, 207), kRed);
  EXPECT_EQ(shot.At(308, 100), kWhite);
  EXPECT_EQ(shot.At(8, 216), kGreen);
  EXPECT_EQ(shot.At(207, 315), kGreen);
  EXPECT_EQ(shot.At(250, 250), kWhite);
}

// Each FILE is a browser window of its own in one load of the module; instances are
// numbered across the windows and each window has its own screenshot.
TEST_F(NphostTest, SeveralFilesOpenInWindowsOfTheirOwnInOneLoad) {
  const std::string page = m_dir.Write("page.html", "<embed src=M0A1B2C3.JPG width=100 height=50>");
  const Outcome outcome = RunScript(page, "instance 2\nlclick 1 1\npalette-changed other\n",
                                    {"--size", "320x240", m_image});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "NP_GetEntryPoints"), 1u);
  EXPECT_EQ(CountPrefix(calls, "NP_Shutdown"), 1u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_New type=image/jpeg mode=2"), 1u);
  EXPECT_TRUE(Contains(calls, "#1 NPP_SetWindow window=set x=0 y=0 width=320 height=240"));
  EXPECT_EQ(CountPrefix(calls, "#2 NPP_New type=image/jpeg mode=1"), 1u);
  EXPECT_TRUE(Contains(calls, "#2 NPP_SetWindow window=set x=8 y=8 width=100 height=50"));
  EXPECT_TRUE(Contains(calls, "#2 WM_LBUTTONDOWN x=1 y=1"));
  EXPECT_TRUE(Contains(calls, "#2 WM_PALETTECHANGED by=other"));
  EXPECT_EQ(CountPrefix(calls, "#3 "), 0u);

  const Png first = ReadPng(m_screenshot);
  ASSERT_EQ(first.width, 320);
  EXPECT_EQ(first.At(300, 200), kRed);
  const Png second = ReadPng(m_dir / "screen-2.png");
  ASSERT_EQ(second.width, 8 + 100 + 8);
  EXPECT_EQ(second.At(2, 2), kWhite);
  EXPECT_EQ(second.At(10, 10), kGreen);
}

TEST(ScreenshotPathTest, WindowsAfterTheFirstGetTheirNumberBeforeTheExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"out.png", "out-3.png"},
      {"/a.b/out", "/a.b/out-3"},
      {"dir/.hidden", "dir/.hidden-3"},
      {"x.tar.png", "x.tar-3.png"},
  };
  for (const auto& [path, third] : cases) {
    EXPECT_EQ(nphost::Browser::ScreenshotPath(path, 1), path);
    EXPECT_EQ(nphost::Browser::ScreenshotPath(path, 3), third);
  }
}

TEST_F(NphostTest, AnEmbedWhoseFileIsMissingHasAnInstanceButNoStream) {
  const std::string page = m_dir.Write("page.html", "<embed src=gone.jpg><embed src=M0A1B2C3.JPG>");
  const Outcome outcome = RunScript(page, "instance 2\nlclick 1 1\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("instance 1: cannot open"), std::string::npos) << outcome.err;
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_SetWindow"), 1u);
  EXPECT_EQ(CountPrefix(calls, "#1 NPP_NewStream"), 0u);
  EXPECT_EQ(CountPrefix(calls, "#2 NPP_StreamAsFile"), 1u);
  EXPECT_TRUE(Contains(calls, "#2 WM_LBUTTONDOWN x=1 y=1"));
}

TEST_F(NphostTest, AHostilePageDoesNotStopTheBrowser) {
  std::string html = "<embed src=M0A1B2C3.JPG width=99999 height=-4>";
  for (int i = 0; i < 3000; ++i) html += static_cast<char>("<>\"'=/! embed src\0&#;"[i % 21]);
  html += "<embed src=\"M0A1B2C3.JPG";
  const Outcome outcome = RunScript(m_dir.Write("page.html", html), "");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  // Sizes that are not pixels fall back to --size.
  EXPECT_TRUE(Contains(calls, "#1 NPP_SetWindow window=set x=8 y=8 width=800 height=600"));
  EXPECT_EQ(calls.back(), "NP_Shutdown");
}

TEST_F(NphostTest, EveryScriptCommandReachesThePlugIn) {
  const Outcome outcome = RunScript(m_image,
                                    "resize 400 300\n"
                                    "hscroll linedown\n"
                                    "vscroll thumbposition 77\n"
                                    "lclick 5 6\n"
                                    "menu cancel\n"
                                    "rclick 7 8\n"
                                    "palette-changed self\n"
                                    "palette-changed other\n"
                                    "paint\n"
                                    "printer cancel\n"
                                    "print\n"
                                    "window-gone\n"
                                    "destroy\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  const auto start = std::find(calls.begin(), calls.end(), "#1 NPP_DestroyStream reason=0");
  ASSERT_NE(start, calls.end());
  EXPECT_EQ(
      std::vector<std::string>(start + 1, calls.end()),
      (std::vector<std::string>{
          "#1 NPP_SetWindow window=set x=0 y=0 width=400 height=300", "#1 WM_HSCROLL code=1 pos=0",
          "#1 WM_VSCROLL code=4 pos=77", "#1 WM_LBUTTONDOWN x=5 y=6", "#1 WM_RBUTTONDOWN x=7 y=8",
          "#1 menu at 7,8", "#1 WM_PALETTECHANGED by=self", "#1 WM_PALETTECHANGED by=other",
          "#1 NPP_Print mode=2", "#1 print cancelled",
          "#1 NPP_SetWindow window=null x=0 y=0 width=400 height=300", "#1 NPP_Destroy",
          "NP_Shutdown"}));
  // `paint` repainted between the palette changes and the print request.
  const std::vector<std::string> all = AllCalls();
  const auto other = std::find(all.begin(), all.end(), "#1 WM_PALETTECHANGED by=other");
  ASSERT_NE(other, all.end());
  EXPECT_EQ(*(other + 1), "#1 WM_PAINT");

  const Png shot = ReadPng(m_screenshot);
  EXPECT_EQ(shot.width, 400);
  EXPECT_EQ(shot.height, 300);
}

// 320 x 240 with both bars: the vertical one is x 303..319, y 0..222, its lower arrow
// y 206..222 and its 17-pixel thumb at y 17..33 (the range 0..100, 172 pixels of
// travel); the plug-in never moves the position.
TEST_F(NphostTest, RawInputReachesThePlugInThroughThePlatform) {
  const Outcome outcome = RunScript(m_image,
                                    "pointer down 311 214\npointer up 311 214\n"
                                    "pointer down 311 214\nhold 300\npointer up 311 214\n"
                                    "drag 311 25 311 100\n"
                                    "wheel -1\nwheel 1 100 100 shift\n"
                                    "menu cancel\npointer down 5 6 right\npointer up 5 6 right\n",
                                    {"--size", "320x240"}, {{"TESTPLUGIN_SCROLLBARS", "1"}});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> calls = Calls();
  const auto start = std::find(calls.begin(), calls.end(), "#1 NPP_DestroyStream reason=0");
  ASSERT_NE(start, calls.end());
  std::vector<std::string> expected;
  auto add = [&](const std::string& line, int times) {
    expected.insert(expected.end(), times, line);
  };
  add("#1 WM_VSCROLL code=1 pos=0", 1);
  add("#1 WM_VSCROLL code=8 pos=0", 1);
  add("#1 WM_VSCROLL code=1 pos=0", 4);  // the press, then at 200, 250 and 300 ms
  add("#1 WM_VSCROLL code=8 pos=0", 1);
  for (int pos : {10, 22, 33, 44}) add("#1 WM_VSCROLL code=5 pos=" + std::to_string(pos), 1);
  add("#1 WM_VSCROLL code=4 pos=44", 1);
  add("#1 WM_VSCROLL code=8 pos=0", 1);
  add("#1 WM_VSCROLL code=1 pos=0", 3);  // three lines a notch
  add("#1 WM_VSCROLL code=8 pos=0", 1);
  add("#1 WM_HSCROLL code=0 pos=0", 3);
  add("#1 WM_HSCROLL code=8 pos=0", 1);
  add("#1 WM_RBUTTONDOWN x=5 y=6", 1);
  add("#1 menu at 5,6", 1);
  add("#1 NPP_Destroy", 1);
  add("NP_Shutdown", 1);
  EXPECT_EQ(std::vector<std::string>(start + 1, calls.end()), expected);
}

TEST_F(NphostTest, TheScriptCanComeFromStandardInput) {
  const Outcome outcome =
      Run({"--plugin", TEST_PLUGIN, "--script", "-", m_image}, {}, "lclick 3 4\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(Calls(), "#1 WM_LBUTTONDOWN x=3 y=4"));
}

TEST_F(NphostTest, QueuedAnswersAnswerTheMenusAndTheSaveDialog) {
  std::filesystem::create_directories(m_dir / "saved");
  const std::string copy = m_dir / "saved/copy";
  const Outcome outcome = RunScript(m_image, "menu 1002\nsave-as " + copy +
                                                 "\nrclick 10 10\n"
                                                 "menu 1002\nsave-as " +
                                                 copy +
                                                 ".JPG\nrclick 10 10\n"
                                                 "menu 1004\nrclick 10 10\n"
                                                 "menu 1001\nrclick 1 1\n"
                                                 "rclick 2 2\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("the menu has no item 1001 to choose"), std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("a pop-up menu with no answer queued"), std::string::npos)
      << outcome.err;
  EXPECT_EQ(testsupport::ReadFile(copy + ".JPG"), m_bytes);

  const std::string items =
      "[{\"id\":1000,\"text\":\"View this Image (M0A1B2C3.JPG)\"},{\"separator\":true},"
      "{\"id\":1002,\"text\":\"Save "
      "as...\"},{\"id\":1003,\"text\":\"Print...\"},{\"separator\":true},"
      "{\"id\":1004,\"text\":\"About Test\xC2\xAE Plug-in...\"}]";
  const std::string dialog =
      "{\"save-dialog\":{\"defext\":\"JPG\",\"file\":\"M0A1B2C3\",\"filter\":\"JPEG "
      "(*.JPG)|*.JPG||\","
      "\"flags\":6},\"answer\":\"";
  const std::vector<std::string> expected = {
      "{\"status\":\"loaded M0A1B2C3.JPG\",\"instance\":1}",
      "{\"menu\":" + items + ",\"chosen\":1002}",
      dialog + copy + "\"}",
      "{\"menu\":" + items + ",\"chosen\":1002}",
      dialog + copy + ".JPG\"}",
      "{\"caption\":\"Save As\",\"text\":\"" + copy +
          ".JPG already exists.\\nDo you want to replace it?\","
          "\"style\":52}",
      "{\"menu\":" + items + ",\"chosen\":1004}",
      "{\"caption\":\"Plug-in\",\"text\":\"About Test\xC2\xAE Plug-in...\",\"style\":0}",
      "{\"menu\":" + items + ",\"chosen\":null}",
      "{\"menu\":" + items + ",\"chosen\":null}",
  };
  EXPECT_EQ(Messages(), expected);
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "#1 WM_COMMAND id=1002"), 2u);
  EXPECT_EQ(CountPrefix(calls, "#1 WM_COMMAND id=1004"), 1u);
  EXPECT_EQ(CountPrefix(calls, "#1 WM_COMMAND"), 3u);
  EXPECT_EQ(CountPrefix(calls, "#1 saved " + copy + ".JPG copied=1"), 2u);
}

TEST_F(NphostTest, AMenuOnASecondEmbedOpensAtItsPlaceOnTheScreen) {
  const std::string page = m_dir.Write(
      "page.html",
      "<embed src=M0A1B2C3.JPG width=100 height=50><embed src=M0A1B2C3.JPG width=100 height=50>");
  EXPECT_EQ(RunScript(page, "instance 2\nmenu cancel\nrclick 10 20\n").status, 0);
  EXPECT_TRUE(Contains(Calls(), "#2 menu at 18,86"));  // (8, 8 + 50 + 8) + (10, 20)
}

TEST_F(NphostTest, APrintJobToPdfHasOnePageACopy) {
  const Outcome outcome =
      RunScript(m_image, "menu 1003\nprinter copies=3 to=out.pdf\nrclick 10 10\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> messages = Messages();
  EXPECT_TRUE(Contains(messages,
                       "{\"print-dialog\":{\"flags\":1310732},"
                       "\"answer\":{\"copies\":3,\"dpi\":600,\"output\":\"out.pdf\"}}"));
  EXPECT_TRUE(
      Contains(messages, "{\"print-job\":\"M0A1B2C3.JPG\",\"pages\":3,\"output\":\"out.pdf\"}"));
  EXPECT_TRUE(Contains(Calls(), "#1 printed copies=3"));
  EXPECT_EQ(PdfPages(m_dir / "out.pdf"), 3);
}

TEST_F(NphostTest, TheBrowsersPrintRequestPrintsToPngPagesOrADefaultPdf) {
  const Outcome outcome =
      RunScript(m_image, "printer dpi=20 copies=2 to=page-%d.png\nprint\nprinter\nprint\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(Calls(), "#1 NPP_Print mode=2"));
  const Png first = ReadPng(m_dir / "page-1.png");
  EXPECT_EQ(first.width, 170);  // 8.5 inches at 20 dpi
  EXPECT_EQ(first.height, 220);
  EXPECT_TRUE(std::filesystem::exists(m_dir / "page-2.png"));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "page-3.png"));
  const std::vector<std::string> messages = Messages();
  EXPECT_TRUE(Contains(messages,
                       "{\"print-job\":\"M0A1B2C3.JPG\",\"pages\":2,\"output\":\"page-%d.png\"}"));
  // A printer answered without `to=` prints to a PDF named by its number in the run.
  EXPECT_TRUE(Contains(messages,
                       "{\"print-dialog\":{\"flags\":1310732},\"answer\":{\"copies\":1,\"dpi\":600,"
                       "\"output\":\"nphost-print-2.pdf\"}}"));
  EXPECT_EQ(PdfPages(m_dir / "nphost-print-2.pdf"), 1);
}

TEST_F(NphostTest, AnUnansweredPrintDialogIsCancelledAndLogged) {
  EXPECT_EQ(RunScript(m_image, "print\n").status, 0);
  EXPECT_TRUE(Contains(Messages(), "{\"print-dialog\":{\"flags\":1310732},\"answer\":null}"));
  EXPECT_TRUE(Contains(Calls(), "#1 print cancelled"));
}

TEST_F(NphostTest, TheScreenshotOfAnImageIsExactlyItsWindow) {
  EXPECT_EQ(RunScript(m_image, "", {"--size", "320x240"}).status, 0);
  Png shot = ReadPng(m_screenshot);
  ASSERT_EQ(shot.width, 320);
  ASSERT_EQ(shot.height, 240);
  EXPECT_EQ(shot.At(0, 0), kRed);
  EXPECT_EQ(shot.At(319, 239), kRed);

  // The window's scroll bars are part of it.
  EXPECT_EQ(RunScript(m_image, "", {"--size", "320x240"}, {{"TESTPLUGIN_SCROLLBARS", "1"}}).status,
            0);
  shot = ReadPng(m_screenshot);
  ASSERT_EQ(shot.width, 320);
  EXPECT_EQ(shot.At(10, 10), kRed);
  EXPECT_NE(shot.At(315, 100), kRed);
  EXPECT_NE(shot.At(100, 235), kRed);
}

TEST_F(NphostTest, AScreenWithAColourTableShowsTheStaticColours) {
  EXPECT_EQ(RunScript(m_image, "", {"--size", "64x64", "--depth", "8"}).status, 0);
  const Png shot = ReadPng(m_screenshot);
  ASSERT_EQ(shot.width, 64);
  EXPECT_EQ(shot.At(32, 32), kRed);
}

TEST_F(NphostTest, TheWindowsDirectoryIsTheOneGiven) {
  const std::string windir = m_dir / "win";
  EXPECT_EQ(Run({"--plugin", TEST_PLUGIN, "--windir", windir, m_image}).status, 0);
  EXPECT_TRUE(std::filesystem::is_directory(windir));
  const std::vector<std::string> calls = Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_NE(calls[1].find("windir=" + windir), std::string::npos) << calls[1];
}

}  // namespace
}  // namespace hosttest
