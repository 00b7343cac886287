// JpegToDib against djpeg -bmp: for every file both decode, the block must be
// the BMP's pixel array byte for byte; every other file must come back NULL
// with the library's message on stderr, leaking no block and no file.
#include "jpeg/JpegToDib.h"

#include "jpeg_test_files.h"
#include "tests/support/message_recorder.h"

#include <platform/person.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using jpegtest::Bytes;
using jpegtest::JpegOptions;

struct Decoded {
  HGLOBAL handle = nullptr;
  int width = -1;
  int height = -1;
  size_t blockSize = 0;
  bool returnedUnlocked = false;
  Bytes bytes;
  std::string stderrText;
};

size_t OpenFileDescriptors() {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

std::string DataPath(const std::string& relative) {
  const char* root = std::getenv("ZELVW_TEST_DATA");
  return std::string(root != nullptr ? root : "tests/data") + "/jpeg/" + relative;
}

// Four-component files, and files the 8-bit library refuses, by path under tests/data/jpeg.
const std::set<std::string> kFourComponentFiles = {
    "peer/jpeg-decoder/mozilla/jpg-cmyk-1.jpg", "peer/jpeg-decoder/mozilla/jpg-cmyk-2.jpg",
    "peer/pillow/pil_sample_cmyk.jpg",  // YCCK
};
const std::set<std::string> kRefusedFiles = {
    "malformed/jpeg-decoder/derive-huffman-codes-overflow.jpg",
    "malformed/jpeg-decoder/empty.jpg",
    "malformed/jpeg-decoder/imagetestsuite/28968137f4fc75fbf56f16d7a7a8551a.jpg",
    "malformed/jpeg-decoder/imagetestsuite/5633ed9d0eb700d0093bf85d86a95ebf.jpg",
    "malformed/jpeg-decoder/imagetestsuite/90e46387f562ca8fa106b51dfcda1dc6.jpg",
    "malformed/jpeg-decoder/imagetestsuite/96b3e939852157613fa2e48d58fe35fe.jpg",
    "malformed/jpeg-decoder/imagetestsuite/d085a42245996e5750a30ccb48791bcf.jpg",
    "malformed/jpeg-decoder/imagetestsuite/eddea4ef9629be031f750a8ff0b7497c.jpg",
    "malformed/jpeg-decoder/imagetestsuite/ef724193653930f52acffa90e6426fd2.jpg",
    "malformed/jpeg-decoder/imagetestsuite/f012a4321f00f12af6b1eee7580ffb9c.jpg",
    "malformed/jpeg-decoder/invalid-dimensions.jpg",
    "malformed/jpeg-decoder/invalid-prediction-shift.jpg",  // lossless
    "malformed/jpeg-decoder/max_size.jpg",
    "malformed/jpeg-decoder/missing-frame-image-1410.jpg",
    "malformed/jpeg-decoder/missing-sof.jpg",
    "malformed/jpeg-decoder/missing-sos.jpg",
    "malformed/jpeg-decoder/null_height.jpg",
    "peer/jpeg-decoder/mozilla/jpg-size-6x6.jpg",  // a PNG
    "peer/libjpeg-turbo/testorig12.jpg",           // 12-bit
    "peer/libjpeg-turbo/monkey12.jpg",             // 12-bit
};

class JpegToDibTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = fs::temp_directory_path() / ("jpeg_to_dib_test." + std::to_string(getpid()));
    fs::create_directories(s_dir);
  }
  static void TearDownTestSuite() { fs::remove_all(s_dir); }

  void SetUp() override {
    platform::SetPerson(&m_person);
    m_openFiles = OpenFileDescriptors();
  }
  void TearDown() override {
    platform::SetPerson(nullptr);
    platform::faults::FailNthGlobalAlloc(0);
    platform::faults::SetGlobalAllocLimit(0);
    EXPECT_EQ(OpenFileDescriptors(), m_openFiles) << "a file was left open";
  }

  static std::string TempPath(const std::string& name) { return (s_dir / name).string(); }

  static std::string WriteTemp(const std::string& name, const Bytes& bytes) {
    std::string path = TempPath(name);
    jpegtest::WriteFile(path, bytes);
    return path;
  }

  // Decodes, copies the block out and frees it.
  static Decoded Decode(const std::string& path) {
    Decoded d;
    ::testing::internal::CaptureStderr();
    d.handle = JpegToDib(path.c_str(), &d.height, &d.width);
    d.stderrText = ::testing::internal::GetCapturedStderr();
    if (d.handle != nullptr) {
      d.blockSize = GlobalSize(d.handle);
      auto* p = static_cast<const uint8_t*>(GlobalLock(d.handle));
      d.bytes.assign(p, p + d.blockSize);
      d.returnedUnlocked = !GlobalUnlock(d.handle);
      GlobalFree(d.handle);
    }
    return d;
  }

  // The block must be the pixel array djpeg -bmp writes for the same file.
  static void ExpectSameAsDjpeg(const std::string& path) {
    SCOPED_TRACE(path);
    jpegtest::Bitmap bmp;
    ASSERT_TRUE(jpegtest::DjpegBitmap(path, TempPath("reference.bmp"), &bmp)) << "djpeg refused it";
    Decoded d = Decode(path);
    ASSERT_NE(d.handle, nullptr) << d.stderrText;
    EXPECT_TRUE(d.returnedUnlocked);
    EXPECT_EQ(d.width, bmp.width);
    EXPECT_EQ(d.height, bmp.height);
    ASSERT_EQ(d.bytes.size(), bmp.pixels.size()) << "bit count " << bmp.bitCount;
    auto diff = std::mismatch(d.bytes.begin(), d.bytes.end(), bmp.pixels.begin());
    EXPECT_TRUE(diff.first == d.bytes.end())
        << "first difference at byte " << (diff.first - d.bytes.begin());
  }

  static void ExpectRefused(const std::string& path, const std::string& message) {
    SCOPED_TRACE(path);
    Decoded d = Decode(path);
    EXPECT_EQ(d.handle, nullptr);
    EXPECT_EQ(d.width, 0);
    EXPECT_EQ(d.height, 0);
    ASSERT_FALSE(d.stderrText.empty());
    EXPECT_NE(d.stderrText.find(message), std::string::npos) << d.stderrText;
    EXPECT_EQ(d.stderrText.back(), '\n');
  }

  static fs::path s_dir;
  testsupport::MessageRecorder m_person;
  size_t m_openFiles = 0;
};

fs::path JpegToDibTest::s_dir;

TEST_F(JpegToDibTest, ThreeByTwoRgbIsBottomUpBgrWithZeroPads) {
  // Top row red, green, blue; bottom row white, black, grey. Quality 100, 4:4:4.
  Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
  JpegOptions options{.width = 3, .height = 2, .quality = 100, .fullChroma = true};
  Decoded d = Decode(WriteTemp("3x2.jpg", jpegtest::EncodeJpeg(options, rgb)));
  ASSERT_NE(d.handle, nullptr);
  EXPECT_EQ(d.width, 3);
  EXPECT_EQ(d.height, 2);
  ASSERT_EQ(d.blockSize, 24u);
  const int expected[24] = {255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0,   // bottom row
                            0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0};  // top row
  for (int i = 0; i < 24; ++i) {
    if (i % 12 >= 9)
      EXPECT_EQ(d.bytes[i], 0) << "pad byte " << i;
    else
      EXPECT_NEAR(d.bytes[i], expected[i], 8) << "byte " << i;
  }
}

TEST_F(JpegToDibTest, RowsArePaddedToFourBytes) {
  struct Case {
    int width, components, rowWidth;
  } cases[] = {{3, 3, 12}, {4, 3, 12}, {5, 1, 8}, {4, 1, 4}, {1, 3, 4}, {7, 3, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.components));
    JpegOptions options{.width = c.width, .height = 3, .components = c.components};
    Decoded d = Decode(WriteTemp("pad.jpg", jpegtest::EncodeJpeg(options)));
    ASSERT_NE(d.handle, nullptr);
    EXPECT_EQ(d.blockSize, static_cast<size_t>(c.rowWidth) * 3);
    int dataWidth = c.width * c.components;
    for (int row = 0; row < 3; ++row)
      for (int i = dataWidth; i < c.rowWidth; ++i) EXPECT_EQ(d.bytes[row * c.rowWidth + i], 0);
  }
}

TEST_F(JpegToDibTest, OddWidthsMatchDjpeg) {
  for (int components : {1, 3}) {
    for (int width = 1; width <= 7; ++width) {
      JpegOptions options{.width = width, .height = 5, .components = components};
      ExpectSameAsDjpeg(
          WriteTemp("w" + std::to_string(width) + "c" + std::to_string(components) + ".jpg",
                    jpegtest::EncodeJpeg(options)));
    }
  }
}

// One pixel wide, a grey and a colour block are both 4 bytes a row: only the reported
// samples tell them apart.
TEST_F(JpegToDibTest, ReportsTheSamplesAPixelOfTheBlock) {
  for (int components : {1, 3}) {
    std::string path =
        WriteTemp("narrow" + std::to_string(components) + ".jpg",
                  jpegtest::EncodeJpeg({.width = 1, .height = 3, .components = components}));
    int height = 0, width = 0, reported = -1;
    HGLOBAL hDib = JpegToDib(path.c_str(), &height, &width, &reported);
    ASSERT_NE(hDib, nullptr);
    EXPECT_EQ(GlobalSize(hDib), 4u * 3);
    EXPECT_EQ(reported, components);
    GlobalFree(hDib);
  }
  int height = 0, width = 0, reported = -1;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(JpegToDib(WriteTemp("text.jpg", Bytes{'t', 'e', 'x', 't'}).c_str(), &height, &width,
                      &reported),
            nullptr);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(reported, 0);
}

TEST_F(JpegToDibTest, EncodingVariantsMatchDjpeg) {
  JpegOptions variants[] = {
      {.width = 61, .height = 47},                       // baseline 4:2:0
      {.width = 61, .height = 47, .fullChroma = true},   // 4:4:4
      {.width = 61, .height = 47, .progressive = true},  // progressive
      {.width = 61, .height = 47, .restartRows = 1},     // restart markers
      {.width = 61, .height = 47, .components = 1},      // grey
      {.width = 61, .height = 47, .components = 1, .progressive = true},
  };
  int n = 0;
  for (const JpegOptions& options : variants)
    ExpectSameAsDjpeg(
        WriteTemp("variant" + std::to_string(n++) + ".jpg", jpegtest::EncodeJpeg(options)));
}

TEST_F(JpegToDibTest, TruncatedFileIsCompletedByTheLibrary) {
  Bytes jpeg = jpegtest::EncodeJpeg({.width = 64, .height = 64});
  jpeg.resize(jpeg.size() / 2);
  ExpectSameAsDjpeg(WriteTemp("truncated.jpg", jpeg));
}

TEST_F(JpegToDibTest, PeerFilesMatchDjpegOrAreRefused) {
  fs::path root = DataPath("");
  int compared = 0;
  int refused = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".jpg" && ext != ".jpeg")) continue;
    std::string relative = fs::relative(entry.path(), root).string();
    if (kFourComponentFiles.count(relative) != 0) {
      ExpectRefused(entry.path().string(), "Unsupported color conversion request");
    } else if (kRefusedFiles.count(relative) != 0) {
      ExpectRefused(entry.path().string(), "");
      ++refused;
    } else {
      ExpectSameAsDjpeg(entry.path().string());
      ++compared;
    }
  }
  EXPECT_EQ(refused, static_cast<int>(kRefusedFiles.size()));
  EXPECT_EQ(compared, 62);
  EXPECT_TRUE(m_person.messages.empty());
}

// The benchmark's decode tool writes what djpeg -bmp writes: the same bit depth and
// pixels, grey one-pixel-wide images included; it refuses what djpeg refuses, and
// four-component files, which djpeg converts to RGB.
TEST_F(JpegToDibTest, BenchToolWritesTheBitmapDjpegWrites) {
  fs::path root = DataPath("");
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".jpg" && ext != ".jpeg")) continue;
    SCOPED_TRACE(entry.path().string());
    jpegtest::Bitmap reference, written;
    bool bDjpeg =
        jpegtest::DjpegBitmap(entry.path().string(), TempPath("reference.bmp"), &reference);
    std::string command = std::string("'") + ZELVW_JPEGTODIB_BMP + "' '" + entry.path().string() +
                          "' '" + TempPath("tool.bmp") + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
      EXPECT_TRUE(!bDjpeg ||
                  kFourComponentFiles.count(fs::relative(entry.path(), root).string()) != 0);
      continue;
    }
    ASSERT_TRUE(bDjpeg);
    ASSERT_TRUE(jpegtest::ReadBitmap(TempPath("tool.bmp"), &written));
    EXPECT_EQ(written.width, reference.width);
    EXPECT_EQ(written.height, reference.height);
    EXPECT_EQ(written.bitCount, reference.bitCount);
    EXPECT_TRUE(written.pixels == reference.pixels);
    ++compared;
  }
  EXPECT_GE(compared, 62);
}

TEST_F(JpegToDibTest, MissingFileShowsTheOpenBoxAndGoesOn) {
  Decoded d = Decode(TempPath("no-such-file.jpg"));
  EXPECT_EQ(d.handle, nullptr);
  EXPECT_EQ(d.width, 0);
  EXPECT_EQ(d.height, 0);
  ASSERT_EQ(m_person.messages.size(), 1u);
  EXPECT_EQ(m_person.messages[0].caption, "ERROR");
  EXPECT_EQ(m_person.messages[0].text, "Open file failed");
  EXPECT_EQ(m_person.messages[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION | MB_OK));
  ExpectSameAsDjpeg(DataPath("peer/libjpeg-turbo/testorig.jpg"));
}

TEST_F(JpegToDibTest, NotAJpegIsRefused) {
  ExpectRefused(WriteTemp("text.jpg", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), "Not a JPEG file");
  ExpectRefused(DataPath("malformed/jpeg-decoder/empty.jpg"), "Empty input file");
}

TEST_F(JpegToDibTest, FailedFinalAllocationStillReturnsTheSize) {
  platform::faults::FailNthGlobalAlloc(1);
  Decoded d = Decode(DataPath("peer/libjpeg-turbo/testorig.jpg"));
  EXPECT_EQ(d.handle, nullptr);
  EXPECT_EQ(d.width, 227);
  EXPECT_EQ(d.height, 149);
}

TEST_F(JpegToDibTest, DibAboveTheCeilingIsRefusedBeforeDecoding) {
  std::string path = DataPath("peer/libjpeg-turbo/testorig.jpg");
  const size_t bytes = 684u * 149u;  // 227 x 3 rounded up to 684
  platform::faults::SetGlobalAllocLimit(bytes - 1);
  ExpectRefused(path, "Image of 227 x 149 pixels is too large to hold in memory");
  platform::faults::SetGlobalAllocLimit(bytes);
  EXPECT_EQ(Decode(path).blockSize, bytes);
}

TEST_F(JpegToDibTest, GiganticDeclaredImageFailsCleanly) {
  Bytes jpeg = jpegtest::EncodeJpeg({.width = 16, .height = 16});
  jpegtest::PatchFrameSize(jpeg, 60000, 60000);
  ExpectRefused(WriteTemp("60000.jpg", jpeg), "Image of 60000 x 60000 pixels is too large");
}

TEST_F(JpegToDibTest, LibraryArraysAreBoundedByTheCeiling) {
  // 3 MiB of DIB fits a 4 MiB ceiling, but with 6 MiB of coefficients the
  // progressive decode needs more than the library may take (twice the ceiling).
  JpegOptions options{
      .width = 1024, .height = 1024, .quality = 50, .fullChroma = true, .progressive = true};
  std::string path = WriteTemp("progressive1024.jpg", jpegtest::EncodeJpeg(options));
  platform::faults::SetGlobalAllocLimit(4u << 20);
  ExpectRefused(path, "Backing store not supported");
  platform::faults::SetGlobalAllocLimit(0);
  EXPECT_EQ(Decode(path).blockSize, 3072u * 1024u);
}

TEST_F(JpegToDibTest, FilesWithTooManyScansAreRefused) {
  Bytes jpeg = jpegtest::EncodeJpeg({.width = 16, .height = 16, .progressive = true});
  Bytes manyScans = jpeg;
  jpegtest::RepeatLastScan(manyScans, 500);
  ExpectSameAsDjpeg(WriteTemp("500scans.jpg", manyScans));
  jpegtest::RepeatLastScan(jpeg, 501);
  ExpectRefused(WriteTemp("501scans.jpg", jpeg), "JPEG file has more than 500 scans");
}

TEST_F(JpegToDibTest, FatalErrorAfterTheLastRowFreesTheBlock) {
  // All rows decode; jpeg_finish_decompress then meets a second SOI.
  Bytes jpeg = jpegtest::EncodeJpeg({.width = 32, .height = 32});
  jpeg[jpeg.size() - 1] = 0xD8;
  ExpectRefused(WriteTemp("second-soi.jpg", jpeg), "two SOI markers");
}

}  // namespace
