// The framework's CFileDialog over the comdlg32 stand-in: what it hands the person,
// and what it gives back.
#include <afxdlgs.h>
#include <gtest/gtest.h>

#include <string>

#include "../support/answering_person.h"

namespace {

using testsupport::AnsweringPerson;

TEST(CFileDialogTest, AsksWithTheFilterTheNameAndExactlyTheFlagsGiven) {
  AnsweringPerson person;
  person.fileAnswers = {"/tmp/out/M0A1B2C3"};
  // Temporaries: the dialog keeps its own copies.
  CFileDialog dialog(FALSE, std::string("JPG").c_str(), std::string("M0A1B2C3").c_str(),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     std::string("JPEG (*.JPG)|*.JPG||").c_str());
  EXPECT_EQ(dialog.GetPathName(), CString("M0A1B2C3"));
  ASSERT_EQ(dialog.DoModal(), IDOK);

  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_TRUE(person.files[0].save);
  EXPECT_EQ(person.files[0].filter, "JPEG (*.JPG)|*.JPG||");
  EXPECT_EQ(person.files[0].defaultExtension, "JPG");
  EXPECT_EQ(person.files[0].fileName, "M0A1B2C3");
  EXPECT_EQ(person.files[0].flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

  EXPECT_STREQ(dialog.GetPathName(), "/tmp/out/M0A1B2C3.JPG");
  EXPECT_STREQ(dialog.GetFileName(), "M0A1B2C3.JPG");
  EXPECT_STREQ(dialog.GetFileExt(), "JPG");
  EXPECT_STREQ(dialog.GetFileTitle(), "M0A1B2C3");
}

TEST(CFileDialogTest, CancelIsIdCancelAndAFilterWithoutItsBarsStillEnds) {
  AnsweringPerson person;
  CFileDialog dialog(TRUE, nullptr, nullptr, 0, "TIFF (*.TIF)|*.TIF");
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_FALSE(person.files[0].save);
  EXPECT_EQ(person.files[0].filter, "TIFF (*.TIF)|*.TIF||");
  EXPECT_EQ(person.files[0].defaultExtension, "");
}

TEST(CFileDialogTest, AProposedNameLongerThanAPathIsCut) {
  AnsweringPerson person;
  const std::string longName(400, 'n');
  CFileDialog dialog(FALSE, "JPG", longName.c_str());
  dialog.DoModal();
  ASSERT_EQ(person.files.size(), 1u);
  EXPECT_EQ(person.files[0].fileName, std::string(_MAX_PATH - 1, 'n'));
}

}  // namespace
