// The common dialogs: what the person is asked, how the answer fills the record,
// the checks the dialogs make before they close, and the printer they return.
#include <commdlg.h>
#include <gtest/gtest.h>
#include <platform/printer.h>
#include <platform/surface.h>
#include <windows.h>

#include <cstring>

#include "../support/answering_person.h"
#include "../support/scratchdir.h"

namespace {

using testsupport::AnsweringPerson;
using testsupport::Printer;

class FileDialogTest : public ::testing::Test {
 protected:
  FileDialogTest() {
    std::strcpy(m_file, "M0A1B2C3");
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFilter = "JPEG (*.JPG)\0*.JPG\0All (*.*)\0*.*\0";
    m_ofn.lpstrFile = m_file;
    m_ofn.nMaxFile = sizeof m_file;
    m_ofn.lpstrFileTitle = m_title;
    m_ofn.nMaxFileTitle = sizeof m_title;
    m_ofn.lpstrDefExt = "JPG";
    m_ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  }

  AnsweringPerson m_person;
  testsupport::ScratchDir m_dir;
  char m_file[MAX_PATH] = {};
  char m_title[64] = {};
  OPENFILENAMEA m_ofn{};
};

TEST_F(FileDialogTest, TheQuestionCarriesTheRecordAndTheAnswerFillsIt) {
  const std::string path = m_dir / "copy.jpg";
  m_person.fileAnswers = {path};
  ASSERT_TRUE(GetSaveFileNameA(&m_ofn));

  ASSERT_EQ(m_person.files.size(), 1u);
  const platform::FileQuestion& question = m_person.files[0];
  EXPECT_TRUE(question.save);
  EXPECT_EQ(question.fileName, "M0A1B2C3");
  EXPECT_EQ(question.defaultExtension, "JPG");
  EXPECT_EQ(question.filter, "JPEG (*.JPG)|*.JPG|All (*.*)|*.*||");
  EXPECT_EQ(question.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

  EXPECT_EQ(std::string(m_file), path);
  EXPECT_EQ(std::string(m_file + m_ofn.nFileOffset), "copy.jpg");
  EXPECT_EQ(std::string(m_file + m_ofn.nFileExtension), "jpg");
  EXPECT_EQ(std::string(m_title), "copy.jpg");
  // jpg is JPG in another letter case, not another extension.
  EXPECT_EQ(m_ofn.Flags & OFN_EXTENSIONDIFFERENT, 0u);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialogTest, TheDefaultExtensionCompletesANameTypedWithoutOne) {
  m_person.fileAnswers = {m_dir / "plain", m_dir / "other.png", m_dir / "dotted."};
  ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(std::string(m_file), m_dir / "plain.JPG");

  ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(std::string(m_file), m_dir / "other.png");
  EXPECT_NE(m_ofn.Flags & OFN_EXTENSIONDIFFERENT, 0u);

  // A name ending in a dot has an (empty) extension already.
  ASSERT_TRUE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(std::string(m_file), m_dir / "dotted.");
  EXPECT_EQ(m_ofn.nFileExtension, 0);
}

TEST_F(FileDialogTest, CancellingLeavesTheRecordAlone) {
  m_person.fileAnswers = {std::nullopt, std::string()};
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));  // an empty answer is no answer
  EXPECT_STREQ(m_file, "M0A1B2C3");
}

TEST_F(FileDialogTest, AnExistingFileIsReplacedOnlyWhenThePersonSaysYes) {
  const std::string path = m_dir.Write("exists.jpg");
  m_person.fileAnswers = {path, path};
  m_person.boxAnswer = IDNO;
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
  ASSERT_EQ(m_person.boxes.size(), 1u);
  EXPECT_EQ(m_person.boxes[0].caption, "Save As");
  EXPECT_EQ(m_person.boxes[0].text, path + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(m_person.boxes[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONEXCLAMATION));

  m_person.boxAnswer = IDYES;
  EXPECT_TRUE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(std::string(m_file), path);

  // Without the flag nobody is asked.
  m_ofn.Flags = OFN_HIDEREADONLY;
  m_person.fileAnswers = {path};
  EXPECT_TRUE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(m_person.boxes.size(), 2u);
}

TEST_F(FileDialogTest, APathInAMissingDirectoryIsRefusedWhenItMustExist) {
  m_ofn.Flags |= OFN_PATHMUSTEXIST;
  m_person.fileAnswers = {m_dir / "missing/copy.jpg"};
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
  ASSERT_EQ(m_person.boxes.size(), 1u);
  EXPECT_NE(m_person.boxes[0].text.find("Path does not exist."), std::string::npos);
  EXPECT_STREQ(m_file, "M0A1B2C3");
}

TEST_F(FileDialogTest, AnOpenDialogRefusesAMissingFileWhenItMustExist) {
  m_ofn.Flags = OFN_FILEMUSTEXIST;
  const std::string there = m_dir.Write("there.jpg");
  m_person.fileAnswers = {m_dir / "absent.jpg", there};
  EXPECT_FALSE(GetOpenFileNameA(&m_ofn));
  ASSERT_EQ(m_person.boxes.size(), 1u);
  EXPECT_EQ(m_person.boxes[0].caption, "Open");
  EXPECT_TRUE(GetOpenFileNameA(&m_ofn));
  EXPECT_EQ(std::string(m_file), there);
  EXPECT_FALSE(m_person.files[0].save);
}

TEST_F(FileDialogTest, APathLongerThanTheBufferIsNotWritten) {
  char small[8] = "abc";
  m_ofn.lpstrFile = small;
  m_ofn.nMaxFile = sizeof small;
  m_person.fileAnswers = {"/tmp/much-too-long.jpg"};
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  WORD needed = 0;
  std::memcpy(&needed, small, sizeof needed);
  EXPECT_EQ(needed, std::strlen("/tmp/much-too-long.jpg") + 1);
  EXPECT_EQ(small[7], '\0');
}

TEST_F(FileDialogTest, ABadRecordFailsBeforeThePersonIsAsked) {
  OPENFILENAMEA wrong = m_ofn;
  wrong.lStructSize = sizeof(wrong) - 8;
  EXPECT_FALSE(GetSaveFileNameA(&wrong));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
  OPENFILENAMEA noBuffer = m_ofn;
  noBuffer.lpstrFile = nullptr;
  EXPECT_FALSE(GetSaveFileNameA(&noBuffer));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
  EXPECT_FALSE(GetSaveFileNameA(nullptr));
  EXPECT_TRUE(m_person.files.empty());
}

TEST_F(FileDialogTest, TheCallersStringsAreReadOnlyWithinTheirBounds) {
  // A proposed name that fills its buffer without a terminator.
  char unterminated[4] = {'A', 'B', 'C', 'D'};
  m_ofn.lpstrFile = unterminated;
  m_ofn.nMaxFile = sizeof unterminated;
  // A filter list that never ends with an empty string stops at the bound.
  std::string endless(100000, 'x');
  m_ofn.lpstrFilter = endless.c_str();
  EXPECT_FALSE(GetSaveFileNameA(&m_ofn));
  ASSERT_EQ(m_person.files.size(), 1u);
  EXPECT_EQ(m_person.files[0].fileName, "ABCD");
  EXPECT_LE(m_person.files[0].filter.size(), 65537u);
}

class PrintDialogTest : public ::testing::Test {
 protected:
  PrintDialogTest() {
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                 PD_NOSELECTION | PD_RETURNDC;
  }
  AnsweringPerson m_person;
  PRINTDLGA m_pd{};
};

TEST_F(PrintDialogTest, ThePersonsPrinterComesBackAsADeviceContext) {
  m_person.printerAnswers = {Printer(300, 3)};
  ASSERT_TRUE(PrintDlgA(&m_pd));
  ASSERT_EQ(m_person.printers.size(), 1u);
  // The flags the caller chose, without the kind of handle asked for.
  EXPECT_EQ(m_person.printers[0].flags, 0x14000Cu);
  EXPECT_EQ(m_person.printers[0].copies, 1);
  EXPECT_EQ(m_pd.nCopies, 3);
  ASSERT_NE(m_pd.hDC, nullptr);
  EXPECT_EQ(platform::GetDCKind(m_pd.hDC), platform::DCKind::Printer);
  EXPECT_EQ(GetDeviceCaps(m_pd.hDC, LOGPIXELSX), 300);
  EXPECT_EQ(GetDeviceCaps(m_pd.hDC, HORZRES), 2550);  // 8.5 inches
  EXPECT_EQ(GetDeviceCaps(m_pd.hDC, VERTRES), 3300);  // 11 inches
  EXPECT_TRUE(DeleteDC(m_pd.hDC));
}

TEST_F(PrintDialogTest, CancellingGivesNoPrinter) {
  EXPECT_FALSE(PrintDlgA(&m_pd));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(m_pd.hDC, nullptr);
}

TEST_F(PrintDialogTest, WithoutReturnDcOnlyTheCopiesComeBack) {
  m_pd.Flags &= ~static_cast<DWORD>(PD_RETURNDC);
  m_pd.nCopies = 2;
  m_person.printerAnswers = {Printer(600, 0)};
  EXPECT_TRUE(PrintDlgA(&m_pd));
  EXPECT_EQ(m_person.printers[0].copies, 2);
  EXPECT_EQ(m_pd.hDC, nullptr);
  EXPECT_EQ(m_pd.nCopies, 1);  // none chosen counts as one
}

TEST_F(PrintDialogTest, FailuresSayWhy) {
  m_person.printerAnswers = {Printer(0, 1)};
  EXPECT_FALSE(PrintDlgA(&m_pd));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_CREATEICFAILURE));
  EXPECT_EQ(m_pd.hDC, nullptr);

  PRINTDLGA noDefault = m_pd;
  noDefault.Flags |= PD_RETURNDEFAULT;
  EXPECT_FALSE(PrintDlgA(&noDefault));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_NODEFAULTPRN));

  PRINTDLGA wrong = m_pd;
  wrong.lStructSize = 20;
  EXPECT_FALSE(PrintDlgA(&wrong));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
  EXPECT_EQ(m_person.printers.size(), 1u);
}

TEST(DefaultPersonTest, NobodyAtTheScreenCancelsEveryDialog) {
  char file[MAX_PATH] = "name";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  PRINTDLGA pd{};
  pd.lStructSize = sizeof(pd);
  pd.Flags = PD_RETURNDC;
  EXPECT_FALSE(PrintDlgA(&pd));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

}  // namespace
