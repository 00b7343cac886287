// The print command: the dialog's question, one page a copy with the whole image,
// the job's name, and the messages when the printer fails.
#include "viewer_fixture.h"

#include <platform/printer.h>
#include <platform/testing.h>

#include <optional>

#include "viewer/ImgVuDoc.h"
#include "viewer/ImgVuWnd.h"

namespace viewertest {
namespace {

class PrintTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    platform::SetPrintJobListener(
        [this](const platform::PrintJobRecord& job) { m_jobs.push_back(job); });
  }
  void TearDown() override {
    platform::SetPrintJobListener({});
    platform::faults::FailNthStartPage(0);
    platform::faults::FailNthEndPage(0);
    ViewerTest::TearDown();
  }

  // A window showing a 130 x 65 image loaded from the file name given.
  CImgVuWnd* Loaded(const std::string& name = "M0A1B2C3.TIF") {
    std::string path = Path(name);
    WriteRgbTiff(path, 130, 65, WherePixel);
    CImgVuDoc* pDoc = NewDocument();
    CImgVuWnd* pWnd = NewWindow(pDoc, 100, 100);
    EXPECT_EQ(pDoc->Open(pWnd, path.c_str()), 1);
    return pWnd;
  }
  void Answer(int nCopies) {
    platform::PrintAnswer answer;
    answer.printer.dpi = 130;  // 2 x 1 inches of image: 260 x 130 device pixels
    answer.copies = static_cast<WORD>(nCopies);
    m_person.printAnswer = answer;
  }

  std::vector<platform::PrintJobRecord> m_jobs;
};

TEST_F(PrintTest, EachCopyIsOnePageWithTheWholeImageCentred) {
  CImgVuWnd* pWnd = Loaded();
  Answer(3);
  size_t nGdiObjects = platform::testing::LiveGdiObjects();
  pWnd->OnPrint();
  EXPECT_EQ(platform::testing::LiveGdiObjects(), nGdiObjects);  // the printer context went
  ASSERT_EQ(m_person.printQuestions.size(), 1u);
  EXPECT_EQ(m_person.printQuestions[0].flags, 0x14000Cu);
  ASSERT_EQ(m_jobs.size(), 1u);
  EXPECT_EQ(m_jobs[0].documentName, "M0A1B2C3.TIF");
  EXPECT_TRUE(m_jobs[0].ended);
  ASSERT_EQ(m_jobs[0].pages.size(), 3u);
  for (const platform::PrintedPage& page : m_jobs[0].pages) {
    ASSERT_EQ(page.images.size(), 1u);
    // An 8.5 x 11 inch page at 130 dpi is 1105 x 1430.
    const RECT& r = page.images[0].destination;
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 130);
    EXPECT_EQ(r.left, (1105 - 260) / 2);
    EXPECT_EQ(r.top, (1430 - 130) / 2);
  }
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(PrintTest, CancelledDialogPrintsNothing) {
  CImgVuWnd* pWnd = Loaded();
  pWnd->OnPrint();
  EXPECT_EQ(m_person.printQuestions.size(), 1u);
  EXPECT_TRUE(m_jobs.empty());
  EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(PrintTest, PageThatCannotBeEndedStopsTheCopies) {
  CImgVuWnd* pWnd = Loaded();
  Answer(3);
  platform::faults::FailNthEndPage(2);
  pWnd->OnPrint();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Error occurs in Printing"});
  ASSERT_EQ(m_jobs.size(), 1u);
  EXPECT_EQ(m_jobs[0].pages.size(), 1u);
  EXPECT_TRUE(m_jobs[0].ended);
}

TEST_F(PrintTest, PageThatCannotBeStartedAbandonsTheJobUndrawn) {
  CImgVuWnd* pWnd = Loaded();
  Answer(3);
  platform::faults::FailNthStartPage(2);
  size_t nGdiObjects = platform::testing::LiveGdiObjects();
  pWnd->OnPrint();
  EXPECT_EQ(platform::testing::LiveGdiObjects(), nGdiObjects);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Error occurs in Printing"});
  ASSERT_EQ(m_jobs.size(), 1u);
  EXPECT_TRUE(m_jobs[0].aborted);
  EXPECT_FALSE(m_jobs[0].ended);
  EXPECT_EQ(m_jobs[0].pages.size(), 1u);
}

TEST_F(PrintTest, LongFileNamesAreCutToTheJobNameBuffer) {
  std::string name = std::string(100, 'n') + ".tif";
  CImgVuWnd* pWnd = Loaded(name);
  Answer(1);
  pWnd->OnPrint();
  ASSERT_EQ(m_jobs.size(), 1u);
  EXPECT_EQ(m_jobs[0].documentName, std::string(83, 'n'));
}

TEST_F(PrintTest, NothingIsAskedWithoutAnImage) {
  WriteBytes(Path("broken.tif"), Bytes{'I', 'I', 43, 0});
  CImgVuDoc* pDoc = NewDocument();
  CImgVuWnd* pWnd = NewWindow(pDoc, 100, 100);
  EXPECT_EQ(pDoc->Open(pWnd, Path("broken.tif").c_str()), 0);
  m_person.messages.clear();
  Answer(1);
  pWnd->OnPrint();
  pWnd->m_pInstance = nullptr;
  pWnd->OnPrint();
  EXPECT_TRUE(m_person.printQuestions.empty());
  EXPECT_TRUE(m_jobs.empty());
  EXPECT_TRUE(m_person.messages.empty());
}

}  // namespace
}  // namespace viewertest
