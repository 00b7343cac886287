#include "color/ColorEngine.h"
#include "viewer/ImgVuError.h"
#include "viewer/ModuleState.h"

#include "tests/support/message_recorder.h"

#include <platform/person.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ModuleStateTest, EverythingIsEmptyBeforeTheFirstDocument) {
  EXPECT_EQ(g_pCurrentWnd, nullptr);
  EXPECT_EQ(g_pColorEngine, nullptr);
  EXPECT_EQ(g_bEngineReady, 0);
  EXPECT_EQ(g_bEmbeddedProfile, 0);
  EXPECT_EQ(g_nProfilePaths, 0);
  EXPECT_TRUE(g_strWindowsDir.IsEmpty());
  for (const CString& path : g_strProfilePaths) EXPECT_TRUE(path.IsEmpty());
}

TEST(ModuleStateTest, ProfileTableNeverGrowsPastTenEntries) {
  g_nProfilePaths = 0;
  for (int i = 0; i < kMaxProfilePaths; ++i) {
    CString path;
    path.Format("C:\\WINDOWS\\profile%d.icm", i);
    EXPECT_TRUE(AppendProfilePath(path));
  }
  EXPECT_FALSE(AppendProfilePath("C:\\WINDOWS\\eleventh.icm"));
  EXPECT_EQ(g_nProfilePaths, kMaxProfilePaths);
  EXPECT_EQ(g_strProfilePaths[0], CString("C:\\WINDOWS\\profile0.icm"));
  EXPECT_EQ(g_strProfilePaths[9], CString("C:\\WINDOWS\\profile9.icm"));

  // A corrupted count is refused too rather than used as an index.
  g_nProfilePaths = -1;
  EXPECT_FALSE(AppendProfilePath("x"));

  SetSourceProfilePath("C:\\WINDOWS\\sRGB.icm");
  EXPECT_EQ(g_nProfilePaths, 1);
  EXPECT_EQ(g_strProfilePaths[0], CString("C:\\WINDOWS\\sRGB.icm"));
  for (CString& path : g_strProfilePaths) path.Empty();
  g_nProfilePaths = 0;
}

TEST(ModuleStateTest, MessagesUseThePluginCaptionAndNoOwner) {
  testsupport::MessageRecorder person;
  platform::Person* previous = platform::SetPerson(&person);
  PluginMessageBox("Failed in converting to DIB file");
  PluginMessageBox("advice", MB_ICONEXCLAMATION);
  platform::SetPerson(previous);
  ASSERT_EQ(person.messages.size(), 2u);
  EXPECT_EQ(person.messages[0].caption, "Plug-in");
  EXPECT_EQ(person.messages[0].text, "Failed in converting to DIB file");
  EXPECT_EQ(person.messages[0].style, 0u);
  EXPECT_EQ(person.messages[1].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
}

TEST(ImgVuErrorTest, CheckPointerRaisesOutOfMemoryForNull) {
  int value = 0;
  EXPECT_EQ(CheckPointer(&value), &value);
  try {
    CheckPointer(static_cast<int*>(nullptr));
    FAIL() << "no exception";
  } catch (CException* e) {
    auto* error = dynamic_cast<CImgVuError*>(e);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->m_nError, -108);
    EXPECT_EQ(error->m_lErrorId, 0);
    e->Delete();
  }
}

TEST(ImgVuErrorTest, CheckStatusLooksAtTheLowSixteenBitsOnly) {
  EXPECT_EQ(CheckStatus(0), 0);
  EXPECT_EQ(CheckStatus(0x30000), 0x30000);
  try {
    CheckStatus(0x10014);
    FAIL() << "no exception";
  } catch (CImgVuError* e) {
    EXPECT_EQ(e->m_nError, 20);
    EXPECT_EQ(e->m_lErrorId, 0);
    e->Delete();
  }
  try {
    CheckStatus(-1);
    FAIL() << "no exception";
  } catch (CImgVuError* e) {
    EXPECT_EQ(e->m_nError, -1);
    e->Delete();
  }
}

TEST(ImgVuErrorTest, RaiseCarriesCodeAndIdentifier) {
  try {
    RaiseImgVuError(42, 0x10013);
  } catch (CException* e) {
    auto* error = dynamic_cast<CImgVuError*>(e);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->m_nError, 42);
    EXPECT_EQ(error->m_lErrorId, 0x10013);
    e->Delete();
  }
}

}  // namespace

namespace {

TEST(ModuleStateTest, EngineBindingLivesWhileAnyDocumentMayMatch) {
  AcquireColorEngine();
  CColorEngine* pFirst = g_pColorEngine;
  ASSERT_NE(pFirst, nullptr);
  int bReady = g_bEngineReady;
  AcquireColorEngine();
  EXPECT_EQ(g_pColorEngine, pFirst);  // one binding per module, shared
  EXPECT_EQ(ColorEngineUsers(), 2);

  ReleaseColorEngine();
  EXPECT_EQ(g_pColorEngine, pFirst);  // the other document may still match
  RetainColorEngine();                // a document let go of keeps its use
  ReleaseColorEngine();
  EXPECT_EQ(g_pColorEngine, pFirst);
  ReleaseColorEngine();
  EXPECT_EQ(g_pColorEngine, nullptr);
  EXPECT_EQ(g_bEngineReady, bReady);  // the flag keeps its value
  ReleaseColorEngine();               // one too many changes nothing
  EXPECT_EQ(ColorEngineUsers(), 0);
  g_bEngineReady = 0;
}

}  // namespace
