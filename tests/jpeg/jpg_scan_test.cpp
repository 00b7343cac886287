// The marker scan of CJPG::FindSourceProfile with an engine of test functions: both
// chunk layouts, the segments that end the scan, the names a profile is saved under,
// and hostile files.
#include "jpeg/Jpg.h"

#include "../support/fake_engine.h"
#include "jpg_support_test.h"
#include "viewer/ModuleState.h"

#include <mfc/file.h>

#include <filesystem>

namespace {

using jpgtest::App1Segment;
using jpgtest::App2Segment;
using jpgtest::BoxRecorder;
using jpgtest::Bytes;
using jpgtest::Ident;
using jpgtest::JpegWith;
using jpgtest::ProfileBytes;
using jpgtest::ReadBytes;
using testsupport::FakeEngine;

class JpgScanTest : public ::testing::Test {
 protected:
  // Scans the bytes as a file; the CJPG lives until the next scan or the test's end.
  void Scan(const Bytes& file) {
    std::string path = engine.File("image.jpg");
    jpegtest::WriteFile(path, file);
    jpg = std::make_unique<CJPG>();
    jpg->FindSourceProfile(path.c_str());
  }
  std::string Installed() const { return std::string(g_strProfilePaths[0]); }
  void ExpectNoProfile() {
    EXPECT_EQ(g_bEmbeddedProfile, 0);
    EXPECT_EQ(g_nProfilePaths, 0);
  }
  void ExpectProfile(const std::string& name, const Bytes& bytes) {
    EXPECT_EQ(g_bEmbeddedProfile, 1);
    EXPECT_EQ(g_nProfilePaths, 1);
    EXPECT_EQ(Installed(), engine.WindowsDir() + name);
    EXPECT_EQ(ReadBytes(engine.File(name)), bytes);
    EXPECT_FALSE(jpgtest::Exists(engine.File("jjj.icm")));  // moved, not copied
  }

  FakeEngine engine;
  BoxRecorder boxes;
  std::unique_ptr<CJPG> jpg;
};

TEST_F(JpgScanTest, PlainJpegHasNoProfileAndNoMessage) {
  Scan(jpegtest::EncodeJpeg({}));
  ExpectNoProfile();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_FALSE(jpgtest::Exists(engine.File("jjj.icm")));
}

TEST_F(JpgScanTest, ThreeApp1ChunksAreJoinedAndInstalled) {
  Bytes profile = ProfileBytes(3000);
  Bytes a(profile.begin(), profile.begin() + 1000),
      b(profile.begin() + 1000, profile.begin() + 2500), c(profile.begin() + 2500, profile.end());
  Scan(JpegWith({App1Segment(1, 3, a), App1Segment(2, 3, b), App1Segment(3, 3, c)}));
  ExpectProfile("Test Profile.icm", profile);
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_EQ(engine.calls.size(), 1u);
  EXPECT_EQ(engine.calls[0], "GetProfileName " + engine.WindowsDir() + "jjj.icm");
}

TEST_F(JpgScanTest, OneApp2ChunkIsInstalledAtOnceAndTheScanResumesAfterItsBytes) {
  Bytes profile = ProfileBytes(700);
  // A length field that disagrees with the byte count: the count decides.
  Scan(JpegWith({App2Segment(1, 1, profile, {}, 40)}));
  ExpectProfile("Test Profile.icm", profile);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgScanTest, LowerCaseIdentifierIsAccepted) {
  Bytes profile = ProfileBytes(64);
  Scan(JpegWith({App2Segment(1, 1, profile, Ident{std::string("jfxx\0", 5)})}));
  ExpectProfile("Test Profile.icm", profile);
}

TEST_F(JpgScanTest, SegmentsThatEndTheScan) {
  Bytes profile = ProfileBytes(64);
  Bytes good = App1Segment(1, 1, profile);
  struct Case {
    const char* what;
    Bytes before;
  } cases[] = {
      {"JFXX with a non-zero fifth byte", App1Segment(1, 1, profile, Ident{"JFXXX"})},
      {"JFXX with a non-zero fifth byte (APP2)",
       App2Segment(1, 1, profile, Ident{std::string("JFXX\1", 5)})},
      {"an Exif segment", jpgtest::ExifSegment()},
      {"chunk number above the count", App1Segment(3, 2, profile)},
      {"chunk number above the count (APP2)", App2Segment(2, 1, profile)},
      {"a comment", {0xFF, 0xFE, 0x00, 0x04, 'h', 'i'}},
  };
  for (const Case& c : cases) {
    Scan(JpegWith({c.before, good}));
    ExpectNoProfile();
    EXPECT_FALSE(jpgtest::Exists(engine.File("jjj.icm"))) << c.what;
    EXPECT_TRUE(boxes.boxes.empty()) << c.what;
  }
}

TEST_F(JpgScanTest, SkipsTablesByLengthAndOtherAppSegmentsThatAreNotApp1OrApp2) {
  Bytes profile = ProfileBytes(100);
  Bytes table = {0xFF, 0xDB, 0x00, 0x06, 0xFF, 0xE1, 0xFF, 0xE2};  // markers inside are skipped
  Bytes app13 = {0xFF, 0xED, 0x00, 0x04, 0xFF, 0xD9};
  Scan(JpegWith({table, app13, App2Segment(1, 1, profile)}));
  ExpectProfile("Test Profile.icm", profile);
}

TEST_F(JpgScanTest, ChunkWithoutItsFirstChunkIsPassedOver) {
  Bytes stray = ProfileBytes(300, 7);
  Bytes profile = ProfileBytes(200, 9);
  Scan(JpegWith({App1Segment(2, 2, stray), App2Segment(2, 2, stray), App1Segment(1, 1, profile)}));
  ExpectProfile("Test Profile.icm", profile);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgScanTest, NegativeApp2ByteCountCopiesNothing) {
  Bytes profile = ProfileBytes(120);
  Bytes last = App2Segment(2, 2, {});
  // The count after the identifier, the 12 header bytes and the chunk numbers.
  for (size_t i = 0; i < 4; ++i) last[2 + 2 + 6 + 12 + 2 + i] = i < 3 ? 0xFF : 0xF0;
  Scan(JpegWith({App2Segment(1, 2, profile), last}));
  ExpectProfile("Test Profile.icm", profile);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgScanTest, ProfileNamesAreCutAndKeptInsideTheWindowsDirectory) {
  struct Case {
    const char* name;
    const char* file;  // nullptr: refused
  } cases[] = {
      {"Studio RGB, D65", "Studio RGB.icm"},
      {"Monitor", "Monitor.icm"},
      {"a;b", "a.icm"},
      {"x'y", "x.icm"},
      {"Evil/../x", "Evil.icm"},
      {"Evil\\x", "Evil.icm"},
      {"../../etc/passwd", nullptr},
      {"/etc/passwd", nullptr},
      {"\\evil", nullptr},
      {"", nullptr},
      {"(copy)", nullptr},
  };
  Bytes profile = ProfileBytes(80);
  for (const Case& c : cases) {
    engine.profileName = c.name;
    g_bEmbeddedProfile = 0;
    g_nProfilePaths = 0;
    Scan(JpegWith({App2Segment(1, 1, profile)}));
    if (c.file != nullptr) {
      ExpectProfile(c.file, profile);
    } else {
      ExpectNoProfile();
    }
    EXPECT_TRUE(boxes.boxes.empty()) << c.name;
  }
  // Nothing but the profiles and the image was written, nowhere else.
  size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(engine.Dir()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 8u);  // image.jpg, 5 names, the refused names' jjj.icm, the lock file icm.lck
}

TEST_F(JpgScanTest, AnExistingProfileFileIsReplaced) {
  jpegtest::WriteFile(engine.File("Test Profile.icm"), Bytes(5000, 0x11));
  Bytes profile = ProfileBytes(90);
  Scan(JpegWith({App1Segment(1, 1, profile)}));
  ExpectProfile("Test Profile.icm", profile);
}

TEST_F(JpgScanTest, ProfileNamedLikeTheTemporaryFileStaysWhereItIs) {
  engine.profileName = "jjj";
  Bytes profile = ProfileBytes(90);
  Scan(JpegWith({App1Segment(1, 1, profile)}));
  EXPECT_EQ(g_bEmbeddedProfile, 1);
  EXPECT_EQ(Installed(), engine.WindowsDir() + "jjj.icm");
  EXPECT_EQ(ReadBytes(engine.File("jjj.icm")), profile);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(JpgScanTest, EngineThatCannotNameTheProfileStopsTheScan) {
  engine.nProfileNameResult = -4;
  Bytes profile = ProfileBytes(90);
  Scan(JpegWith({App1Segment(1, 1, profile), App1Segment(1, 1, profile)}));
  ExpectNoProfile();
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Fail in GetProfileName"});
  EXPECT_EQ(boxes.boxes[0].style, 0u);
  EXPECT_EQ(ReadBytes(engine.File("jjj.icm")), profile);  // left behind
  EXPECT_EQ(engine.calls.size(), 1u);
}

TEST_F(JpgScanTest, TemporaryFileThatCannotBeCreatedStopsTheScan) {
  std::filesystem::create_directory(engine.File("jjj.icm"));
  Scan(JpegWith({App1Segment(1, 1, ProfileBytes(90))}));
  ExpectNoProfile();
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in openning file"});
}

TEST_F(JpgScanTest, OldProfileThatCannotBeRemovedIsReportedAndNothingRecorded) {
  std::string old = engine.File("Test Profile.icm");
  jpegtest::WriteFile(old, Bytes(10, 0x22));
  CFile holder;  // another holder keeps it open and shares it with nobody
  ASSERT_TRUE(holder.Open(old.c_str(), CFile::modeRead | CFile::shareExclusive));
  Scan(JpegWith({App2Segment(1, 1, ProfileBytes(90))}));
  ExpectNoProfile();
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in accessing file " +
                                                    engine.WindowsDir() + "jjj.icm"});
  EXPECT_EQ(ReadBytes(old), Bytes(10, 0x22));
}

TEST_F(JpgScanTest, PrematureEndOfFileEndsTheScanWithOneMessage) {
  Bytes profile = ProfileBytes(600);
  Bytes full = JpegWith({App1Segment(1, 2, profile)});
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"inside the profile bytes", Bytes(full.begin(), full.begin() + 300)},
      {"inside the chunk header", Bytes(full.begin(), full.begin() + 20)},
      {"inside the identifier", Bytes(full.begin(), full.begin() + 8)},
      {"inside a length", {0xFF, 0xD8, 0xFF, 0xDB, 0x00}},
      {"inside a skipped segment", {0xFF, 0xD8, 0xFF, 0xDB, 0x01, 0x00, 1, 2, 3}},
      {"before any marker", {0xFF, 0xD8, 0x00, 0x00, 0x00}},
      {"after fill bytes", {0xFF, 0xD8, 0xFF, 0xFF, 0xFF}},
      {"an empty file", {}},
  };
  for (const Case& c : cases) {
    boxes.boxes.clear();
    Scan(c.file);
    ExpectNoProfile();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"1:Premature EOF in JPEG file"}) << c.what;
  }
}

TEST_F(JpgScanTest, ProfileWhoseLastChunkNeverComesIsNotRecorded) {
  Scan(JpegWith({App1Segment(1, 2, ProfileBytes(100))}));
  ExpectNoProfile();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(JpgScanTest, MarkerLengthBelowTwoIsReportedAndTheScanGoesOn) {
  Bytes profile = ProfileBytes(50);
  Scan(JpegWith({{0xFF, 0xC4, 0x00, 0x01}, App2Segment(1, 1, profile)}));
  ExpectProfile("Test Profile.icm", profile);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Erroneous JPEG marker length"});
}

TEST_F(JpgScanTest, MissingFileOrTooLongDirectoryRecordsNothing) {
  jpg = std::make_unique<CJPG>();
  jpg->FindSourceProfile(engine.File("missing.jpg").c_str());
  ExpectNoProfile();
  EXPECT_TRUE(boxes.boxes.empty());

  // "jjj.icm" does not fit a 256-byte path after this directory.
  std::string longDir = engine.File(std::string(250 - engine.Dir().size(), 'd'));
  std::filesystem::create_directory(longDir);
  g_strWindowsDir = (longDir + "\\").c_str();
  Scan(JpegWith({App2Segment(1, 1, ProfileBytes(50))}));
  ExpectNoProfile();
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed in openning file"});
  EXPECT_TRUE(std::filesystem::is_empty(longDir));
}

TEST_F(JpgScanTest, ProfileNameThatMakesTooLongAPathIsRefused) {
  // The temporary file fits; the profile's name after it does not.
  std::string dir = engine.File(std::string(240 - engine.Dir().size(), 'd'));
  std::filesystem::create_directory(dir);
  g_strWindowsDir = (dir + "\\").c_str();
  engine.profileName = std::string(12, 'n');
  Scan(JpegWith({App2Segment(1, 1, ProfileBytes(50))}));
  ExpectNoProfile();
  EXPECT_TRUE(jpgtest::Exists(dir + "/jjj.icm"));
}

}  // namespace
