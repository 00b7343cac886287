// The viewer's test fixture: a scratch Windows directory and engine home, a browser
// window to subclass, documents and windows linked through instance records as the
// entry points link them, and a recorder of the messages shown.
#pragma once

#include <afxwin.h>
#include <platform/person.h>
#include <platform/screen.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "plugin/PluginInstance.h"
#include "recording_person.h"
#include "test_images.h"
#include "tests/support/scratchdir.h"

class CImgVuDoc;
class CImgVuWnd;

namespace viewertest {

// The messages the browser's own window procedure received, in order.
std::vector<UINT>& BrowserMessages();

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A document the fixture deletes at the end unless the test has.
  CImgVuDoc* NewDocument();
  void DeleteDocument(CImgVuDoc* pDoc);
  // Lets go of the document as a later teardown does.
  void LetGoDocument(CImgVuDoc* pDoc);
  // A browser child window with a client area of nWidth x nHeight, subclassed by a
  // viewer window whose instance record holds pDoc.
  CImgVuWnd* NewWindow(CImgVuDoc* pDoc, int nWidth, int nHeight);
  // Un-subclasses and deletes the window object; the browser's window stays.
  void DeleteWindow(CImgVuWnd* pWnd);

  // A path in the scratch folder.
  std::string Path(const std::string& name) const { return m_scratch / name; }
  std::string WindowsDir() const { return m_scratch / "windows"; }
  // Hides the engine: the search finds neither ZIRN.DLL nor TALVERIN.DLL.
  void HideEngine();
  // Makes the first display profile of the engine's store whose name starts with
  // the prefix the monitor profile. Needs a bound engine (a document made).
  void ChooseMonitor(const std::string& prefix);

  // Invalidates the whole client area with erasing and paints it now.
  static void Repaint(CImgVuWnd* pWnd);
  // The pixel at client (x, y) as drawn (0x00RRGGBB).
  static uint32_t PixelAt(CImgVuWnd* pWnd, int x, int y);
  static bool BarShown(CImgVuWnd* pWnd, int nBar);
  static bool NeedsPaint(CImgVuWnd* pWnd);
  static void Scroll(CImgVuWnd* pWnd, UINT nMessage, UINT nCode, UINT nPos = 0);
  // Moves the window to the new size and paints what it then asks for.
  void Resize(CImgVuWnd* pWnd, int nWidth, int nHeight);
  static void PaintPending(CImgVuWnd* pWnd);

  std::vector<std::string> MessageTexts() const;

  RecordingPerson m_person;
  testsupport::ScratchDir m_scratch;
  int m_nMode = 1;  // the display mode NewDocument gives its documents (NP_EMBED)

 private:
  void Forget(CImgVuDoc* pDoc);

  std::unique_ptr<testsupport::ScopedEnv> m_windir;
  std::unique_ptr<testsupport::ScopedEnv> m_zirnHome;
  platform::Person* m_pPreviousPerson = nullptr;
  std::string m_className;
  HWND m_hParent = nullptr;
  int m_nNextLeft = 0;
  std::list<PluginInstance> m_records;
  std::vector<CImgVuWnd*> m_windows;
  std::vector<CImgVuDoc*> m_documents;
};

constexpr uint32_t ToPixel(Rgb c) {
  return (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
}

// Whether two pixels differ by at most nTolerance in every channel.
bool Near(uint32_t a, uint32_t b, int nTolerance);

}  // namespace viewertest
