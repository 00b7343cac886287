#include <afx.h>

#include <gtest/gtest.h>

namespace {

int g_destroyed = 0;

class CCountedException : public CException {
 public:
  virtual ~CCountedException() { ++g_destroyed; }
};

TEST(CExceptionTest, DeleteFreesHeapObjectsOnly) {
  g_destroyed = 0;
  CCountedException* heap = new CCountedException;
  heap->Delete();
  EXPECT_EQ(g_destroyed, 1);
  {
    CCountedException onStack;
    onStack.Delete();
    EXPECT_EQ(g_destroyed, 1);
  }
  EXPECT_EQ(g_destroyed, 2);
  static CCountedException inStaticStorage;
  inStaticStorage.Delete();
  EXPECT_EQ(g_destroyed, 2);
}

TEST(CExceptionTest, FileExceptionsCarryCauseErrorAndName) {
  try {
    AfxThrowFileException(CFileException::sharingViolation, ERROR_SHARING_VIOLATION, "C:\\x.jpg");
    FAIL() << "nothing thrown";
  } catch (CException* e) {
    ASSERT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
    auto* file = static_cast<CFileException*>(e);
    EXPECT_EQ(file->m_cause, CFileException::sharingViolation);
    EXPECT_EQ(file->m_lOsError, ERROR_SHARING_VIOLATION);
    EXPECT_STREQ(file->m_strFileName, "C:\\x.jpg");
    e->Delete();
  }
  try {
    CFileException::ThrowOsError(ERROR_FILE_NOT_FOUND, "missing");
    FAIL() << "nothing thrown";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
}

TEST(CExceptionTest, MemoryExceptionIsOneStaticObject) {
  CException* first = nullptr;
  CException* second = nullptr;
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    first = e;
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CMemoryException)));
    e->Delete();
  }
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    second = e;
    e->Delete();
  }
  EXPECT_EQ(first, second);
}

TEST(CExceptionTest, OsErrorsMapToCauses) {
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_PATH_NOT_FOUND), CFileException::badPath);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_ACCESS_DENIED), CFileException::accessDenied);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_ALREADY_EXISTS), CFileException::accessDenied);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_NEGATIVE_SEEK), CFileException::badSeek);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), CFileException::diskFull);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION),
            CFileException::sharingViolation);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_TOO_MANY_OPEN_FILES),
            CFileException::tooManyOpenFiles);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_SUCCESS), CFileException::none);
  EXPECT_EQ(CFileException::OsErrorToException(99999), CFileException::generic);
}

}  // namespace
