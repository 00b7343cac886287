// The document: what its construction resets, the extension dispatch, the one file
// name it keeps, loading before the window exists, and the shared engine binding.
#include "viewer_fixture.h"

#include <string>

#include "bitmap/Dib.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"
#include "viewer/ModuleState.h"

namespace viewertest {
namespace {

class DocumentTest : public ViewerTest {
 protected:
  // A 40 x 30 JPEG and a 20 x 10 TIFF under the names given, in the scratch folder.
  std::string Jpeg(const std::string& name) {
    std::string path = Path(name);
    WriteBytes(path, EncodeJpeg(40, 30, WherePixel));
    return path;
  }
  std::string Tiff(const std::string& name, int nWidth = 20, int nHeight = 10) {
    std::string path = Path(name);
    WriteRgbTiff(path, nWidth, nHeight, WherePixel);
    return path;
  }
};

TEST_F(DocumentTest, ConstructionResetsTheStateTheReadersShare) {
  g_bEmbeddedProfile = 1;
  g_nProfilePaths = 3;
  g_strProfilePaths[2] = "C:\\old.icm";
  g_pCurrentWnd = reinterpret_cast<CImgVuWnd*>(&m_person);
  CImgVuDoc* pDoc = NewDocument();
  EXPECT_EQ(g_pCurrentWnd, nullptr);
  EXPECT_EQ(g_bEmbeddedProfile, 0);
  EXPECT_EQ(g_nProfilePaths, 0);
  for (const CString& strPath : g_strProfilePaths) EXPECT_TRUE(strPath.IsEmpty());
  EXPECT_EQ(std::string(g_strWindowsDir), WindowsDir() + "\\");
  EXPECT_TRUE(pDoc->m_strFileName.IsEmpty());
  EXPECT_EQ(pDoc->m_pDIB, nullptr);
  EXPECT_EQ(pDoc->m_pTIFF, nullptr);
  EXPECT_EQ(pDoc->m_pJPG, nullptr);
  EXPECT_EQ(pDoc->m_pImagePalette, nullptr);
}

TEST_F(DocumentTest, WindowsDirectoryThatDoesNotFitIsLeftEmpty) {
  std::string longDir = Path(std::string(260, 'w'));
  testsupport::ScopedEnv windir("WINDIR", longDir);
  NewDocument();
  EXPECT_TRUE(g_strWindowsDir.IsEmpty()) << std::string(g_strWindowsDir);
}

TEST_F(DocumentTest, ExtensionDecidesTheReaderInAnyLetterCase) {
  CImgVuDoc* pJpeg = NewDocument();
  EXPECT_EQ(pJpeg->Open(nullptr, Jpeg("picture.JpG").c_str()), 1);
  EXPECT_EQ(pJpeg->m_nImageType, 0);
  ASSERT_NE(pJpeg->m_pJPG, nullptr);
  EXPECT_EQ(pJpeg->m_pDIB->Width(), 40);

  CImgVuDoc* pTiff = NewDocument();
  EXPECT_EQ(pTiff->Open(nullptr, Tiff("a.TIF").c_str()), 1);
  EXPECT_EQ(pTiff->m_nImageType, 1);
  ASSERT_NE(pTiff->m_pTIFF, nullptr);
  EXPECT_EQ(pTiff->m_pDIB->Width(), 20);
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(DocumentTest, OtherNamesLoadNothingAndSayNothing) {
  // Real images under names the dispatch does not take: the contents are not looked at.
  for (const char* name : {"picture.jpeg", "x.tiff", "picture.jpe", "picture.jpgx"}) {
    CImgVuDoc* pDoc = NewDocument();
    EXPECT_EQ(pDoc->Open(nullptr, Jpeg(name).c_str()), 0) << name;
    EXPECT_EQ(pDoc->m_pDIB, nullptr) << name;
    EXPECT_EQ(pDoc->m_pJPG, nullptr) << name;
    EXPECT_EQ(pDoc->m_pTIFF, nullptr) << name;
  }
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(DocumentTest, NameNeedsOneCharacterBeforeTheExtension) {
  testsupport::ScopedCwd cwd(m_scratch.path());
  Jpeg("x.jpg");
  Jpeg(".jpg");
  Jpeg("jpg");

  CImgVuDoc* pShortest = NewDocument();
  EXPECT_EQ(pShortest->Open(nullptr, "x.jpg"), 1);
  EXPECT_NE(pShortest->m_pDIB, nullptr);

  for (const char* name : {".jpg", "jpg", ""}) {
    CImgVuDoc* pDoc = NewDocument();
    EXPECT_EQ(pDoc->Open(nullptr, name), 0) << name;
    EXPECT_EQ(pDoc->m_pDIB, nullptr) << name;
  }
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(DocumentTest, SecondOpenWithAnotherNameReloadsTheFirstFile) {
  std::string first = Tiff("first.tif", 20, 10);
  std::string second = Tiff("second.tif", 7, 5);
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, first.c_str()), 1);
  // The first file changes: the second Open reads it again.
  WriteRgbTiff(first, 9, 8, WherePixel);
  ASSERT_EQ(pDoc->Open(nullptr, second.c_str()), 1);
  EXPECT_EQ(std::string(pDoc->m_strFileName), first);
  EXPECT_EQ(pDoc->m_pDIB->Width(), 9);
  EXPECT_EQ(pDoc->m_pDIB->Height(), 8);
}

TEST_F(DocumentTest, FileDeliveredBeforeTheWindowIsShownAtTheFirstPaint) {
  std::string path = Tiff("early.tif", 20, 10);
  CImgVuDoc* pDoc = NewDocument();
  EXPECT_EQ(pDoc->Open(nullptr, path.c_str()), 1);
  EXPECT_EQ(g_pCurrentWnd, nullptr);
  EXPECT_EQ(pDoc->m_bPaletteDisplay, 0);  // asked of the screen: 24 bits
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 24);
  EXPECT_EQ(pDoc->Show(nullptr), 0);

  CImgVuWnd* pWnd = NewWindow(pDoc, 100, 50);
  Repaint(pWnd);
  EXPECT_EQ(PixelAt(pWnd, 3, 2), ToPixel(WherePixel(3, 2)));
  EXPECT_EQ(PixelAt(pWnd, 19, 9), ToPixel(WherePixel(19, 9)));
  EXPECT_EQ(PixelAt(pWnd, 20, 9), 0xFFFFFFu);  // the browser's background beside it
}

TEST_F(DocumentTest, ScreenWithAColourTableIsAskedWithoutAWindowToo) {
  platform::SetScreen(1024, 768, 8);
  std::string path = Tiff("early.tif", 20, 10);
  CImgVuDoc* pDoc = NewDocument();
  ASSERT_EQ(pDoc->Open(nullptr, path.c_str()), 1);
  EXPECT_EQ(pDoc->m_bPaletteDisplay, 1);
  EXPECT_EQ(pDoc->m_pDIB->BitCount(), 8);
}

TEST_F(DocumentTest, OneEngineBindingServesEveryDocumentUntilTheLastGoes) {
  CImgVuDoc* pFirst = NewDocument();
  CColorEngine* pEngine = g_pColorEngine;
  ASSERT_NE(pEngine, nullptr);
  EXPECT_EQ(g_bEngineReady, 1);
  CImgVuDoc* pSecond = NewDocument();
  EXPECT_EQ(g_pColorEngine, pEngine);
  EXPECT_EQ(ColorEngineUsers(), 2);

  DeleteDocument(pFirst);
  EXPECT_EQ(g_pColorEngine, pEngine);  // the second one may still match

  // A document let go of is freed but keeps its use of the binding.
  CImgVuDoc* pThird = NewDocument();
  LetGoDocument(pThird);
  EXPECT_EQ(g_pColorEngine, pEngine);
  DeleteDocument(pSecond);
  EXPECT_EQ(g_pColorEngine, pEngine);
  EXPECT_EQ(ColorEngineUsers(), 1);
  ReleaseColorEngine();
  EXPECT_EQ(g_pColorEngine, nullptr);
  EXPECT_EQ(g_bEngineReady, 1);  // the flag keeps its value
}

TEST_F(DocumentTest, CurrentWindowIsClearedWhenItsWindowIsDeleted) {
  std::string path = Tiff("a.tif");
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pOther = NewWindow(pDoc, 50, 50);
  CImgVuWnd* pWnd = NewWindow(pDoc, 50, 50);
  ASSERT_EQ(pDoc->Open(pWnd, path.c_str()), 1);
  EXPECT_EQ(g_pCurrentWnd, pWnd);
  DeleteWindow(pOther);
  EXPECT_EQ(g_pCurrentWnd, pWnd);
  DeleteWindow(pWnd);
  EXPECT_EQ(g_pCurrentWnd, nullptr);
}

}  // namespace
}  // namespace viewertest
