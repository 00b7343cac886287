// Tag 34675: the profile saved into the Windows directory under the engine's name for
// it, the table of saved paths, and every failure on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../support/fake_engine.h"
#include "tiff_test_support.h"
#include "viewer/ModuleState.h"

namespace {

using testsupport::FakeEngine;
using tifftest::Bytes;
using tifftest::MessageRecorder;
namespace fs = std::filesystem;

const Bytes kProfile = {'p', 'r', 'o', 'f', 'i', 'l', 'e', 0, 1, 2, 3, 4, 5};

Bytes ImageWithProfile(const Bytes& profile = kProfile) {
  tifftest::TiffBuilder b;
  b.StripImage(2, 1, 3, 8, 2, 1, {Bytes{10, 20, 30, 40, 50, 60}});
  b.Raw(34675, 7, static_cast<uint32_t>(profile.size()), profile);
  return b.Build();
}

int ReadImage(const Bytes& file, CTIFF* pTIFF) {
  tifftest::TempFile temp(file);
  CFile f;
  EXPECT_TRUE(f.Open(temp.Path().c_str(), CFile::modeRead | CFile::shareDenyWrite));
  return pTIFF->Read(&f);
}

std::vector<std::string> Texts(const MessageRecorder& r) {
  std::vector<std::string> texts;
  for (const auto& m : r.messages) {
    EXPECT_EQ(m.caption, "Plug-in");
    texts.push_back(m.text);
  }
  return texts;
}

class ProfileTest : public ::testing::Test {
 protected:
  std::string Saved(const std::string& name) const { return m_engine.Dir() + "/" + name; }

  FakeEngine m_engine;
  MessageRecorder m_messages;
};

TEST(ProfileWithoutEngine, TagIsIgnoredAndNothingIsWritten) {
  MessageRecorder messages;
  g_bEngineReady = 0;
  g_bEmbeddedProfile = 0;
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_FALSE(g_bEmbeddedProfile);
  EXPECT_TRUE(tiff.m_strSourceProfile.IsEmpty());
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ProfileTest, SavedUnderTheCutNameAndRecorded) {
  m_engine.profileName = "sRGB IEC61966-2.1";
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  std::string path = m_engine.WindowsDir() + "sRGB IEC61966.icm";
  EXPECT_EQ(std::string(tiff.m_strSourceProfile), path);
  EXPECT_EQ(g_nProfilePaths, 1);
  EXPECT_EQ(std::string(g_strProfilePaths[0]), path);
  EXPECT_TRUE(g_bEmbeddedProfile);
  EXPECT_EQ(tifftest::ReadWholeFile(Saved("sRGB IEC61966.icm")), kProfile);
  EXPECT_FALSE(fs::exists(Saved("ppp.icm")));
  ASSERT_EQ(m_engine.calls.size(), 1u);
  EXPECT_EQ(m_engine.calls[0], "GetProfileName " + m_engine.WindowsDir() + "ppp.icm");
  EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(ProfileTest, LaterImagesAppendAndAFullTableIsNotWrittenPast) {
  for (int i = 0; i < 12; ++i) {
    m_engine.profileName = "Profile " + std::to_string(i);
    CTIFF tiff;
    ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
    // Each image matches with its own profile, also once the table is full.
    EXPECT_EQ(std::string(tiff.m_strSourceProfile),
              m_engine.WindowsDir() + m_engine.profileName + ".icm");
  }
  EXPECT_EQ(g_nProfilePaths, kMaxProfilePaths);
  EXPECT_EQ(std::string(g_strProfilePaths[9]), m_engine.WindowsDir() + "Profile 9.icm");
  EXPECT_TRUE(fs::exists(Saved("Profile 11.icm")));
}

TEST_F(ProfileTest, ExistingFileOfThatNameIsReplaced) {
  std::ofstream(Saved("Test Profile.icm")) << "an older profile";
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_EQ(tifftest::ReadWholeFile(Saved("Test Profile.icm")), kProfile);
}

TEST_F(ProfileTest, WindowsDirectoryWithAFullStopIsNotCut) {
  fs::create_directories(m_engine.Dir() + "/.local.dir");
  g_strWindowsDir = (m_engine.Dir() + "/.local.dir\\").c_str();
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_TRUE(fs::exists(m_engine.Dir() + "/.local.dir/Test Profile.icm"));
}

TEST_F(ProfileTest, NamesThatWouldLeaveTheDirectoryAreCutOrRefused) {
  m_engine.profileName = "evil/../../x";
  {
    CTIFF tiff;  // holds the profile lock until it converts or goes
    ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
    EXPECT_TRUE(fs::exists(Saved("evil.icm")));
  }

  m_engine.profileName = "../../x";
  CTIFF refused;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &refused), 0);
  EXPECT_TRUE(refused.m_strSourceProfile.IsEmpty());
  EXPECT_EQ(g_nProfilePaths, 1);
  EXPECT_FALSE(fs::exists(Saved("ppp.icm")));
  EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(ProfileTest, UnnamedProfileIsNotKept) {
  m_engine.nProfileNameResult = 0;
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_EQ(Texts(m_messages), std::vector<std::string>{"Failed in GetProfileName"});
  EXPECT_FALSE(g_bEmbeddedProfile);
  EXPECT_EQ(g_nProfilePaths, 0);
  EXPECT_FALSE(fs::exists(Saved("ppp.icm")));
  // Only the profile lock's file is left.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_engine.Dir()), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::exists(Saved("icm.lck")));
}

TEST_F(ProfileTest, TemporaryFileThatCannotBeCreated) {
  g_strWindowsDir = (m_engine.Dir() + "/missing\\").c_str();
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_EQ(Texts(m_messages), std::vector<std::string>{"Failed in OpenFile"});
  EXPECT_FALSE(g_bEmbeddedProfile);
  EXPECT_TRUE(m_engine.calls.empty());
}

TEST_F(ProfileTest, FailedRenameIsReportedAndReadingGoesOn) {
  // A directory in the way of the final name can be neither replaced nor deleted.
  fs::create_directories(Saved("Test Profile.icm"));
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_EQ(Texts(m_messages), std::vector<std::string>{"Failed in Reading ICC profile"});
  EXPECT_FALSE(g_bEmbeddedProfile);
  EXPECT_EQ(tiff.m_lImageWidth, 2);
}

TEST_F(ProfileTest, PathsLongerThan255BytesAreRefused) {
  m_engine.profileName = std::string(300, 'n');
  CTIFF tiff;
  ASSERT_EQ(ReadImage(ImageWithProfile(), &tiff), 0);
  EXPECT_FALSE(g_bEmbeddedProfile);
  EXPECT_FALSE(fs::exists(Saved("ppp.icm")));
}

}  // namespace
