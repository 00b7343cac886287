// Every JPEG of the test data through nphost full-page with sRGB as the monitor
// profile: each ends in a message or in libjpeg's own decode of it, and each file
// libjpeg decodes is shown again with a profile embedded, matched as LittleCMS matches it;
// the files with a standard ICC profile are prepared with jfxx-embed and matched likewise.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "host_fixture.h"
#include "tiff_reference.h"

namespace {

namespace fs = std::filesystem;
using e2e::kWhite;
using e2e::Near;
using e2e::Record;
using viewertest::Bytes;

// What libjpeg makes of a file with its default parameters: grey or RGB pixels
// (0x00RRGGBB, grey in all three channels, rows top first), or nothing; and the
// profile of its standard ICC segments, if it takes them.
struct Decoded {
  bool bOk = false;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  Bytes icc;
};

struct ReferenceError {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void ReferenceErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ReferenceError*>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// Nothing with a destructor lives in this frame: a fatal error jumps back into it.
bool DecodeInto(const Bytes& file, jpeg_decompress_struct* cinfo, Decoded* out) {
  ReferenceError err;
  cinfo->err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ReferenceErrorExit;
  err.pub.output_message = Silent;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  JOCTET* pIcc = nullptr;
  unsigned nIcc = 0;
  if (jpeg_read_icc_profile(cinfo, &pIcc, &nIcc)) {
    out->icc.assign(pIcc, pIcc + nIcc);
    std::free(pIcc);
  }
  bool bGrey = cinfo->out_color_space == JCS_GRAYSCALE;
  if ((!bGrey && cinfo->out_color_space != JCS_RGB) ||
      uint64_t{cinfo->image_width} * cinfo->image_height > (uint64_t{1} << 24)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_start_decompress(cinfo);
  out->width = static_cast<int>(cinfo->output_width);
  out->height = static_cast<int>(cinfo->output_height);
  out->pixels.resize(static_cast<size_t>(out->width) * out->height);
  // From the image pool, which jpeg_destroy_decompress releases on every path.
  JSAMPARRAY rows = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                cinfo->output_width * 3, 1);
  while (cinfo->output_scanline < cinfo->output_height) {
    uint32_t* pOut = &out->pixels[static_cast<size_t>(cinfo->output_scanline) * out->width];
    jpeg_read_scanlines(cinfo, rows, 1);
    for (int x = 0; x < out->width; ++x) {
      const JSAMPLE* p = bGrey ? &rows[0][x] : &rows[0][3 * x];
      pOut[x] = bGrey ? uint32_t{p[0]} * 0x010101u
                      : (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return true;
}

Decoded DecodeWithLibjpeg(const Bytes& file) {
  jpeg_decompress_struct cinfo;
  Decoded decoded;
  decoded.bOk = DecodeInto(file, &cinfo, &decoded);
  if (!decoded.bOk) decoded.pixels.clear();
  return decoded;
}

// The messages the marker scan may show on the way to a decoded image.
bool IsScanMessage(const std::string& text) {
  static const char* const scan[] = {"1:Premature EOF in JPEG file",
                                     "Erroneous JPEG marker length"};
  return std::find(std::begin(scan), std::end(scan), text) != std::end(scan);
}

std::vector<fs::path> FilesUnder(const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string FolderName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = fs::path(info.param).lexically_relative("jpeg");
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class JpegShowTest : public e2e::HostTest {
 protected:
  // Runs the bytes as a .jpg (the plug-in takes the type from the extension) in a
  // window with room for the decoded and the matched image side by side.
  void Show(const Bytes& bytes, const Decoded& reference, const std::string& name) {
    std::string path = m_scratch / "sweep.jpg";
    viewertest::WriteBytes(path, bytes);
    std::string size = "300x200";
    if (reference.bOk)
      size = std::to_string(2 * reference.width + 16) + "x" + std::to_string(reference.height + 16);
    ASSERT_EQ(HostChecked(path, {"--size", size}, name), 0) << name;
    m_messages = e2e::ReadMessageBoxes(Log());
    m_shot = e2e::ReadPng(Shot());
    fs::remove(path);
  }

  // Counts the pixels of the width x height area at (x0, 0) farther than nTolerance
  // from the expected ones, naming the first.
  void ExpectArea(int x0, int width, int height, const std::vector<uint32_t>& expected,
                  int nTolerance, const std::string& what) {
    ASSERT_GE(m_shot.width, x0 + width) << what;
    ASSERT_GE(m_shot.height, height) << what;
    int nFar = 0;
    std::ostringstream first;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t want = expected[static_cast<size_t>(y) * width + x];
        uint32_t got = m_shot.At(x0 + x, y);
        if (Near(got, want, nTolerance)) continue;
        if (nFar++ == 0)
          first << " first at " << x << "," << y << ": " << std::hex << got << " for " << want;
      }
    }
    EXPECT_EQ(nFar, 0) << what << ": pixels farther than " << nTolerance << first.str();
  }

  bool DrawnFrom(int x0) const {
    for (int y = 0; y < m_shot.height; ++y)
      for (int x = x0; x < m_shot.width; ++x)
        if (m_shot.At(x, y) != kWhite) return true;
    return false;
  }

  std::vector<e2e::LoggedMessage> m_messages;
  e2e::Screenshot m_shot;
};

class JpegSweepTest : public JpegShowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::vector<fs::path> Files() const {
    return FilesUnder(std::string(ZELVW_TEST_DATA) + "/" + GetParam());
  }
};

// The pixels LittleCMS makes of libjpeg's decode with the given profile, as the plug-in
// hands them to the engine (each byte in the high half) and takes them back.
std::vector<uint32_t> MatchedLikeTheEngine(const Decoded& reference, const Bytes& icc,
                                           const std::string& monitor) {
  std::vector<Record> records;
  for (uint32_t pixel : reference.pixels) {
    records.push_back({uint16_t(pixel >> 16 << 8), uint16_t((pixel >> 8 & 0xFF) << 8),
                       uint16_t((pixel & 0xFF) << 8), 0});
  }
  std::vector<uint32_t> matched;
  for (const Record& c : e2e::MatchLikeTheEngine(icc, monitor, false, records))
    matched.push_back((uint32_t{c[0]} >> 8 << 16) | (uint32_t{c[1]} >> 8 << 8) | (c[2] >> 8));
  return matched;
}

std::string Texts(const std::vector<e2e::LoggedMessage>& messages) {
  std::string texts;
  for (const auto& m : messages) texts += " [" + m.text + "]";
  return texts;
}

// A file libjpeg decodes is shown as libjpeg decodes it, and nothing beside it (no
// profile the plug-in reads); any other file is reported and nothing is drawn.
TEST_P(JpegSweepTest, EachEndsInTheFailureMessageOrLibjpegsDecode) {
  ChooseSrgbMonitor();
  std::vector<fs::path> files = Files();
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    std::string name = file.lexically_relative(ZELVW_TEST_DATA).string();
    Bytes bytes = viewertest::ReadBytes(file);
    Decoded reference = DecodeWithLibjpeg(bytes);
    Show(bytes, reference, name);
    if (HasFatalFailure()) return;
    ASSERT_GT(m_shot.width, 0) << name;
    if (!reference.bOk) {
      ASSERT_FALSE(m_messages.empty()) << name;
      EXPECT_EQ(m_messages.back().text, "Failed in converting to DIB file") << name;
      EXPECT_FALSE(DrawnFrom(0)) << name;
      continue;
    }
    for (const auto& m : m_messages)
      EXPECT_TRUE(IsScanMessage(m.text)) << name << Texts(m_messages);
    ExpectArea(0, reference.width, reference.height, reference.pixels, 0, name);
    EXPECT_FALSE(DrawnFrom(reference.width)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegSweepTest,
                         ::testing::Values("jpeg/peer/jpeg-decoder", "jpeg/peer/libjpeg-turbo",
                                           "jpeg/peer/pillow", "jpeg/malformed/jpeg-decoder",
                                           "jpeg/malformed/pillow-jpeg"),
                         FolderName);

// The peer files libjpeg decodes, each with a red-green swapping profile in a JFXX
// segment before its own: decoded on the left, on the right matched as LittleCMS
// matches the records the plug-in hands the engine (each byte in the high half).
class JpegSweepMatchedTest : public JpegSweepTest {};

TEST_P(JpegSweepMatchedTest, WithAnEmbeddedProfileEachDecodedFileIsMatched) {
  ChooseSrgbMonitor();
  std::string monitor = e2e::EngineSrgbProfile(ZirnHome());
  ASSERT_FALSE(monitor.empty());
  Bytes icc = viewertest::ReadBytes(viewertest::kSwappedProfile);
  int nShown = 0;
  for (const fs::path& file : Files()) {
    std::string name = file.lexically_relative(ZELVW_TEST_DATA).string();
    Bytes bytes = viewertest::ReadBytes(file);
    Decoded reference = DecodeWithLibjpeg(bytes);
    if (!reference.bOk) continue;
    ++nShown;
    Show(viewertest::WithJfxxProfile(bytes, icc), reference, name);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(m_messages.empty()) << name << Texts(m_messages);
    std::vector<uint32_t> matched = MatchedLikeTheEngine(reference, icc, monitor);
    ASSERT_EQ(matched.size(), reference.pixels.size()) << name;
    ExpectArea(0, reference.width, reference.height, reference.pixels, 0, name + " decoded");
    ExpectArea(reference.width, reference.width, reference.height, matched, 1, name + " matched");
    EXPECT_FALSE(DrawnFrom(2 * reference.width)) << name;
  }
  EXPECT_GT(nShown, 0);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegSweepMatchedTest,
                         ::testing::Values("jpeg/peer/jpeg-decoder", "jpeg/peer/libjpeg-turbo",
                                           "jpeg/peer/pillow"),
                         FolderName);

// Every test JPEG with standard ICC_PROFILE segments and what one folder run of
// jfxx-embed --from-icc makes of it: converted, or refused with libjpeg's reason. A
// converted profile that LittleCMS cannot use either fails in the engine too.
struct IccJpeg {
  const char* file;
  const char* refusal;  // null: converted
  bool bUsable = true;
};
constexpr char kBadIcc[] = "libjpeg refuses its ICC profile: Corrupt JPEG data: bad ICC marker";
const IccJpeg kIccJpegs[] = {
    {"jpeg/peer/jpeg-decoder/mozilla/jpg-srgb-icc.jpg", nullptr},
    {"jpeg/peer/jpeg-decoder/partial_progressive.jpg", nullptr, false},  // a tag type misspelt
    {"jpeg/peer/pillow/icc_profile_big.jpg", nullptr},
    {"jpeg/peer/pillow/jpeg_ff00_header.jpg", nullptr},  // stray bytes before a marker
    {"jpeg/peer/pillow/pil_sample_rgb.jpg", nullptr},
    {"jpeg/peer/pillow/rgb.jpg", nullptr},
    {"jpeg/peer/pillow/ultrahdr.jpg", nullptr},
    {"jpeg/malformed/pillow-jpeg/truncated_app14.jpg", nullptr},
    {"jpeg/peer/libjpeg-turbo/monkey12.jpg",
     "libjpeg refuses the file: Unsupported JPEG data precision 12"},
    {"jpeg/peer/pillow/icc-after-SOF.jpg", kBadIcc},  // chunk 1 of 1 twice
    {"jpeg/malformed/jpeg-decoder/derive-huffman-codes-overflow.jpg",
     "libjpeg refuses the file: Bogus Huffman table definition"},
    {"jpeg/malformed/jpeg-decoder/icc/icc_chunk_count_mismatch.jpeg", kBadIcc},
    {"jpeg/malformed/jpeg-decoder/icc/icc_chunk_double_seq_no.jpeg", kBadIcc},
    {"jpeg/malformed/jpeg-decoder/icc/icc_chunk_order.jpeg",
     "the profile's size field is not its length"},
    {"jpeg/malformed/jpeg-decoder/icc/icc_chunk_seq_no_0.jpeg", kBadIcc},
    {"jpeg/malformed/jpeg-decoder/icc/icc_missing_chunk.jpeg", kBadIcc},
};

class JpegIccPreparedTest : public JpegShowTest {};

TEST_F(JpegIccPreparedTest, FolderRunConvertsWhatLibjpegAcceptsAndTheViewerMatchesIt) {
  // The table holds every test JPEG with an ICC_PROFILE segment.
  const char kIdentifier[] = "ICC_PROFILE";
  std::vector<std::string> withIcc, inTable;
  for (const fs::path& file : FilesUnder(std::string(ZELVW_TEST_DATA) + "/jpeg")) {
    Bytes bytes = viewertest::ReadBytes(file);
    auto at =
        std::search(bytes.begin(), bytes.end(), kIdentifier, kIdentifier + sizeof kIdentifier);
    if (at != bytes.end()) withIcc.push_back(file.lexically_relative(ZELVW_TEST_DATA).string());
  }
  for (const IccJpeg& c : kIccJpegs) inTable.push_back(c.file);
  std::sort(inTable.begin(), inTable.end());
  EXPECT_EQ(withIcc, inTable);

  std::string folder = m_scratch / "prepared";
  fs::create_directory(folder);
  std::string command = e2e::ShellQuoted(ZELVW_JFXX_EMBED) + " --from-icc";
  for (const IccJpeg& c : kIccJpegs)
    command += " " + e2e::ShellQuoted(std::string(ZELVW_TEST_DATA) + "/" + c.file);
  std::string errorFile = m_scratch / "embed-errors.txt";
  int status = std::system((command + " " + e2e::ShellQuoted(folder) + " 2>" + errorFile).c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  Bytes errorBytes = viewertest::ReadBytes(errorFile);
  std::string errors(errorBytes.begin(), errorBytes.end());
  EXPECT_NE(errors.find("jfxx-embed: 8 of 16 files not converted\n"), std::string::npos) << errors;

  ChooseSrgbMonitor();
  std::string monitor = e2e::EngineSrgbProfile(ZirnHome());
  ASSERT_FALSE(monitor.empty());
  for (const IccJpeg& c : kIccJpegs) {
    std::string original = std::string(ZELVW_TEST_DATA) + "/" + c.file;
    std::string prepared = folder + "/" + fs::path(c.file).filename().string();
    if (c.refusal != nullptr) {
      EXPECT_NE(errors.find("jfxx-embed: " + original + ": " + c.refusal), std::string::npos)
          << errors;
      EXPECT_FALSE(fs::exists(prepared)) << c.file;
      continue;
    }
    EXPECT_EQ(errors.find(original), std::string::npos) << errors;
    Decoded reference = DecodeWithLibjpeg(viewertest::ReadBytes(original));
    ASSERT_TRUE(reference.bOk) << c.file;
    ASSERT_FALSE(reference.icc.empty()) << c.file;
    Show(viewertest::ReadBytes(prepared), reference, c.file);
    if (HasFatalFailure()) return;
    std::vector<uint32_t> matched = MatchedLikeTheEngine(reference, reference.icc, monitor);
    std::string name = c.file;
    ExpectArea(0, reference.width, reference.height, reference.pixels, 0, name + " decoded");
    if (!c.bUsable) {
      EXPECT_TRUE(matched.empty()) << c.file;
      ASSERT_FALSE(m_messages.empty()) << c.file;
      EXPECT_EQ(m_messages.back().text, "Failed in Matching") << c.file;
      EXPECT_FALSE(DrawnFrom(reference.width)) << c.file;
      continue;
    }
    for (const auto& m : m_messages)
      EXPECT_TRUE(IsScanMessage(m.text)) << c.file << Texts(m_messages);
    ASSERT_EQ(matched.size(), reference.pixels.size()) << c.file;
    ExpectArea(reference.width, reference.width, reference.height, matched, 1, name + " matched");
  }
}

}  // namespace
