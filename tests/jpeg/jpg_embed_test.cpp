// jfxx-embed against the reader: what the tool embeds, CJPG::FindSourceProfile gets
// back byte for byte, in both layouts and several chunk sizes; and the tool's refusals
// of bad command lines and hostile files.
#include "jpeg/Jpg.h"

#include "../support/fake_engine.h"
#include "jfxx_segments.h"
#include "jpeg/JpegToDib.h"
#include "jpg_support_test.h"
#include "viewer/ModuleState.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <sys/wait.h>

namespace {

using jpgtest::BoxRecorder;
using jpgtest::Bytes;
using testsupport::FakeEngine;

std::string DataFile(const std::string& relative) {
  const char* root = std::getenv("ZELVW_TEST_DATA");
  return std::string(root != nullptr ? root : "tests/data") + "/jpeg/" + relative;
}

const std::string kIccJpeg = "peer/jpeg-decoder/mozilla/jpg-srgb-icc.jpg";

class JfxxEmbedTest : public ::testing::Test {
 protected:
  // The tool's exit status; its messages go to err.txt.
  int Run(const std::string& arguments) {
    std::string command =
        jpgtest::EmbedTool() + " " + arguments + " >/dev/null 2>" + (files / "err.txt");
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Errors() const { return testsupport::ReadFile(files / "err.txt"); }
  // The profile the reader installs from the file, or nothing.
  Bytes Recovered(const std::string& path) {
    FakeEngine engine;
    BoxRecorder boxes;
    CJPG jpg;
    jpg.FindSourceProfile(path.c_str());
    EXPECT_TRUE(boxes.boxes.empty());
    if (g_bEmbeddedProfile != 1) return {};
    EXPECT_EQ(std::string(g_strProfilePaths[0]), engine.WindowsDir() + "Test Profile.icm");
    return jpgtest::ReadBytes(engine.File("Test Profile.icm"));
  }
  static Bytes Decoded(const std::string& path) {
    int width = 0, height = 0;
    HGLOBAL hBlock = JpegToDib(path.c_str(), &height, &width);
    if (hBlock == nullptr) return {};
    const auto* p = static_cast<const uint8_t*>(GlobalLock(hBlock));
    Bytes bytes(p, p + GlobalSize(hBlock));
    GlobalUnlock(hBlock);
    GlobalFree(hBlock);
    return bytes;
  }

  testsupport::ScratchDir files;
  std::string in = files / "in.jpg";
  std::string out = files / "out.jpg";
};

TEST_F(JfxxEmbedTest, ReaderRecoversTheProfileInBothLayoutsAndSeveralChunkSizes) {
  jpegtest::WriteFile(in, jpegtest::EncodeJpeg({.width = 9, .height = 5}));
  Bytes profile = jpegtest::ReadFile(jpgtest::kSrgbProfile);
  for (const char* layout : {"--app1", "--app2"}) {
    for (const char* chunk :
         {"", "--chunk 100", "--chunk 1000", "--chunk 20419", "--chunk 20420"}) {
      std::string arguments =
          std::string(layout) + " " + chunk + " --profile " + jpgtest::kSrgbProfile;
      ASSERT_EQ(Run(arguments + " " + in + " " + out), 0) << arguments << Errors();
      EXPECT_EQ(Recovered(out), profile) << arguments;
      EXPECT_EQ(Decoded(out), Decoded(in)) << arguments;
    }
  }
}

TEST_F(JfxxEmbedTest, ProfileOfTheStandardIccSegmentsIsCarriedOver) {
  Bytes source = jpegtest::ReadFile(DataFile(kIccJpeg));
  jpegtest::WriteFile(in, source);
  ASSERT_EQ(Run("--from-icc --app2 --chunk 1000 " + in + " " + out), 0) << Errors();
  // The file's one ICC_PROFILE segment: identifier, 1 of 1, then the profile.
  const char kIdentifier[] = "ICC_PROFILE";
  auto at =
      std::search(source.begin(), source.end(), kIdentifier, kIdentifier + sizeof kIdentifier);
  ASSERT_NE(at, source.end());
  size_t length = static_cast<size_t>(at[-2]) << 8 | at[-1];
  Bytes profile(at + 14, at + static_cast<std::ptrdiff_t>(length) - 2);
  EXPECT_EQ(profile.size(), 3048u);
  EXPECT_EQ(Recovered(out), profile);
  EXPECT_EQ(Decoded(out), Decoded(in));
}

TEST_F(JfxxEmbedTest, EmbeddingAgainReplacesTheProfileThatWasThere) {
  jpegtest::WriteFile(in, jpegtest::EncodeJpeg({}));
  ASSERT_EQ(Run(std::string("--app2 --chunk 700 --profile ") + jpgtest::kSrgbProfile + " " + in +
                " " + out),
            0);
  ASSERT_EQ(Run(std::string("--profile ") + jpgtest::kSwappedProfile + " " + out + " " + out), 0)
      << Errors();
  Bytes swapped = jpegtest::ReadFile(jpgtest::kSwappedProfile);
  EXPECT_EQ(Recovered(out), swapped);
  // One APP1 segment of 32 + the profile's bytes in place of the 30 APP2 segments.
  EXPECT_EQ(jpegtest::ReadFile(out).size(),
            jpegtest::ReadFile(in).size() + 2 + 32 + swapped.size());
}

TEST_F(JfxxEmbedTest, CommandLineMistakesPrintTheUsage) {
  jpegtest::WriteFile(in, jpegtest::EncodeJpeg({}));
  std::string profile = std::string(" --profile ") + jpgtest::kSrgbProfile + " ";
  const std::string mistakes[] = {
      "",
      in + " " + out,
      "--from-icc" + profile + in + " " + out,
      profile + in,
      profile + in + " " + out + " extra",
      "--app1 --app2" + profile + in + " " + out,
      "--chunk 0" + profile + in + " " + out,
      "--chunk 65504" + profile + in + " " + out,
      "--app2 --chunk 65510" + profile + in + " " + out,
      "--chunk 12x" + profile + in + " " + out,
      "--bogus" + profile + in + " " + out,
      "--profile",
  };
  for (const std::string& arguments : mistakes) {
    EXPECT_EQ(Run(arguments), 2) << arguments;
    EXPECT_NE(Errors().find("usage: jfxx-embed"), std::string::npos) << arguments;
  }
  EXPECT_FALSE(jpgtest::Exists(out));
  EXPECT_EQ(Run("--help"), 0);
}

TEST_F(JfxxEmbedTest, RefusedFilesLeaveTheOutputAsItWas) {
  jpegtest::WriteFile(in, jpegtest::EncodeJpeg({}));
  jpegtest::WriteFile(files / "text.txt", Bytes{'h', 'e', 'l', 'l', 'o'});
  jpegtest::WriteFile(out, Bytes{'o', 'l', 'd'});
  std::string profile = std::string(" --profile ") + jpgtest::kSrgbProfile + " ";
  const std::string refusals[] = {
      profile + (files / "text.txt") + " " + out,            // not a JPEG
      profile + (files / "missing.jpg") + " " + out,         // no such file
      "--profile " + in + " " + in + " " + out,              // not a profile
      "--app2 --chunk 50" + profile + in + " " + out,        // 409 chunks
      "--from-icc " + in + " " + out,                        // no ICC segments
      profile + in + " " + (files / "no/such/dir/out.jpg"),  // cannot be written
  };
  for (const std::string& arguments : refusals) {
    EXPECT_EQ(Run(arguments), 1) << arguments;
    EXPECT_EQ(Errors().rfind("jfxx-embed: ", 0), 0u) << arguments << Errors();
    EXPECT_EQ(jpegtest::ReadFile(out), (Bytes{'o', 'l', 'd'})) << arguments;
  }
}

// Standard ICC_PROFILE segments of a hostile file.
Bytes IccSegment(uint8_t sequence, uint8_t count, const Bytes& data, size_t cut = 0) {
  Bytes payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, sequence, count};
  payload.insert(payload.end(), data.begin(), data.end());
  payload.resize(payload.size() - cut);
  Bytes segment = {0xFF, 0xE2, static_cast<uint8_t>((payload.size() + 2) >> 8),
                   static_cast<uint8_t>(payload.size() + 2)};
  for (uint8_t byte : payload) segment.push_back(byte);
  return segment;
}

TEST(JfxxSegmentsTest, HostileIccSegmentsAreRefused) {
  Bytes profile = jpegtest::ReadFile(jpgtest::kSrgbProfile);
  Bytes first(profile.begin(), profile.begin() + 10000),
      second(profile.begin() + 10000, profile.end());
  Bytes image = jpegtest::EncodeJpeg({});
  EXPECT_EQ(jfxx::ExtractIccProfile(
                jpgtest::JpegWith({IccSegment(2, 2, second), IccSegment(1, 2, first)}, image)),
            profile);  // joined by sequence number, not by order in the file
  const std::vector<Bytes> hostile[] = {
      {IccSegment(1, 2, first)},                                      // a chunk missing
      {IccSegment(1, 2, first), IccSegment(1, 2, second)},            // a chunk twice
      {IccSegment(1, 2, first), IccSegment(2, 3, second)},            // counts disagree
      {IccSegment(0, 1, profile)},                                    // chunk 0
      {IccSegment(3, 2, first)},                                      // number above the count
      {IccSegment(1, 1, {}, 1)},                                      // header cut off
      {IccSegment(1, 1, Bytes(200, 0))},                              // not a profile
      {IccSegment(1, 1, Bytes(profile.begin(), profile.end() - 1))},  // size field disagrees
  };
  for (const std::vector<Bytes>& segments : hostile) {
    EXPECT_THROW(jfxx::ExtractIccProfile(jpgtest::JpegWith(segments, image)), jfxx::Error);
  }
  // A segment whose length runs past the end of the file.
  Bytes cut = jpgtest::JpegWith({IccSegment(1, 1, profile)}, image);
  cut.resize(2000);
  EXPECT_THROW(jfxx::ExtractIccProfile(cut), jfxx::Error);
  EXPECT_THROW(jfxx::EmbedSegments(cut, {}), jfxx::Error);
  EXPECT_THROW(jfxx::EmbedSegments(Bytes{0xFF, 0xD8, 0x12}, {}), jfxx::Error);
}

// A folder run goes on past the files it cannot convert, writes nothing for them,
// names each, and never writes over an original.
TEST_F(JfxxEmbedTest, FolderRunConvertsTheOthersAndReportsEachFailure) {
  Bytes profile = jpegtest::ReadFile(jpgtest::kSrgbProfile);
  Bytes image = jpegtest::EncodeJpeg({});
  struct Case {
    std::string name;
    Bytes bytes;
    std::string message;  // empty: converted
  } cases[] = {
      {"photo.jpg", jpgtest::JpegWith({IccSegment(1, 1, profile)}, image), ""},
      {"text.jpg", Bytes{'h', 'i'}, "libjpeg refuses the file: Not a JPEG file"},
      {"plain.jpg", image, "the file has no ICC profile"},
      {"twice.jpg",
       jpgtest::JpegWith({IccSegment(1, 1, profile), IccSegment(1, 1, profile)}, image),
       "libjpeg refuses its ICC profile: Corrupt JPEG data: bad ICC marker"},
      {"peer.jpg", jpegtest::ReadFile(DataFile(kIccJpeg)), ""},
  };
  std::string folder = files / "prepared";
  std::filesystem::create_directory(folder);
  std::string arguments = "--from-icc";
  for (const Case& c : cases) {
    jpegtest::WriteFile(files / c.name, c.bytes);
    arguments += " " + (files / c.name);
  }
  EXPECT_EQ(Run(arguments + " " + folder), 1);
  std::string errors = Errors();
  EXPECT_NE(errors.find("jfxx-embed: 3 of 5 files not converted\n"), std::string::npos) << errors;
  for (const Case& c : cases) {
    std::string out = folder + "/" + c.name;
    EXPECT_EQ(jpegtest::ReadFile(files / c.name), c.bytes) << c.name;
    if (!c.message.empty()) {
      EXPECT_NE(errors.find("jfxx-embed: " + (files / c.name) + ": " + c.message),
                std::string::npos)
          << c.name << errors;
      EXPECT_FALSE(jpgtest::Exists(out)) << c.name;
      continue;
    }
    EXPECT_EQ(errors.find(c.name), std::string::npos) << errors;
    EXPECT_EQ(Decoded(out), Decoded(files / c.name)) << c.name;
    EXPECT_EQ(Recovered(out), jfxx::ExtractIccProfile(c.bytes)) << c.name;
  }
  // The photos' own folder, and a name given twice: the originals stay as they were.
  EXPECT_EQ(Run("--from-icc " + (files / "photo.jpg") + " " + (files / "prepared/photo.jpg") + " " +
                files.path()),
            1);
  EXPECT_NE(Errors().find("photo.jpg: the copy would replace an original\n"), std::string::npos)
      << Errors();
  EXPECT_NE(Errors().find("prepared/photo.jpg: another file has that name\n"), std::string::npos);
  EXPECT_NE(Errors().find("2 of 2 files not converted"), std::string::npos);
  EXPECT_EQ(jpegtest::ReadFile(files / "photo.jpg"), cases[0].bytes);
  EXPECT_EQ(Run("--from-icc " + (files / "photo.jpg") + " " + (files / "peer.jpg") + " " + folder),
            0);
  EXPECT_EQ(Errors(), "");
}

TEST(JfxxSegmentsTest, LargestChunksFillTheSegmentLengthExactly) {
  Bytes profile(70000, 0x42);
  auto length = [](const Bytes& segment) { return segment[2] << 8 | segment[3]; };
  std::vector<Bytes> app1 = jfxx::MakeSegments(profile, jfxx::Layout::kApp1, jfxx::kMaxApp1Chunk);
  ASSERT_EQ(app1.size(), 2u);
  EXPECT_EQ(length(app1[0]), 65535);
  EXPECT_EQ(length(app1[1]), 20 + 70000 - 65503);
  std::vector<Bytes> app2 = jfxx::MakeSegments(profile, jfxx::Layout::kApp2, jfxx::kMaxApp2Chunk);
  ASSERT_EQ(app2.size(), 2u);
  EXPECT_EQ(length(app2[0]), 65535);
  EXPECT_THROW(jfxx::MakeSegments(profile, jfxx::Layout::kApp2, 274), jfxx::Error);  // 256 chunks
  EXPECT_EQ(jfxx::MakeSegments(profile, jfxx::Layout::kApp2, 275).size(), 255u);
}

}  // namespace
