// The context menu and its commands: the items and where the menu opens, showing the
// image again, saving a copy of the delivered file, printing and the About box.
#include "viewer_fixture.h"

#include <commdlg.h>
#include <platform/printer.h>

#include <filesystem>

#include "bitmap/Dib.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace viewertest {
namespace {

namespace fs = std::filesystem;

class MenuTest : public ViewerTest {
 protected:
  // A document that received the file name given, in a window at the left of the page.
  CImgVuWnd* Opened(const std::string& path) {
    CImgVuDoc* pDoc = NewDocument();
    CImgVuWnd* pWnd = NewWindow(pDoc, 120, 90);
    pDoc->Open(pWnd, path.c_str());
    return pWnd;
  }
  static void RightClick(CImgVuWnd* pWnd, int x, int y) {
    SendMessageA(pWnd->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  }
  std::vector<std::string> ItemTexts() const {
    std::vector<std::string> texts;
    for (const platform::MenuItem& item : m_person.menuQuestions.at(0).items)
      texts.push_back(item.text);
    return texts;
  }
};

TEST_F(MenuTest, MenuNamesTheFileAndOffersFourCommands) {
  CImgVuWnd* pWnd = Opened("C:\\CACHE\\M0A1B2C3.JPG");
  m_person.messages.clear();  // the file does not exist here; only the menu matters
  BrowserMessages().clear();
  RightClick(pWnd, 20, 30);
  EXPECT_EQ(BrowserMessages(), std::vector<UINT>{WM_RBUTTONDOWN});  // passed on first
  ASSERT_EQ(m_person.menuQuestions.size(), 1u);
  const platform::MenuQuestion& menu = m_person.menuQuestions[0];
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{
                             "View this Image (M0A1B2C3.JPG)", "", "Save as...", "Print...", "",
                             "About Zelcora\xAE Glimmora Viewer Plug-in..."}));
  ASSERT_EQ(menu.items.size(), 6u);
  EXPECT_EQ(menu.items[0].id, ID_VIEW_IMAGE);
  EXPECT_EQ(menu.items[1].flags & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(menu.items[2].id, 1002u);
  EXPECT_EQ(menu.items[3].id, 1003u);
  EXPECT_EQ(menu.items[4].flags & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(menu.items[5].id, 1004u);
  EXPECT_EQ(menu.flags, static_cast<UINT>(TPM_RIGHTBUTTON));
  EXPECT_EQ(menu.owner, pWnd->m_hWnd);
  POINT expected{20, 30};
  ClientToScreen(pWnd->m_hWnd, &expected);
  EXPECT_EQ(menu.point.x, expected.x);
  EXPECT_EQ(menu.point.y, expected.y);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(MenuTest, LongNamesAndExtensionsAreCutToTheirBuffers) {
  CImgVuWnd* pWnd = Opened(Path(std::string(300, 'b') + ".verylongext"));
  RightClick(pWnd, 5, 5);
  std::string text = ItemTexts().at(0);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.rfind("View this Image (bbbb", 0), 0u);

  CImgVuWnd* pShort = Opened(Path("a.verylongext"));
  RightClick(pShort, 5, 5);
  EXPECT_EQ(m_person.menuQuestions.at(1).items.at(0).text, "View this Image (a.verylo)");
}

TEST_F(MenuTest, ThreeHundredCharacterNameWithTwentyCharacterExtensionFitsEveryCommand) {
  const std::string base(300, 'b');
  const std::string extension = ".abcdefghijklmnopqrs";
  // No file system keeps such a name, so a loaded image takes it afterwards.
  std::string loaded = Path("loaded.tif");
  WriteRgbTiff(loaded, 4, 2, WherePixel);
  CImgVuWnd* pWnd = Opened(loaded);
  CImgVuDoc* pDoc = pWnd->m_pInstance->document;
  pDoc->m_strFileName = ("C:\\CACHE\\" + base + extension).c_str();
  std::vector<platform::PrintJobRecord> jobs;
  platform::SetPrintJobListener([&](const platform::PrintJobRecord& job) { jobs.push_back(job); });
  m_person.printAnswer = platform::PrintAnswer{};
  m_person.menuAnswer = ID_PRINT_IMAGE;
  RightClick(pWnd, 5, 5);
  platform::SetPrintJobListener({});
  m_person.menuAnswer = ID_SAVE_AS;
  RightClick(pWnd, 5, 5);

  EXPECT_EQ(ItemTexts().at(0), "View this Image (" + base.substr(0, 238));
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].documentName, base.substr(0, 83));
  ASSERT_EQ(m_person.fileQuestions.size(), 1u);
  EXPECT_EQ(m_person.fileQuestions[0].fileName, base.substr(0, 255));

  pDoc->m_strFileName = ("C:\\CACHE\\a" + extension).c_str();
  m_person.menuAnswer = ID_PRINT_IMAGE;
  platform::SetPrintJobListener([&](const platform::PrintJobRecord& job) { jobs.push_back(job); });
  RightClick(pWnd, 5, 5);
  platform::SetPrintJobListener({});
  EXPECT_EQ(m_person.menuQuestions.back().items.at(0).text, "View this Image (a.abcdef)");
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].documentName, "a.abcdef");
}

TEST_F(MenuTest, NoDocumentNoMenu) {
  CImgVuWnd* pWnd = NewWindow(nullptr, 50, 50);
  RightClick(pWnd, 5, 5);
  EXPECT_TRUE(m_person.menuQuestions.empty());
}

TEST_F(MenuTest, ViewThisImageRunsTheWholeLoadAgain) {
  std::string path = Path("again.tif");
  WriteRgbTiff(path, 20, 10, WherePixel);
  CImgVuWnd* pWnd = Opened(path);
  CImgVuDoc* pDoc = pWnd->m_pInstance->document;
  WriteRgbTiff(path, 30, 12, WherePixel);  // the file changed since
  g_bEmbeddedProfile = 1;
  m_person.menuAnswer = ID_VIEW_IMAGE;
  RightClick(pWnd, 5, 5);
  EXPECT_EQ(g_bEmbeddedProfile, 0);
  EXPECT_EQ(pDoc->m_pDIB->Width(), 30);
  EXPECT_EQ(g_pCurrentWnd, pWnd);
  EXPECT_EQ(PixelAt(pWnd, 25, 11), ToPixel(WherePixel(25, 11)));
}

TEST_F(MenuTest, ViewThisImageAfterAFailedLoadFailsTheSameWay) {
  WriteBytes(Path("broken.jpg"), Bytes{0xFF, 0xD8, 0xFF});
  CImgVuWnd* pWnd = Opened(Path("broken.jpg"));
  std::vector<std::string> first = MessageTexts();
  ASSERT_FALSE(first.empty());
  m_person.messages.clear();
  m_person.menuAnswer = ID_VIEW_IMAGE;
  RightClick(pWnd, 5, 5);
  EXPECT_EQ(MessageTexts(), first);
  EXPECT_EQ(pWnd->m_pInstance->document->m_pDIB, nullptr);
}

TEST_F(MenuTest, SaveAsCopiesTheDeliveredFileUnderTheChosenName) {
  std::string path = Path("M0A1B2C3.JPG");
  WriteBytes(path, EncodeJpeg(16, 8, WherePixel));
  CImgVuWnd* pWnd = Opened(path);
  fs::create_directories(Path("saved"));
  WriteBytes(Path("saved/copy.jpg"), Bytes{'o', 'l', 'd'});
  m_person.fileAnswer = Path("saved/copy.jpg");
  m_person.menuAnswer = ID_SAVE_AS;
  RightClick(pWnd, 5, 5);
  ASSERT_EQ(m_person.fileQuestions.size(), 1u);
  const platform::FileQuestion& question = m_person.fileQuestions[0];
  EXPECT_TRUE(question.save);
  EXPECT_EQ(question.fileName, "M0A1B2C3");
  EXPECT_EQ(question.defaultExtension, "JPG");
  EXPECT_EQ(question.filter, "JPEG (*.JPG)|*.JPG||");
  EXPECT_EQ(question.flags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
            static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
  // The dialog asked before replacing the old file; the plug-in said nothing.
  EXPECT_EQ(ReadBytes(Path("saved/copy.jpg")), ReadBytes(path));
  ASSERT_EQ(m_person.messages.size(), 1u);
  EXPECT_NE(m_person.messages[0].caption, "Plug-in");
}

TEST_F(MenuTest, SaveAsOfATiffOffersTheTiffFilter) {
  std::string path = Path("scan.tif");
  WriteRgbTiff(path, 4, 4, WherePixel);
  CImgVuWnd* pWnd = Opened(path);
  m_person.menuAnswer = ID_SAVE_AS;
  RightClick(pWnd, 5, 5);  // cancelled: nothing copied
  ASSERT_EQ(m_person.fileQuestions.size(), 1u);
  EXPECT_EQ(m_person.fileQuestions[0].fileName, "scan");
  EXPECT_EQ(m_person.fileQuestions[0].defaultExtension, "TIF");
  EXPECT_EQ(m_person.fileQuestions[0].filter, "TIFF (*.TIF)|*.TIF||");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_scratch.path()), fs::directory_iterator()), 3);
}

TEST_F(MenuTest, PrintFromTheMenuPrintsAJobNamedAfterTheFile) {
  std::string path = Path("M0A1B2C3.JPG");
  WriteBytes(path, EncodeJpeg(16, 8, WherePixel));
  CImgVuWnd* pWnd = Opened(path);
  std::vector<platform::PrintJobRecord> jobs;
  platform::SetPrintJobListener([&](const platform::PrintJobRecord& job) { jobs.push_back(job); });
  m_person.printAnswer = platform::PrintAnswer{};
  m_person.menuAnswer = ID_PRINT_IMAGE;
  RightClick(pWnd, 5, 5);
  platform::SetPrintJobListener({});
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].documentName, "M0A1B2C3.JPG");
  EXPECT_EQ(jobs[0].pages.size(), 1u);
}

TEST_F(MenuTest, AboutAsksTheEnginesDialogLibrary) {
  CImgVuWnd* pWnd = Opened(Path("none.jpg"));
  m_person.messages.clear();
  m_person.menuAnswer = ID_ABOUT;
  RightClick(pWnd, 5, 5);
  // The dialog library shows its About box as a message box of its own.
  ASSERT_EQ(m_person.messages.size(), 1u);
  EXPECT_EQ(m_person.messages[0].caption, "About ZIRN");
}

TEST_F(MenuTest, LeftClickOpensNoMenu) {
  CImgVuWnd* pWnd = Opened(Path("none.jpg"));
  SendMessageA(pWnd->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(m_person.menuQuestions.empty());
}

}  // namespace
}  // namespace viewertest
