// CDIB: construction, BMP reading (files written by djpeg, and hostile ones),
// drawing at scroll offsets, printing, quantizing and the bitmap's own palette.
#include "bitmap/Dib.h"
#include "bitmap/Quantize.h"

#include <platform/person.h>
#include <platform/printer.h>
#include <platform/screen.h>
#include <platform/surface.h>
#include <platform/testing.h>

#include <gtest/gtest.h>

#include <array>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../support/guarded_buffer.h"

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb FromSurface(std::uint32_t pixel) {
  return {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
}

// The NPAPI modes Draw is given: embedded in a page, or the whole browser window.
constexpr int kEmbedded = 1;
constexpr int kFullPage = 2;
constexpr std::uint32_t kBackground = 0x00123456;
const Rgb kBackgroundRgb = FromSurface(kBackground);

class RecordingPerson : public platform::Person {
 public:
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    texts.push_back(text);
    styles.push_back(style);
    return IDOK;
  }
  std::vector<std::string> texts;
  std::vector<unsigned> styles;
};

class DibTest : public ::testing::Test {
 protected:
  void SetUp() override { m_pPrevious = platform::SetPerson(&person); }
  void TearDown() override {
    platform::faults::FailNthGlobalAlloc(0);
    platform::faults::SetGlobalAllocLimit(0);
    platform::SetPerson(m_pPrevious);
  }

  RecordingPerson person;

 private:
  platform::Person* m_pPrevious = nullptr;
};

size_t RowBytes(int bits, int width) { return (size_t(bits) * size_t(width) + 31) / 32 * 4; }

std::vector<BYTE> BlockBytes(HGLOBAL h) {
  std::vector<BYTE> bytes(GlobalSize(h));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), GlobalLock(h), bytes.size());
    GlobalUnlock(h);
  }
  return bytes;
}

HGLOBAL BlockOf(const std::vector<BYTE>& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

const RGBQUAD* Table(const CDIB& dib) { return reinterpret_cast<const RGBQUAD*>(dib.m_pInfo + 1); }

// 24-bit pixels stored bottom-up; colour(x, y) with y counted from the top.
using ColourAt = std::function<Rgb(int x, int y)>;

HGLOBAL Pixels24(int width, int height, const ColourAt& colour) {
  std::vector<BYTE> bytes(RowBytes(24, width) * size_t(height), 0);
  for (int y = 0; y < height; ++y) {
    BYTE* row = bytes.data() + size_t(height - 1 - y) * RowBytes(24, width);
    for (int x = 0; x < width; ++x) {
      Rgb c = colour(x, y);
      row[3 * x] = BYTE(c.b);
      row[3 * x + 1] = BYTE(c.g);
      row[3 * x + 2] = BYTE(c.r);
    }
  }
  return BlockOf(bytes);
}

// What the decoders do: Create, SetBitCount(24), then their own pixel block.
std::unique_ptr<CDIB> MakeDib24(int width, int height, const ColourAt& colour) {
  auto dib = std::make_unique<CDIB>();
  EXPECT_TRUE(dib->Create(width, height));
  dib->SetBitCount(24);
  GlobalFree(dib->m_hBits);
  dib->m_hBits = Pixels24(width, height, colour);
  return dib;
}

Rgb Pattern(int x, int y) {
  return {(x * 37 + y * 11) & 0xFF, (x * 5 + y * 71) & 0xFF, (x * y * 13 + 7) & 0xFF};
}
Rgb Solid(int r, int g, int b, int, int) { return {r, g, b}; }

// What must survive a failed operation.
struct Snapshot {
  explicit Snapshot(const CDIB& dib)
      : pInfo(dib.m_pInfo),
        hBits(dib.m_hBits),
        hMatched(dib.m_hMatchedBits),
        pPalette(dib.m_pPalette),
        info(reinterpret_cast<const BYTE*>(dib.m_pInfo),
             reinterpret_cast<const BYTE*>(dib.m_pInfo) + kDibInfoBytes),
        bits(BlockBytes(dib.m_hBits)),
        nRowBytes(dib.m_nRowBytes) {}
  void ExpectSame(const CDIB& dib) const {
    EXPECT_EQ(dib.m_pInfo, pInfo);
    EXPECT_EQ(dib.m_hBits, hBits);
    EXPECT_EQ(dib.m_hMatchedBits, hMatched);
    EXPECT_EQ(dib.m_pPalette, pPalette);
    EXPECT_EQ(dib.m_nRowBytes, nRowBytes);
    EXPECT_EQ(0, std::memcmp(dib.m_pInfo, info.data(), kDibInfoBytes))
        << "header or colour table changed";
    EXPECT_EQ(BlockBytes(dib.m_hBits), bits) << "pixels changed";
  }
  LPBITMAPINFOHEADER pInfo;
  HGLOBAL hBits, hMatched;
  CPalette* pPalette;
  std::vector<BYTE> info, bits;
  LONG nRowBytes;
};

// ---------------------------------------------------------------- files

// CTest runs each test in its own process, several at once: names must not collide.
std::string TempPath(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "dib_test_" + std::to_string(getpid()) + "_" + test->name() + "_" +
         name;
}

void WriteFile(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<BYTE> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads bytes (written to a file, from offset skip) into dib.
BOOL ReadBytes(CDIB& dib, const std::vector<BYTE>& bytes, ULONGLONG skip = 0) {
  std::string path = TempPath("read.bmp");
  WriteFile(path, bytes);
  CFile file(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
  file.Seek(LONGLONG(skip), CFile::begin);
  return dib.Read(&file);
}

std::string TestJpeg(const std::string& name) {
  const char* dir = std::getenv("ZELVW_TEST_DATA");
  return std::string(dir != nullptr ? dir : "tests/data") + "/bmp/" + name;
}

// djpeg's output for a test JPEG: -bmp, -os2 or -pnm.
std::vector<BYTE> Djpeg(const std::string& format, const std::string& jpeg) {
  std::string out = TempPath("djpeg" + format + ".out");
  std::string command =
      std::string(ZELVW_DJPEG) + " " + format + " -outfile '" + out + "' '" + TestJpeg(jpeg) + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return ReadFileBytes(out);
}

// A picture from a binary PNM (P5 grey or P6 colour), top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Rgb At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture ParsePnm(const std::vector<BYTE>& bytes) {
  Picture picture;
  std::string text(bytes.begin(), bytes.end());
  int maxval = 0;
  char magic[3] = {};
  int consumed = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%2s %d %d %d%n", magic, &picture.width, &picture.height,
                        &maxval, &consumed),
            4);
  EXPECT_EQ(maxval, 255);
  bool grey = std::string(magic) == "P5";
  size_t at = size_t(consumed) + 1;  // one whitespace byte after maxval
  size_t n = size_t(picture.width) * size_t(picture.height);
  if (bytes.size() != at + n * (grey ? 1 : 3)) {
    ADD_FAILURE() << "not a PNM of " << picture.width << " x " << picture.height;
    return Picture{};
  }
  for (size_t i = 0; i < n; ++i) {
    if (grey) {
      int v = bytes[at++];
      picture.pixels.push_back({v, v, v});
    } else {
      picture.pixels.push_back({bytes[at], bytes[at + 1], bytes[at + 2]});
      at += 3;
    }
  }
  return picture;
}

// ---------------------------------------------------------------- BMP builder

template <typename T>
void Append(std::vector<BYTE>& out, const T& value) {
  const BYTE* p = reinterpret_cast<const BYTE*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

// A BMP file written field by field, so a test can make any field lie.
struct Bmp {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  bool core = false;  // a 12-byte OS/2 header made from info's fields
  std::vector<BYTE> table;
  std::vector<BYTE> pixels;

  // A consistent file: sizes from the content.
  static Bmp Make(int width, int height, WORD bits, DWORD colours, bool core = false) {
    Bmp bmp;
    bmp.core = core;
    bmp.info.biSize = core ? sizeof(BITMAPCOREHEADER) : sizeof(BITMAPINFOHEADER);
    bmp.info.biWidth = width;
    bmp.info.biHeight = height;
    bmp.info.biPlanes = 1;
    bmp.info.biBitCount = bits;
    size_t entry = core ? 3 : 4;
    for (DWORD i = 0; i < colours; ++i) {
      BYTE quad[4] = {BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
      bmp.table.insert(bmp.table.end(), quad, quad + entry);
    }
    for (size_t i = 0; i < RowBytes(bits, width) * size_t(height < 0 ? -height : height); ++i) {
      bmp.pixels.push_back(BYTE(i * 7 + 1));
    }
    bmp.file.bfType = 0x4D42;
    bmp.Fix();
    return bmp;
  }
  void Fix() {
    file.bfOffBits = DWORD(14 + (core ? 12 : 40) + table.size());
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
  }
  std::vector<BYTE> Bytes() const {
    std::vector<BYTE> out;
    Append(out, file);
    if (core) {
      BITMAPCOREHEADER bc{info.biSize, WORD(info.biWidth), WORD(info.biHeight), info.biPlanes,
                          info.biBitCount};
      Append(out, bc);
    } else {
      Append(out, info);
    }
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

// ---------------------------------------------------------------- device contexts

// A memory device context over a surface filled with kBackground.
class SurfaceDC {
 public:
  SurfaceDC(int width, int height) : surface(width, height, kBackground) {
    m_hDC = platform::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, width, height});
    dc.Attach(m_hDC);
  }
  ~SurfaceDC() {
    dc.Detach();
    DeleteDC(m_hDC);
  }
  Rgb At(int x, int y) const { return FromSurface(surface.Pixel(x, y)); }
  void Clear() { surface.Fill(RECT{0, 0, surface.Width(), surface.Height()}, kBackground); }

  platform::Surface surface;
  CDC dc;

 private:
  HDC m_hDC;
};

// Pixel (px, py) of the window shows picture pixel (px + x, py + y), and the
// background beyond the picture.
void ExpectScrolled(const SurfaceDC& target, int x, int y, int width, int height,
                    const ColourAt& picture) {
  for (int py = 0; py < target.surface.Height(); ++py) {
    for (int px = 0; px < target.surface.Width(); ++px) {
      bool inside = px + x < width && py + y < height;
      Rgb expected = inside ? picture(px + x, py + y) : kBackgroundRgb;
      ASSERT_EQ(target.At(px, py), expected)
          << "window pixel (" << px << "," << py << ") at offset (" << x << "," << y << ")";
    }
  }
}

// ================================================================ construction

TEST_F(DibTest, FreshDibIsA16By16GreyImageOfZeroPixels) {
  CDIB dib;
  EXPECT_EQ(dib.Width(), 16);
  EXPECT_EQ(dib.Height(), 16);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(dib.NumColors(), 256);
  EXPECT_EQ(dib.m_pPalette, nullptr);
  EXPECT_EQ(dib.m_hMatchedBits, nullptr);
  EXPECT_EQ(dib.m_pInfo->biSize, 40u);
  EXPECT_EQ(dib.m_pInfo->biPlanes, 1);
  EXPECT_EQ(dib.m_pInfo->biCompression, DWORD(BI_RGB));
  EXPECT_EQ(dib.m_pInfo->biClrUsed, 0u);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = Table(dib)[i];
    ASSERT_EQ((std::vector<int>{q.rgbRed, q.rgbGreen, q.rgbBlue, q.rgbReserved}),
              (std::vector<int>{i, i, i, 0}))
        << i;
  }
  EXPECT_EQ(BlockBytes(dib.m_hBits), std::vector<BYTE>(256, 0));
}

TEST_F(DibTest, RegistersASerialClassNamedCDIBWithSchema0) {
  CRuntimeClass* record = CRuntimeClass::FromName("CDIB");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->m_wSchema, 0u);
  EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CObject));
  std::unique_ptr<CObject> object(record->CreateObject());
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CDIB));
  EXPECT_TRUE(object->IsSerializable());
  EXPECT_EQ(static_cast<CDIB*>(object.get())->Width(), 16);
}

TEST_F(DibTest, ConstructionWithoutMemoryThrowsAndLeavesNothing) {
  platform::faults::FailNthGlobalAlloc(1);
  CDIB* dib = nullptr;
  try {
    dib = new CDIB;
    ADD_FAILURE() << "no exception";
  } catch (CMemoryException* e) {
    e->Delete();
  }
  delete dib;
}

TEST_F(DibTest, DestructorReleasesEveryBlockAndThePalette) {
  std::size_t gdiObjects = platform::testing::LiveGdiObjects();
  {
    auto dib = MakeDib24(4, 4, Pattern);
    dib->m_hMatchedBits = Pixels24(4, 4, Pattern);
    dib->SetBitCount(8);
    ASSERT_TRUE(dib->MakePalette(nullptr));
    EXPECT_EQ(platform::testing::LiveGdiObjects(), gdiObjects + 1);
  }
  EXPECT_EQ(platform::testing::LiveGdiObjects(), gdiObjects);
}

// ================================================================ Create

TEST_F(DibTest, CreateMakesRowsOfWidthRoundedUpToFour) {
  CDIB dib;
  HGLOBAL hMatched = Pixels24(2, 2, Pattern);
  dib.m_hMatchedBits = hMatched;
  for (int width : {1, 4, 5, 7, 8}) {
    ASSERT_TRUE(dib.Create(width, 3));
    EXPECT_EQ(GlobalSize(dib.m_hBits), RowBytes(8, width) * 3) << width;
    EXPECT_EQ(dib.Width(), width);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.m_pInfo->biSizeImage, 0u);
  }
  EXPECT_EQ(dib.m_hMatchedBits, hMatched);
  EXPECT_EQ(dib.m_nRowBytes, 0);
  ASSERT_TRUE(dib.Create(0, 0));
  EXPECT_EQ(GlobalSize(dib.m_hBits), 0u);
}

TEST_F(DibTest, CreateThatCannotAllocateKeepsThePreviousImage) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(9, 5));
  Snapshot before(dib);
  platform::faults::FailNthGlobalAlloc(1);
  EXPECT_FALSE(dib.Create(20, 20));
  before.ExpectSame(dib);
  platform::faults::SetGlobalAllocLimit(1000);
  EXPECT_FALSE(dib.Create(0x7FFFFFFF, 0x7FFFFFFF));
  before.ExpectSame(dib);
  EXPECT_FALSE(dib.Create(-4, 4));
  EXPECT_FALSE(dib.Create(4, -4));
  before.ExpectSame(dib);
}

// ================================================================ header queries

TEST_F(DibTest, NumColorsFollowsBitCountAndClrUsed) {
  CDIB dib;
  const std::pair<WORD, int> counts[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}};
  for (auto [bits, colours] : counts) {
    dib.SetBitCount(bits);
    EXPECT_EQ(dib.NumColors(), colours) << bits;
  }
  dib.SetBitCount(8);
  dib.m_pInfo->biClrUsed = 16;
  EXPECT_EQ(dib.NumColors(), 16);
}

TEST_F(DibTest, CoreHeadersCountColoursFromTheirOwnBitCount) {
  BITMAPCOREHEADER core{12, 3, 3, 1, 8};
  EXPECT_FALSE(IsWin30DIB(&core));
  EXPECT_EQ(DIBNumColors(&core), 256u);
  EXPECT_EQ(PaletteSize(&core), 768u);
  core.bcBitCount = 4;
  EXPECT_EQ(DIBNumColors(&core), 16u);
  core.bcBitCount = 24;
  EXPECT_EQ(DIBNumColors(&core), 0u);
  EXPECT_EQ(FindDIBBits(&core), reinterpret_cast<BYTE*>(&core) + 12);

  BITMAPINFOHEADER info{};
  info.biSize = 40;
  info.biBitCount = 1;
  EXPECT_TRUE(IsWin30DIB(&info));
  EXPECT_EQ(PaletteSize(&info), 8u);
  info.biClrUsed = 7;
  EXPECT_EQ(FindDIBBits(&info), reinterpret_cast<BYTE*>(&info) + 40 + 28);
}

// An OS/2 header at the very end of readable memory: its 12 bytes are all there is.
TEST(DibGuardTest, CoreHeadersAreReadNoFurtherThanTheirOwnBytes) {
  const struct {
    WORD bits;
    DWORD colours;
  } cases[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}};
  for (auto [bits, colours] : cases) {
    BITMAPCOREHEADER core{12, 3, 3, 1, bits};
    testsupport::GuardedInput header(&core, sizeof core);
    auto* pHeader = const_cast<std::uint8_t*>(header.Data());
    EXPECT_FALSE(IsWin30DIB(pHeader));
    EXPECT_EQ(DIBNumColors(pHeader), colours) << bits;
    EXPECT_EQ(PaletteSize(pHeader), colours * 3) << bits;
    EXPECT_EQ(FindDIBBits(pHeader), pHeader + 12 + colours * 3) << bits;
  }
}

TEST_F(DibTest, InvertHeightFlipsTheRowOrderAndTwiceRestoresIt) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(3, 7));
  EXPECT_EQ(dib.InvertHeight(), dib.m_pInfo);
  EXPECT_EQ(dib.m_pInfo->biHeight, -7);
  EXPECT_EQ(dib.Height(), 7);
  dib.InvertHeight();
  EXPECT_EQ(dib.m_pInfo->biHeight, 7);
}

// ================================================================ Read

TEST_F(DibTest, ReadsTheColourBmpDjpegWrites) {
  std::vector<BYTE> file = Djpeg("-bmp", "jpg-size-17x17.jpg");
  ASSERT_GT(file.size(), 54u);
  CDIB dib;
  HGLOBAL hMatched = Pixels24(1, 1, Pattern);
  dib.m_hMatchedBits = hMatched;
  ASSERT_TRUE(ReadBytes(dib, file));
  EXPECT_EQ(dib.Width(), 17);
  EXPECT_EQ(dib.Height(), 17);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.NumColors(), 0);
  EXPECT_EQ(dib.m_nRowBytes, 52);
  EXPECT_EQ(BlockBytes(dib.m_hBits), std::vector<BYTE>(file.begin() + 54, file.end()));
  EXPECT_EQ(dib.m_hMatchedBits, hMatched);
  EXPECT_EQ(dib.m_pPalette, nullptr);
}

TEST_F(DibTest, OS2AndWindowsBmpsOfOneImageReadAlike) {
  for (const char* jpeg : {"jpg-size-17x17.jpg", "jpg-gray.jpg"}) {
    SCOPED_TRACE(jpeg);
    CDIB windows, os2;
    ASSERT_TRUE(ReadBytes(windows, Djpeg("-bmp", jpeg)));
    ASSERT_TRUE(ReadBytes(os2, Djpeg("-os2", jpeg)));
    EXPECT_EQ(os2.Width(), windows.Width());
    EXPECT_EQ(os2.Height(), windows.Height());
    EXPECT_EQ(os2.BitCount(), windows.BitCount());
    EXPECT_EQ(os2.m_pInfo->biSize, 40u);
    EXPECT_EQ(os2.m_pInfo->biClrUsed, 0u);
    EXPECT_EQ(os2.m_nRowBytes, windows.m_nRowBytes);
    EXPECT_EQ(BlockBytes(os2.m_hBits), BlockBytes(windows.m_hBits));
    EXPECT_EQ(0, std::memcmp(Table(os2), Table(windows), 256 * sizeof(RGBQUAD)));
  }
}

TEST_F(DibTest, OS2TableEntriesAreBlueGreenRed) {
  Bmp bmp = Bmp::Make(3, 2, 8, 256, true);
  CDIB dib;
  ASSERT_TRUE(ReadBytes(dib, bmp.Bytes()));
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = Table(dib)[i];
    ASSERT_EQ((std::vector<int>{q.rgbBlue, q.rgbGreen, q.rgbRed, q.rgbReserved}),
              (std::vector<int>{bmp.table[3 * i], bmp.table[3 * i + 1], bmp.table[3 * i + 2], 0}))
        << i;
  }
}

TEST_F(DibTest, ReadsFromTheFilesCurrentPosition) {
  Bmp bmp = Bmp::Make(5, 3, 8, 16);
  bmp.info.biClrUsed = 16;
  std::vector<BYTE> bytes(7, 0xEE);
  std::vector<BYTE> body = bmp.Bytes();
  bytes.insert(bytes.end(), body.begin(), body.end());
  CDIB dib;
  ASSERT_TRUE(ReadBytes(dib, bytes, 7));
  EXPECT_EQ(dib.NumColors(), 16);
  EXPECT_EQ(dib.m_nRowBytes, 8);
  EXPECT_EQ(BlockBytes(dib.m_hBits), bmp.pixels);
  EXPECT_EQ(0, std::memcmp(Table(dib), bmp.table.data(), bmp.table.size()));
}

TEST_F(DibTest, ReadsASmallOS2FileThatEndsBefore40HeaderBytes) {
  Bmp bmp = Bmp::Make(1, 1, 1, 2, true);
  ASSERT_LT(bmp.Bytes().size(), 14u + 40u);
  CDIB dib;
  ASSERT_TRUE(ReadBytes(dib, bmp.Bytes()));
  EXPECT_EQ(dib.BitCount(), 1);
  EXPECT_EQ(dib.NumColors(), 2);
  EXPECT_EQ(dib.m_nRowBytes, 4);
}

TEST_F(DibTest, RefusesWhatItCannotHoldAndKeepsThePreviousImage) {
  struct Case {
    const char* name;
    std::function<std::vector<BYTE>()> bytes;
  };
  auto edited = [](std::function<void(Bmp&)> edit, WORD bits = 8, bool core = false) {
    return [=] {
      Bmp bmp = Bmp::Make(4, 2, bits, bits <= 8 ? 1u << bits : 0u, core);
      edit(bmp);
      return bmp.Bytes();
    };
  };
  auto truncated = [](size_t cut, bool core) {
    return [=] {
      std::vector<BYTE> bytes = Bmp::Make(4, 2, 8, 256, core).Bytes();
      bytes.resize(bytes.size() - cut);
      return bytes;
    };
  };
  const Case cases[] = {
      {"empty file", [] { return std::vector<BYTE>(); }},
      {"file header only",
       [] {
         std::vector<BYTE> bytes = Bmp::Make(4, 2, 8, 256).Bytes();
         bytes.resize(14);
         return bytes;
       }},
      {"not BM", edited([](Bmp& b) { b.file.bfType = 0x4142; })},
      {"header size 108", edited([](Bmp& b) { b.info.biSize = 108; })},
      {"header size 0", edited([](Bmp& b) { b.info.biSize = 0; })},
      {"16 bits", edited([](Bmp& b) { b.info.biBitCount = 16; }, 24)},
      {"32 bits", edited([](Bmp& b) { b.info.biBitCount = 32; }, 24)},
      {"2 bits", edited([](Bmp& b) { b.info.biBitCount = 2; })},
      {"run-length compression", edited([](Bmp& b) { b.info.biCompression = 1; })},
      {"257 colours", edited([](Bmp& b) {
         b.info.biClrUsed = 257;
         b.table.resize(257 * 4);
         b.Fix();
       })},
      {"width 0", edited([](Bmp& b) { b.info.biWidth = 0; })},
      {"negative width", edited([](Bmp& b) { b.info.biWidth = -4; })},
      {"height 0", edited([](Bmp& b) { b.info.biHeight = 0; })},
      {"OS/2 width 0", edited([](Bmp& b) { b.info.biWidth = 0; }, 8, true)},
      {"huge 24-bit rows", edited([](Bmp& b) { b.info.biWidth = 0x7FFFFFFF; }, 24)},
      {"huge height", edited([](Bmp& b) { b.info.biHeight = -0x7FFFFFFF - 1; })},
      {"huge 8-bit image", edited([](Bmp& b) {
         b.info.biWidth = 100000;
         b.info.biHeight = 100000;
       })},
      {"bfOffBits past bfSize", edited([](Bmp& b) { b.file.bfOffBits = b.file.bfSize + 1; })},
      {"fewer pixel bytes than rows", edited([](Bmp& b) { b.file.bfSize -= 1; })},
      {"bfSize past the end of the file", edited([](Bmp& b) { b.file.bfSize += 1; })},
      {"bfSize of 4 GiB", edited([](Bmp& b) { b.file.bfSize = 0xFFFFFFFF; })},
      {"colour table runs into the pixels", edited([](Bmp& b) {
         b.file.bfOffBits -= 4;
         b.file.bfSize -= 4;
       })},
      {"OS/2 colour table runs into the pixels", edited(
                                                     [](Bmp& b) {
                                                       b.file.bfOffBits -= 3;
                                                       b.file.bfSize -= 3;
                                                     },
                                                     8, true)},
      {"truncated pixels", truncated(1, false)},
      {"truncated OS/2 pixels", truncated(1, true)},
      {"truncated in the colour table", truncated(8 + 100, false)},
      {"truncated in the OS/2 colour table", truncated(8 + 100, true)},
      {"truncated Windows header",
       [] {
         std::vector<BYTE> bytes = Bmp::Make(4, 2, 8, 256).Bytes();
         bytes.resize(14 + 39);
         return bytes;
       }},
      {"truncated OS/2 header",
       [] {
         std::vector<BYTE> bytes = Bmp::Make(4, 2, 8, 256, true).Bytes();
         bytes.resize(14 + 11);
         return bytes;
       }},
  };
  CDIB dib;
  ASSERT_TRUE(ReadBytes(dib, Bmp::Make(3, 3, 24, 0).Bytes()));
  dib.m_hMatchedBits = Pixels24(3, 3, Pattern);
  Snapshot before(dib);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ReadBytes(dib, c.bytes()));
    before.ExpectSame(dib);
  }
}

TEST_F(DibTest, ReadThatCannotAllocateKeepsThePreviousImage) {
  CDIB dib;
  Snapshot before(dib);
  platform::faults::FailNthGlobalAlloc(1);
  EXPECT_FALSE(ReadBytes(dib, Bmp::Make(4, 2, 8, 256).Bytes()));
  before.ExpectSame(dib);
}

// ================================================================ Draw

TEST_F(DibTest, DrawsBmpsDjpegWritesAtScrollOffsetsAsDjpegDecodes) {
  for (const char* jpeg : {"jpg-size-17x17.jpg", "jpg-gray.jpg"}) {
    Picture picture = ParsePnm(Djpeg("-pnm", jpeg));
    ASSERT_GT(picture.width, 0);
    for (const char* format : {"-bmp", "-os2"}) {
      SCOPED_TRACE(std::string(jpeg) + " " + format);
      CDIB dib;
      ASSERT_TRUE(ReadBytes(dib, Djpeg(format, jpeg)));
      ASSERT_EQ(dib.Width(), picture.width);
      SurfaceDC window(12, 10);
      const std::pair<int, int> offsets[] = {
          {0, 0}, {5, 0}, {0, 7}, {3, 9}, {picture.width - 1, picture.height - 1}};
      for (auto [x, y] : offsets) {
        window.Clear();
        dib.Draw(&window.dc, x, y, kEmbedded);
        ExpectScrolled(window, x, y, picture.width, picture.height,
                       [&](int px, int py) { return picture.At(px, py); });
      }
    }
  }
}

TEST_F(DibTest, TopDownAndBottomUpCopiesScrollAlike) {
  const int w = 9, h = 13;
  auto bottomUp = MakeDib24(w, h, Pattern);
  // The same picture stored top row first, as the TIFF path leaves it.
  auto topDown = MakeDib24(w, h, [&](int x, int y) { return Pattern(x, h - 1 - y); });
  topDown->InvertHeight();
  SurfaceDC a(6, 8), b(6, 8);
  const std::pair<int, int> offsets[] = {{0, 0}, {0, 1}, {0, 5}, {2, 0}, {3, 4}, {8, 12}};
  for (auto [x, y] : offsets) {
    a.Clear();
    b.Clear();
    bottomUp->Draw(&a.dc, x, y, kEmbedded);
    topDown->Draw(&b.dc, x, y, kEmbedded);
    ExpectScrolled(a, x, y, w, h, Pattern);
    ExpectScrolled(b, x, y, w, h, Pattern);
  }
}

TEST_F(DibTest, EmbeddedModeDrawsTheMatchedPixelsAlone) {
  auto dib = MakeDib24(4, 3, [](int x, int y) { return Solid(200, 0, 0, x, y); });
  SurfaceDC window(10, 5);
  dib->Draw(&window.dc, 0, 0, kEmbedded);
  ExpectScrolled(window, 0, 0, 4, 3, [](int x, int y) { return Solid(200, 0, 0, x, y); });

  dib->m_hMatchedBits = Pixels24(4, 3, [](int x, int y) { return Solid(0, 0, 200, x, y); });
  window.Clear();
  dib->Draw(&window.dc, 1, 1, kEmbedded);
  ExpectScrolled(window, 1, 1, 4, 3, [](int x, int y) { return Solid(0, 0, 200, x, y); });
}

// Full page: one picture twice as wide, decoded then matched, of which the window
// shows the columns from the horizontal offset on.
TEST_F(DibTest, SideBySideModeScrollsBothImagesAsOnePicture) {
  auto dib = MakeDib24(4, 3, [](int x, int y) { return Solid(200, 0, 0, x, y); });
  SurfaceDC window(12, 5);
  dib->Draw(&window.dc, 0, 0, kFullPage);
  ExpectScrolled(window, 0, 0, 4, 3, [](int x, int y) { return Solid(200, 0, 0, x, y); });

  dib->m_hMatchedBits = Pixels24(4, 3, [](int x, int y) { return Solid(0, 0, 200, x, y); });
  for (int x : {0, 3, 6}) {
    window.Clear();
    dib->Draw(&window.dc, x, 1, kFullPage);
    for (int py = 0; py < 5; ++py) {
      for (int px = 0; px < 12; ++px) {
        int column = px + x;  // of the double-width picture
        Rgb expected = py >= 2      ? kBackgroundRgb
                       : column < 4 ? Rgb{200, 0, 0}
                       : column < 8 ? Rgb{0, 0, 200}
                                    : kBackgroundRgb;
        ASSERT_EQ(window.At(px, py), expected) << x << ": " << px << "," << py;
      }
    }
  }
}

TEST_F(DibTest, DrawPaintsNoBlockSmallerThanItsHeaderSays) {
  // The placeholder's 8-bit block under a 24-bit header, as a decoder leaves it
  // when it cannot hand over its own pixels.
  CDIB dib;
  dib.SetBitCount(24);
  SurfaceDC window(20, 20);
  dib.Draw(&window.dc, 0, 0, kEmbedded);
  ExpectScrolled(window, 0, 0, 0, 0, Pattern);
  dib.m_hMatchedBits = GlobalAlloc(GMEM_MOVEABLE, 10);
  dib.Draw(&window.dc, 0, 0, kFullPage);
  ExpectScrolled(window, 0, 0, 0, 0, Pattern);
}

// ================================================================ Print

struct PrintedPlacement {
  RECT destination{};
  int stretchMode = 0;
  int mapMode = 0;
};

PrintedPlacement PrintOnPage(CDIB& dib, double widthInches, double heightInches, int dpi) {
  platform::PrinterSetup setup;
  setup.pageWidthInches = widthInches;
  setup.pageHeightInches = heightInches;
  setup.dpi = dpi;
  HDC hPrinter = platform::CreatePrinterDC(setup);
  EXPECT_NE(hPrinter, nullptr);
  CDC dc;
  dc.Attach(hPrinter);
  DOCINFOA info{sizeof(DOCINFOA), "dib_test", nullptr, nullptr, 0};
  StartDoc(hPrinter, &info);
  StartPage(hPrinter);
  dib.Print(&dc);
  PrintedPlacement placement;
  placement.stretchMode = GetStretchBltMode(hPrinter);
  placement.mapMode = GetMapMode(hPrinter);
  EndPage(hPrinter);
  EndDoc(hPrinter);
  std::optional<platform::PrintJobRecord> job = platform::GetPrintJob(hPrinter);
  dc.Detach();
  DeleteDC(hPrinter);
  EXPECT_TRUE(job.has_value());
  if (job && job->pages.size() == 1 && job->pages[0].images.size() == 1) {
    placement.destination = job->pages[0].images[0].destination;
  } else {
    ADD_FAILURE() << "expected one page with one image";
  }
  return placement;
}

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
            (std::vector<LONG>{left, top, right, bottom}));
}

TEST_F(DibTest, PrintsAt65PixelsPerInchCentredOnThePage) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(650, 130));
  // 650 / 65 x 600 = 6000 wide on an 11-inch (6600-pixel) page; 1200 high on 8.5 inches.
  PrintedPlacement p = PrintOnPage(dib, 11, 8.5, 600);
  ExpectRect(p.destination, 300, 1950, 6300, 3150);
  EXPECT_EQ(p.stretchMode, COLORONCOLOR);
  EXPECT_EQ(p.mapMode, MM_TEXT);
  // Wider than a Letter page: still centred, the left edge off the page.
  ExpectRect(PrintOnPage(dib, 8.5, 11, 600).destination, -450, 2700, 5550, 3900);
  // 651 x 600 / 65 = 6009.2 -> 6009; (5100 - 6009) / 2 = -454.5 -> -454, toward zero.
  ASSERT_TRUE(dib.Create(651, 130));
  ExpectRect(PrintOnPage(dib, 8.5, 11, 600).destination, -454, 2700, -454 + 6009, 3900);
}

TEST_F(DibTest, PrintTruncatesTheScaledSizeAndTheCentring) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(100, 7));
  dib.InvertHeight();  // the height counts without its sign
  // 100 x 600 / 65 = 923.07 -> 923; 7 x 600 / 65 = 64.6 -> 64.
  // (5100 - 923) / 2 = 2088.5 -> 2088; (6600 - 64) / 2 = 3268.
  ExpectRect(PrintOnPage(dib, 8.5, 11, 600).destination, 2088, 3268, 2088 + 923, 3268 + 64);
  // 100 x 72 / 65 = 110.7 -> 110; 7 x 72 / 65 = 7.75 -> 7.
  ExpectRect(PrintOnPage(dib, 8.5, 11, 72).destination, (612 - 110) / 2, (792 - 7) / 2,
             (612 - 110) / 2 + 110, (792 - 7) / 2 + 7);
}

TEST_F(DibTest, PrintsTheMatchedPixelsWhenThereAreAny) {
  auto dib = MakeDib24(65, 65, [](int x, int y) { return Solid(200, 0, 0, x, y); });
  platform::ScreenMode screen = platform::GetScreen();
  // A surface context reports the screen: 96 pixels an inch, page = screen size.
  SurfaceDC page(screen.width, screen.height);
  int cx = screen.width / 2, cy = screen.height / 2;
  dib->Print(&page.dc);
  EXPECT_EQ(page.At(cx, cy), (Rgb{200, 0, 0}));
  EXPECT_EQ(page.At((screen.width - 96) / 2, (screen.height - 96) / 2), (Rgb{200, 0, 0}));
  EXPECT_EQ(page.At((screen.width - 96) / 2 - 1, cy), kBackgroundRgb);
  EXPECT_EQ(page.At((screen.width - 96) / 2 + 96, cy), kBackgroundRgb);

  dib->m_hMatchedBits = Pixels24(65, 65, [](int x, int y) { return Solid(0, 0, 200, x, y); });
  dib->Print(&page.dc);
  EXPECT_EQ(page.At(cx, cy), (Rgb{0, 0, 200}));
  EXPECT_TRUE(person.texts.empty());
}

TEST_F(DibTest, PrintReportsAGdiErrorThroughTheFrameworkMessageBox) {
  CDIB dib;
  platform::PrinterSetup setup;
  HDC hPrinter = platform::CreatePrinterDC(setup);
  ASSERT_NE(hPrinter, nullptr);
  CDC dc;
  dc.Attach(hPrinter);
  dib.Print(&dc);  // no page open: StretchDIBits fails
  dc.Detach();
  DeleteDC(hPrinter);
  EXPECT_EQ(person.texts, std::vector<std::string>{"GDI ERROR"});
  EXPECT_EQ(person.styles, std::vector<unsigned>{MB_OK});
}

// ================================================================ Quantize

// The quantizer's own result for a 24-bit header and pixel block, as its bytes.
std::vector<BYTE> QuantizedBytes(const BITMAPINFOHEADER& header, HGLOBAL hBits) {
  std::vector<BYTE> packed(sizeof(BITMAPINFOHEADER));
  std::memcpy(packed.data(), &header, sizeof header);
  std::vector<BYTE> bits = BlockBytes(hBits);
  packed.insert(packed.end(), bits.begin(), bits.end());
  LPBITMAPINFOHEADER result = QuantizeDIB(reinterpret_cast<LPBITMAPINFOHEADER>(packed.data()),
                                          QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr);
  if (result == nullptr) return {};
  HGLOBAL hResult = GlobalHandle(result);
  std::vector<BYTE> bytes(reinterpret_cast<BYTE*>(result),
                          reinterpret_cast<BYTE*>(result) + GlobalSize(hResult));
  GlobalUnlock(hResult);
  GlobalFree(hResult);
  return bytes;
}

std::vector<BYTE> InfoBytes(const CDIB& dib) {
  const BYTE* p = reinterpret_cast<const BYTE*>(dib.m_pInfo);
  return {p, p + kDibInfoBytes};
}

TEST_F(DibTest, QuantizeGivesEightBitRowsOfTheQuantizersResult) {
  auto dib = MakeDib24(5, 3, Pattern);
  HGLOBAL hMatched = Pixels24(5, 3, Pattern);
  dib->m_hMatchedBits = hMatched;
  std::vector<BYTE> expected = QuantizedBytes(*dib->m_pInfo, dib->m_hBits);
  ASSERT_EQ(expected.size(), kDibInfoBytes + 8 * 3);

  ASSERT_TRUE(dib->Quantize());
  EXPECT_EQ(dib->BitCount(), 8);
  EXPECT_EQ(dib->NumColors(), 256);
  EXPECT_EQ(dib->m_pInfo->biClrImportant, 256u);
  EXPECT_EQ(InfoBytes(*dib), std::vector<BYTE>(expected.begin(), expected.begin() + kDibInfoBytes));
  EXPECT_EQ(BlockBytes(dib->m_hBits),
            std::vector<BYTE>(expected.begin() + kDibInfoBytes, expected.end()));
  EXPECT_EQ(dib->m_hMatchedBits, hMatched);
  EXPECT_EQ(dib->m_nRowBytes, 0);
}

TEST_F(DibTest, QuantizeThatFailsAnywhereLeavesTheObjectUnchanged) {
  std::set<std::string> seen;
  bool succeeded = false;
  for (unsigned long n = 1; n < 20 && !succeeded; ++n) {
    SCOPED_TRACE(n);
    auto dib = MakeDib24(6, 4, Pattern);
    Snapshot before(*dib);
    person.texts.clear();
    platform::faults::FailNthGlobalAlloc(n);
    succeeded = dib->Quantize();
    platform::faults::FailNthGlobalAlloc(0);
    if (succeeded) break;
    ASSERT_EQ(person.texts.size(), 1u);
    seen.insert(person.texts[0]);
    EXPECT_EQ(person.styles[0], unsigned(MB_OK));
    before.ExpectSame(*dib);
  }
  EXPECT_TRUE(succeeded);
  EXPECT_EQ(seen,
            (std::set<std::string>{"Memory Allocation Failed for hDIB24.", "Fail in QuantizeDIB",
                                   "Memory Allocation Failed for hDIB8."}));
}

TEST_F(DibTest, QuantizeOfAnEightBitImageReportsBothRefusals) {
  CDIB dib;
  Snapshot before(dib);
  EXPECT_FALSE(dib.Quantize());
  EXPECT_EQ(person.texts, (std::vector<std::string>{"Not a 24 bitmap", "Fail in QuantizeDIB"}));
  before.ExpectSame(dib);
}

TEST_F(DibTest, QuantizeDoesNotHandOverABlockShorterThanItsRows) {
  CDIB dib;
  dib.SetBitCount(24);  // 16 x 16 x 3 bytes described, 256 held
  Snapshot before(dib);
  EXPECT_FALSE(dib.Quantize());
  EXPECT_EQ(person.texts, std::vector<std::string>{"Fail in QuantizeDIB"});
  before.ExpectSame(dib);
}

// Both blocks share one colour table, made for the decoded and the matched pixels
// together: each block, read through it, keeps its own colours.
TEST_F(DibTest, QuantizeMatchedMakesOneTableForBothBlocks) {
  ColourAt decoded = [](int, int) { return Rgb{200, 60, 40}; };
  ColourAt matched = [](int, int) { return Rgb{40, 180, 90}; };
  for (bool bDecodedFirst : {true, false}) {
    auto dib = MakeDib24(5, 3, decoded);
    dib->m_hMatchedBits = Pixels24(5, 3, matched);
    if (bDecodedFirst) {
      ASSERT_TRUE(dib->Quantize());
    }
    ASSERT_TRUE(dib->QuantizeMatched());
    EXPECT_EQ(dib->BitCount(), 8);
    EXPECT_EQ(dib->Height(), 3);
    for (auto [hBlock, colour] :
         {std::pair{dib->m_hBits, decoded}, std::pair{dib->m_hMatchedBits, matched}}) {
      std::vector<BYTE> bits = BlockBytes(hBlock);
      ASSERT_EQ(bits.size(), RowBytes(8, 5) * 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
          const RGBQUAD& q = Table(*dib)[bits[size_t(2 - y) * RowBytes(8, 5) + size_t(x)]];
          Rgb want = colour(x, y);
          EXPECT_NEAR(q.rgbRed, want.r, 12) << bDecodedFirst << " " << x << "," << y;
          EXPECT_NEAR(q.rgbGreen, want.g, 12) << bDecodedFirst << " " << x << "," << y;
          EXPECT_NEAR(q.rgbBlue, want.b, 12) << bDecodedFirst << " " << x << "," << y;
        }
    }
  }
}

TEST_F(DibTest, QuantizeMatchedThatFailsKeepsTheEightBitHeader) {
  auto dib = MakeDib24(5, 2, Pattern);
  dib->m_hMatchedBits = Pixels24(5, 2, Pattern);
  ASSERT_TRUE(dib->Quantize());
  std::vector<BYTE> matched = BlockBytes(dib->m_hMatchedBits);
  Snapshot before(*dib);
  platform::faults::FailNthGlobalAlloc(1);
  EXPECT_FALSE(dib->QuantizeMatched());
  EXPECT_EQ(person.texts, std::vector<std::string>{"Memory Allocation Failed for hDIB24."});
  before.ExpectSame(*dib);
  EXPECT_EQ(BlockBytes(dib->m_hMatchedBits), matched);
}

// ================================================================ MakePalette

std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
  std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
  GetPaletteEntries(palette, 0, UINT(entries.size()), entries.data());
  return entries;
}

TEST_F(DibTest, MakePaletteCopiesTheColoursTheTableUses) {
  CDIB dib;
  ASSERT_TRUE(dib.MakePalette(nullptr));
  ASSERT_NE(dib.m_pPalette, nullptr);
  std::vector<PALETTEENTRY> entries =
      Entries(static_cast<HPALETTE>(dib.m_pPalette->GetSafeHandle()));
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = entries[size_t(i)];
    ASSERT_EQ((std::vector<int>{e.peRed, e.peGreen, e.peBlue, e.peFlags}),
              (std::vector<int>{i, i, i, 0}))
        << i;
  }
  dib.m_pInfo->biClrUsed = 16;
  ASSERT_TRUE(dib.MakePalette(nullptr));
  EXPECT_EQ(Entries(static_cast<HPALETTE>(dib.m_pPalette->GetSafeHandle())).size(), 16u);
}

TEST_F(DibTest, MakePaletteOfATrueColourImageKeepsThePreviousPalette) {
  std::size_t gdiObjects = platform::testing::LiveGdiObjects();
  CDIB dib;
  ASSERT_TRUE(dib.MakePalette(nullptr));
  CPalette* previous = dib.m_pPalette;
  dib.SetBitCount(24);
  EXPECT_EQ(dib.NumColors(), 0);
  EXPECT_FALSE(dib.MakePalette(nullptr));
  EXPECT_EQ(dib.m_pPalette, previous);
  dib.SetBitCount(8);
  ASSERT_TRUE(dib.MakePalette(nullptr));
  EXPECT_EQ(platform::testing::LiveGdiObjects(), gdiObjects + 1)
      << "the replaced palette was not deleted";
}

}  // namespace
