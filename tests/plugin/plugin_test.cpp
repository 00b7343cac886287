// The plug-in's entry points in-process, driven as a browser drives them: the two
// function tables, instance records from the browser's allocator, streams, windows
// given, replaced and withdrawn, and the once-only teardown of a module load.
#include <afxwin.h>
#include <npupp.h>
#include <platform/person.h>
#include <platform/printer.h>
#include <platform/screen.h>
#include <platform/windows_system.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <memory>
#include <set>
#include <string>

#include "plugin/BrowserFuncs.h"
#include "plugin/EntryPoints.h"
#include "plugin/PluginInstance.h"
#include "tests/support/scratchdir.h"
#include "tests/viewer/recording_person.h"
#include "tests/viewer/test_images.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

extern "C" {
NPError NP_GetEntryPoints(NPPluginFuncs* pFuncs);
NPError NP_Initialize(NPNetscapeFuncs* pFuncs);
NPError NP_Shutdown();
}

namespace {

using viewertest::WherePixel;

constexpr uint32_t kPicturePixel = 0x040340;  // WherePixel(4, 3) as drawn

// The browser's allocator, counting what the plug-in takes and gives back.
struct Allocator {
  static inline int nAllocs = 0;
  static inline int nFrees = 0;
  static inline std::set<void*> live;
  static inline uint32_t nLastSize = 0;
  static inline bool bFail = false;

  static void* Alloc(uint32_t nSize) {
    nLastSize = nSize;
    if (bFail) return nullptr;
    ++nAllocs;
    void* p = std::malloc(nSize);
    live.insert(p);
    return p;
  }
  static void Free(void* p) {
    ++nFrees;
    live.erase(p);
    std::free(p);
  }
  static void Reset() {
    nAllocs = nFrees = 0;
    nLastSize = 0;
    bFail = false;
    live.clear();
  }
};

NPNetscapeFuncs BrowserTable(uint16_t wVersion = 0x0009, size_t nSize = kMinNetscapeFuncsSize) {
  NPNetscapeFuncs funcs{};
  funcs.size = static_cast<uint16_t>(nSize);
  funcs.version = wVersion;
  funcs.memalloc = Allocator::Alloc;
  funcs.memfree = Allocator::Free;
  return funcs;
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Allocator::Reset();
    std::filesystem::create_directories(m_scratch / "windows");
    std::filesystem::create_directories(m_scratch / "zirn");
    m_windir = std::make_unique<testsupport::ScopedEnv>("WINDIR", m_scratch / "windows");
    m_zirnHome = std::make_unique<testsupport::ScopedEnv>("ZIRN_HOME", m_scratch / "zirn");
    m_pPrevious = platform::SetPerson(&m_person);
    platform::SetScreen(1024, 768, 24);

    m_pluginFuncs.size = sizeof(NPPluginFuncs);
    ASSERT_EQ(NP_GetEntryPoints(&m_pluginFuncs), NPERR_NO_ERROR);
    m_browserFuncs = BrowserTable();
    ASSERT_EQ(NP_Initialize(&m_browserFuncs), NPERR_NO_ERROR);

    static int nSerial = 0;
    m_className = "PluginTestBrowser" + std::to_string(++nSerial);
    WNDCLASSA wc{};
    wc.lpfnWndProc = BrowserProc;
    wc.lpszClassName = m_className.c_str();
    ASSERT_NE(RegisterClassA(&wc), 0);
    m_hParent = CreateWindowExA(0, m_className.c_str(), "browser", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                                800, 600, nullptr, nullptr, nullptr, nullptr);
    viewertest::WriteRgbTiff(m_scratch / "picture.tif", 30, 20, WherePixel);
  }

  void TearDown() override {
    for (NPP_t& npp : m_instances) {
      if (npp.pdata != nullptr) NPP_Destroy(&npp, nullptr);
    }
    EXPECT_TRUE(Allocator::live.empty()) << "instance records not given back";
    NP_Shutdown();
    DestroyWindow(m_hParent);
    UnregisterClassA(m_className.c_str(), nullptr);
    platform::SetPerson(m_pPrevious);
    // The binding a let-go document kept lives on with the module.
    while (ColorEngineUsers() > 0) ReleaseColorEngine();
    g_bEngineReady = 0;
  }

  NPP NewInstance(uint16_t wMode = NP_EMBED) {
    m_instances.push_back(NPP_t{});
    NPP npp = &m_instances.back();
    EXPECT_EQ(NPP_New(const_cast<char*>("image/tiff"), npp, wMode, 0, nullptr, nullptr, nullptr),
              NPERR_NO_ERROR);
    return npp;
  }

  // Side by side, so that no window covers another.
  HWND BrowserWindow(int nWidth = 100, int nHeight = 80) {
    HWND hwnd =
        CreateWindowExA(0, m_className.c_str(), "plugin", WS_CHILD | WS_VISIBLE, m_nNextLeft, 0,
                        nWidth, nHeight, m_hParent, nullptr, nullptr, nullptr);
    m_nNextLeft += nWidth + 8;
    return hwnd;
  }

  static PluginInstance* Record(NPP npp) { return static_cast<PluginInstance*>(npp->pdata); }

  static NPError SetWindow(NPP npp, HWND hwnd) {
    NPWindow window{};
    window.window = hwnd;
    window.width = 100;
    window.height = 80;
    window.type = NPWindowTypeWindow;
    return NPP_SetWindow(npp, &window);
  }

  static uint32_t PixelAt(HWND hwnd, int x, int y) {
    return platform::CaptureWindow(hwnd)->Pixel(x, y);
  }

  std::string Picture() const { return m_scratch / "picture.tif"; }

  testsupport::ScratchDir m_scratch;
  viewertest::RecordingPerson m_person;
  NPPluginFuncs m_pluginFuncs{};
  NPNetscapeFuncs m_browserFuncs{};
  std::list<NPP_t> m_instances;

 private:
  std::unique_ptr<testsupport::ScopedEnv> m_windir;
  std::unique_ptr<testsupport::ScopedEnv> m_zirnHome;
  platform::Person* m_pPrevious = nullptr;
  std::string m_className;
  HWND m_hParent = nullptr;
  int m_nNextLeft = 0;
};

// ----- the function tables ----------------------------------------------------------

TEST(EntryPointTableTest, SmallestTableIsFilledOneByteLessIsLeftAlone) {
  NPPluginFuncs funcs;
  std::memset(&funcs, 0xAB, sizeof funcs);
  funcs.size = static_cast<uint16_t>(kMinPluginFuncsSize);
  ASSERT_EQ(NP_GetEntryPoints(&funcs), NPERR_NO_ERROR);
  EXPECT_EQ(funcs.size, kMinPluginFuncsSize);  // not written
  EXPECT_EQ(funcs.version, 6);
  EXPECT_EQ(funcs.newp, &NPP_New);
  EXPECT_EQ(funcs.destroy, &NPP_Destroy);
  EXPECT_EQ(funcs.setwindow, &NPP_SetWindow);
  EXPECT_EQ(funcs.newstream, &NPP_NewStream);
  EXPECT_EQ(funcs.destroystream, &NPP_DestroyStream);
  EXPECT_EQ(funcs.asfile, &NPP_StreamAsFile);
  EXPECT_EQ(funcs.writeready, &NPP_WriteReady);
  EXPECT_EQ(funcs.write, &NPP_Write);
  EXPECT_EQ(funcs.print, &NPP_Print);
  EXPECT_EQ(funcs.event, nullptr);
  EXPECT_EQ(g_bTeardownDone, 0);

  NPPluginFuncs small;
  std::memset(&small, 0xAB, sizeof small);
  small.size = static_cast<uint16_t>(kMinPluginFuncsSize - 1);
  NPPluginFuncs before = small;
  EXPECT_EQ(NP_GetEntryPoints(&small), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(std::memcmp(&small, &before, sizeof small), 0);
  EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
}

TEST(BrowserTableTest, SmallestTableOfMajorVersionZeroIsAccepted) {
  NPNetscapeFuncs funcs = BrowserTable(0x0009, kMinNetscapeFuncsSize);
  EXPECT_EQ(NP_Initialize(&funcs), NPERR_NO_ERROR);
  EXPECT_EQ(g_pBrowserFuncs, &funcs);
  int nPluginMajor, nPluginMinor, nBrowserMajor, nBrowserMinor;
  NPN_Version(&nPluginMajor, &nPluginMinor, &nBrowserMajor, &nBrowserMinor);
  EXPECT_EQ(nPluginMajor, 0);
  EXPECT_EQ(nPluginMinor, 6);
  EXPECT_EQ(nBrowserMajor, 0);
  EXPECT_EQ(nBrowserMinor, 9);

  NPNetscapeFuncs newer = BrowserTable(0x0100, kMinNetscapeFuncsSize);
  EXPECT_EQ(NP_Initialize(&newer), NPERR_INCOMPATIBLE_VERSION_ERROR);
  EXPECT_EQ(g_pBrowserFuncs, &newer);

  NPNetscapeFuncs small = BrowserTable(0x0009, kMinNetscapeFuncsSize - 1);
  EXPECT_EQ(NP_Initialize(&small), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(g_pBrowserFuncs, &small);  // stored before the checks

  EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
  EXPECT_EQ(g_pBrowserFuncs, nullptr);
}

// ----- instances and streams --------------------------------------------------------

TEST_F(PluginTest, InstanceRecordComesFromTheBrowsersAllocator) {
  NPP npp = NewInstance(NP_FULL);
  EXPECT_EQ(Allocator::nAllocs, 1);
  EXPECT_EQ(Allocator::nLastSize, sizeof(PluginInstance));
  ASSERT_NE(Record(npp), nullptr);
  EXPECT_EQ(Record(npp)->window, nullptr);
  EXPECT_NE(Record(npp)->document, nullptr);
  EXPECT_EQ(Record(npp)->mode, NP_FULL);

  EXPECT_EQ(NPP_Destroy(npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(Allocator::nFrees, 1);
  EXPECT_EQ(npp->pdata, nullptr);
  EXPECT_EQ(NPP_Destroy(npp, nullptr), NPERR_NO_ERROR);  // nothing left to free
  EXPECT_EQ(Allocator::nFrees, 1);
}

TEST_F(PluginTest, RecordThatCannotBeAllocatedFailsTheInstance) {
  Allocator::bFail = true;
  NPP_t npp{};
  EXPECT_EQ(NPP_New(nullptr, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_OUT_OF_MEMORY_ERROR);
  EXPECT_EQ(npp.pdata, nullptr);
}

TEST_F(PluginTest, NullInstanceIsRefusedEverywhere) {
  uint16_t wType = 0;
  NPWindow window{};
  EXPECT_EQ(NPP_New(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_Destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_SetWindow(nullptr, &window), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_NewStream(nullptr, nullptr, nullptr, 0, &wType), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_DestroyStream(nullptr, nullptr, 0), NPERR_INVALID_INSTANCE_ERROR);
  NPP_StreamAsFile(nullptr, nullptr, Picture().c_str());
  NPP_Print(nullptr, nullptr);
  EXPECT_EQ(Allocator::nAllocs, 0);
}

TEST_F(PluginTest, StreamsAreAskedForAsFilesAndEveryBlockIsTaken) {
  NPP npp = NewInstance();
  NPStream stream{};
  uint16_t wType = 0;
  EXPECT_EQ(NPP_NewStream(npp, nullptr, &stream, 0, &wType), NPERR_NO_ERROR);
  EXPECT_EQ(wType, NP_ASFILE);
  EXPECT_EQ(NPP_WriteReady(npp, &stream), 0x0FFFFFFF);
  char buffer[1000] = {};
  EXPECT_EQ(NPP_Write(npp, &stream, 0, 1000, buffer), 1000);
  EXPECT_EQ(NPP_DestroyStream(npp, &stream, 0), NPERR_NO_ERROR);
}

TEST_F(PluginTest, FileIsShownInTheInstancesModeInItsWindow) {
  NPP npp = NewInstance(NP_FULL);
  HWND hwnd = BrowserWindow();
  ASSERT_EQ(SetWindow(npp, hwnd), NPERR_NO_ERROR);
  g_bEmbeddedProfile = 1;
  NPStream stream{};
  NPP_StreamAsFile(npp, &stream, Picture().c_str());
  EXPECT_EQ(Record(npp)->document->m_nDisplayMode, NP_FULL);
  EXPECT_EQ(g_bEmbeddedProfile, 0);
  EXPECT_EQ(Record(npp)->window->m_hWnd, hwnd);
  EXPECT_EQ(PixelAt(hwnd, 4, 3), kPicturePixel);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(PluginTest, FileBeforeTheWindowIsShownWhenTheWindowComes) {
  NPP npp = NewInstance();
  NPP_StreamAsFile(npp, nullptr, Picture().c_str());
  HWND hwnd = BrowserWindow();
  ASSERT_EQ(SetWindow(npp, hwnd), NPERR_NO_ERROR);
  EXPECT_EQ(PixelAt(hwnd, 4, 3), kPicturePixel);
}

// ----- windows ----------------------------------------------------------------------

TEST_F(PluginTest, WindowIsSubclassedAndLinkedToItsRecord) {
  NPP npp = NewInstance();
  HWND hwnd = BrowserWindow();
  ASSERT_EQ(SetWindow(npp, hwnd), NPERR_NO_ERROR);
  CImgVuWnd* pWnd = Record(npp)->window;
  ASSERT_NE(pWnd, nullptr);
  EXPECT_EQ(pWnd->m_pInstance, Record(npp));
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), pWnd);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC)), &AfxWndProc);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));  // invalidated and painted at once
}

TEST_F(PluginTest, SecondWindowKeepsTheFirstWindowObject) {
  NPP npp = NewInstance();
  HWND first = BrowserWindow();
  HWND second = BrowserWindow();
  ASSERT_EQ(SetWindow(npp, first), NPERR_NO_ERROR);
  CImgVuWnd* pWnd = Record(npp)->window;
  NPP_StreamAsFile(npp, nullptr, Picture().c_str());
  InvalidateRect(first, nullptr, TRUE);
  EXPECT_EQ(SetWindow(npp, second), NPERR_NO_ERROR);
  EXPECT_EQ(Record(npp)->window, pWnd);
  EXPECT_EQ(pWnd->m_hWnd, first);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(second, GWL_WNDPROC)), &BrowserProc);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(first, &update, FALSE));  // repainted
  EXPECT_EQ(PixelAt(first, 4, 3), kPicturePixel);
  EXPECT_EQ(PixelAt(second, 4, 3), 0xFFFFFFu);
}

TEST_F(PluginTest, WithdrawnWindowTearsTheInstanceDown) {
  NPP npp = NewInstance();
  HWND hwnd = BrowserWindow();
  ASSERT_EQ(SetWindow(npp, hwnd), NPERR_NO_ERROR);
  EXPECT_EQ(SetWindow(npp, nullptr), NPERR_NO_ERROR);
  ASSERT_NE(Record(npp), nullptr);  // the record stays until NPP_Destroy
  EXPECT_EQ(Record(npp)->window, nullptr);
  EXPECT_EQ(Record(npp)->document, nullptr);
  EXPECT_TRUE(IsWindow(hwnd));  // the browser's window is not destroyed
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC)), &BrowserProc);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);

  g_bEmbeddedProfile = 1;
  NPP_StreamAsFile(npp, nullptr, Picture().c_str());  // nothing happens
  EXPECT_EQ(g_bEmbeddedProfile, 1);
  EXPECT_EQ(PixelAt(hwnd, 4, 3), 0xFFFFFFu);
  EXPECT_EQ(SetWindow(npp, nullptr), NPERR_NO_ERROR);  // no window: nothing to do
}

TEST_F(PluginTest, MissingWindowRecordOrRecordIsAGenericError) {
  NPP npp = NewInstance();
  EXPECT_EQ(NPP_SetWindow(npp, nullptr), NPERR_GENERIC_ERROR);
  NPP_t bare{};
  EXPECT_EQ(SetWindow(&bare, BrowserWindow()), NPERR_GENERIC_ERROR);
}

TEST_F(PluginTest, WindowThatCannotBeSubclassedIsAGenericError) {
  NPP npp = NewInstance();
  HWND hwnd = BrowserWindow();
  DestroyWindow(hwnd);
  EXPECT_EQ(SetWindow(npp, hwnd), NPERR_GENERIC_ERROR);
  EXPECT_NE(Record(npp)->window, nullptr);  // kept in the record, torn down with it
  EXPECT_EQ(NPP_Destroy(npp, nullptr), NPERR_NO_ERROR);
}

TEST_F(PluginTest, PrintRunsTheWindowsPrintCommand) {
  std::vector<platform::PrintJobRecord> jobs;
  platform::SetPrintJobListener([&](const platform::PrintJobRecord& job) { jobs.push_back(job); });
  platform::PrintAnswer answer;
  m_person.printAnswer = answer;

  NPP npp = NewInstance();
  NPP_StreamAsFile(npp, nullptr, Picture().c_str());
  NPPrint print{};
  print.mode = NP_EMBED;
  NPP_Print(npp, &print);  // no window yet: nothing is asked
  EXPECT_TRUE(m_person.printQuestions.empty());

  ASSERT_EQ(SetWindow(npp, BrowserWindow()), NPERR_NO_ERROR);
  NPP_Print(npp, &print);
  platform::SetPrintJobListener({});
  EXPECT_EQ(m_person.printQuestions.size(), 1u);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].documentName, "picture.tif");
  EXPECT_EQ(jobs[0].pages.size(), 1u);
  EXPECT_EQ(print.print.embedPrint.platformPrint, nullptr);  // nothing reported back
}

// ----- teardown within one module load ----------------------------------------------

TEST_F(PluginTest, OnlyTheFirstTeardownDestroysItsDocument) {
  NPP first = NewInstance();
  NPP second = NewInstance();
  ASSERT_EQ(SetWindow(first, BrowserWindow()), NPERR_NO_ERROR);
  ASSERT_EQ(SetWindow(second, BrowserWindow()), NPERR_NO_ERROR);
  EXPECT_EQ(ColorEngineUsers(), 2);
  EXPECT_EQ(g_bTeardownDone, 0);

  EXPECT_EQ(NPP_Destroy(first, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(g_bTeardownDone, 1);
  EXPECT_EQ(ColorEngineUsers(), 1);  // destroyed: its use of the binding ended
  ASSERT_NE(g_pColorEngine, nullptr);

  NPStream stream{};
  NPP_StreamAsFile(second, &stream, Picture().c_str());
  EXPECT_EQ(PixelAt(Record(second)->window->m_hWnd, 4, 3), kPicturePixel);

  EXPECT_EQ(NPP_Destroy(second, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(ColorEngineUsers(), 1);  // let go of: its use stays with the module
  EXPECT_NE(g_pColorEngine, nullptr);
  EXPECT_EQ(Allocator::nFrees, 2);

  // A new module load (entry points asked again) destroys the next first document.
  ASSERT_EQ(NP_GetEntryPoints(&m_pluginFuncs), NPERR_NO_ERROR);
  NPP third = NewInstance();
  EXPECT_EQ(ColorEngineUsers(), 2);
  EXPECT_EQ(NPP_Destroy(third, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(ColorEngineUsers(), 1);

  // Shutting the module down releases what the let-go documents kept.
  EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
  EXPECT_EQ(ColorEngineUsers(), 0);
  EXPECT_EQ(g_pColorEngine, nullptr);
}

}  // namespace
