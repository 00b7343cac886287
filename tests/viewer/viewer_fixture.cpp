#include "viewer_fixture.h"

#include <platform/screen.h>
#include <platform/testing.h>
#include <platform/windows_system.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "color/ColorEngine.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace viewertest {

std::vector<UINT>& BrowserMessages() {
  static std::vector<UINT> messages;
  return messages;
}

namespace {

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BrowserMessages().push_back(message);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

bool Near(uint32_t a, uint32_t b, int nTolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int ca = static_cast<int>((a >> shift) & 0xFF);
    int cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > nTolerance) return false;
  }
  return true;
}

void ViewerTest::SetUp() {
  std::filesystem::create_directories(WindowsDir());
  std::filesystem::create_directories(m_scratch / "zirn");
  m_windir = std::make_unique<testsupport::ScopedEnv>("WINDIR", WindowsDir());
  m_zirnHome = std::make_unique<testsupport::ScopedEnv>("ZIRN_HOME", m_scratch / "zirn");
  m_pPreviousPerson = platform::SetPerson(&m_person);
  platform::SetScreen(1024, 768, 24);

  static int nSerial = 0;
  m_className = "ViewerTestBrowser" + std::to_string(++nSerial);
  WNDCLASSA wc{};
  wc.lpfnWndProc = BrowserProc;
  wc.lpszClassName = m_className.c_str();
  ASSERT_NE(RegisterClassA(&wc), 0);
  m_hParent = CreateWindowExA(0, m_className.c_str(), "browser", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                              1024, 768, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(m_hParent, nullptr);
}

void ViewerTest::TearDown() {
  for (CImgVuWnd* pWnd : m_windows) {
    pWnd->UnsubclassWindow();
    delete pWnd;
  }
  m_windows.clear();
  for (CImgVuDoc* pDoc : m_documents) delete pDoc;
  m_documents.clear();
  DestroyWindow(m_hParent);
  UnregisterClassA(m_className.c_str(), nullptr);
  platform::SetPerson(m_pPreviousPerson);
  platform::SetScreen(1024, 768, 24);
  platform::testing::SetApplicationDirectories({});
  g_bEmbeddedProfile = 0;
  g_bEngineReady = 0;
  g_pCurrentWnd = nullptr;
  g_nProfilePaths = 0;
  for (CString& strPath : g_strProfilePaths) strPath.Empty();
  g_strWindowsDir.Empty();
}

CImgVuDoc* ViewerTest::NewDocument() {
  auto* pDoc = new CImgVuDoc;
  pDoc->m_nDisplayMode = m_nMode;
  m_documents.push_back(pDoc);
  return pDoc;
}

void ViewerTest::DeleteDocument(CImgVuDoc* pDoc) {
  Forget(pDoc);
  delete pDoc;
}

void ViewerTest::LetGoDocument(CImgVuDoc* pDoc) {
  Forget(pDoc);
  pDoc->LetGo();
}

void ViewerTest::Forget(CImgVuDoc* pDoc) {
  m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), pDoc), m_documents.end());
  for (PluginInstance& record : m_records) {
    if (record.document == pDoc) record.document = nullptr;
  }
}

CImgVuWnd* ViewerTest::NewWindow(CImgVuDoc* pDoc, int nWidth, int nHeight) {
  // Side by side, so that no window covers another.
  HWND hwnd = CreateWindowExA(0, m_className.c_str(), "plugin", WS_CHILD | WS_VISIBLE, m_nNextLeft,
                              0, nWidth, nHeight, m_hParent, nullptr, nullptr, nullptr);
  m_nNextLeft += nWidth + 8;
  EXPECT_NE(hwnd, nullptr);
  auto* pWnd = new CImgVuWnd;
  EXPECT_TRUE(pWnd->SubclassWindow(hwnd));
  m_records.push_back(PluginInstance{pWnd, pDoc, 1});
  pWnd->m_pInstance = &m_records.back();
  m_windows.push_back(pWnd);
  return pWnd;
}

void ViewerTest::DeleteWindow(CImgVuWnd* pWnd) {
  m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), pWnd), m_windows.end());
  for (PluginInstance& record : m_records) {
    if (record.window == pWnd) record.window = nullptr;
  }
  pWnd->UnsubclassWindow();
  delete pWnd;
}

void ViewerTest::HideEngine() {
  std::filesystem::create_directories(m_scratch / "noengine");
  platform::testing::SetApplicationDirectories({m_scratch / "noengine"});
}

void ViewerTest::ChooseMonitor(const std::string& prefix) {
  ASSERT_NE(g_pColorEngine, nullptr);
  ASSERT_EQ(g_bEngineReady, 1) << "ZIRN.DLL and TALVERIN.DLL beside the test program";
  int32_t nCursor1 = 0, nCursor2 = 0;
  char szName[256], szPath[256];
  while (g_pColorEngine->m_pfnEnumProfilesByClassification(0, &nCursor1, &nCursor2, szName, szPath,
                                                           256) > 0) {
    if (std::string(szName).rfind(prefix, 0) == 0) {
      g_pColorEngine->m_pfnSetMonitorProfile(szName);
      return;
    }
  }
  FAIL() << "no display profile named " << prefix << "...";
}

void ViewerTest::Repaint(CImgVuWnd* pWnd) {
  pWnd->InvalidateRect(nullptr, TRUE);
  pWnd->UpdateWindow();
}

uint32_t ViewerTest::PixelAt(CImgVuWnd* pWnd, int x, int y) {
  return platform::CaptureWindow(pWnd->m_hWnd)->Pixel(x, y);
}

bool ViewerTest::BarShown(CImgVuWnd* pWnd, int nBar) {
  LONG_PTR style = GetWindowLongA(pWnd->m_hWnd, GWL_STYLE);
  return (style & (nBar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

bool ViewerTest::NeedsPaint(CImgVuWnd* pWnd) {
  RECT rect;
  return GetUpdateRect(pWnd->m_hWnd, &rect, FALSE) != FALSE;
}

void ViewerTest::Scroll(CImgVuWnd* pWnd, UINT nMessage, UINT nCode, UINT nPos) {
  SendMessageA(pWnd->m_hWnd, nMessage, MAKEWPARAM(nCode, nPos), 0);
}

void ViewerTest::Resize(CImgVuWnd* pWnd, int nWidth, int nHeight) {
  RECT rect;
  GetWindowRect(pWnd->m_hWnd, &rect);
  POINT origin{rect.left, rect.top};
  ScreenToClient(GetParent(pWnd->m_hWnd), &origin);
  MoveWindow(pWnd->m_hWnd, origin.x, origin.y, nWidth, nHeight, TRUE);
  PaintPending(pWnd);
}

void ViewerTest::PaintPending(CImgVuWnd* pWnd) {
  // As a message loop would: paints while the window asks for them, a few at most.
  for (int i = 0; i < 4 && NeedsPaint(pWnd); ++i) pWnd->UpdateWindow();
  EXPECT_FALSE(NeedsPaint(pWnd)) << "the window keeps asking to be painted";
}

std::vector<std::string> ViewerTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Message& message : m_person.messages) texts.push_back(message.text);
  return texts;
}

}  // namespace viewertest
