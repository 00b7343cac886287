#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Parts {
  char drive[_MAX_DRIVE + 8];
  char dir[_MAX_DIR + 8];
  char fname[_MAX_FNAME + 8];
  char ext[_MAX_EXT + 8];
};

Parts Split(const char* path) {
  Parts parts;
  std::memset(&parts, '#', sizeof parts);
  _splitpath(path, parts.drive, parts.dir, parts.fname, parts.ext);
  return parts;
}

TEST(SplitPathTest, WindowsCachePath) {
  Parts p = Split("C:\\CACHE\\M0A1B2C3.JPG");
  EXPECT_STREQ(p.drive, "C:");
  EXPECT_STREQ(p.dir, "\\CACHE\\");
  EXPECT_STREQ(p.fname, "M0A1B2C3");
  EXPECT_STREQ(p.ext, ".JPG");
}

TEST(SplitPathTest, PosixSeparatorsAndOddNames) {
  Parts p = Split("/home/u/.cache/pic.old.tif");
  EXPECT_STREQ(p.drive, "");
  EXPECT_STREQ(p.dir, "/home/u/.cache/");
  EXPECT_STREQ(p.fname, "pic.old");
  EXPECT_STREQ(p.ext, ".tif");
  p = Split("dir.d/noext");
  EXPECT_STREQ(p.dir, "dir.d/");
  EXPECT_STREQ(p.fname, "noext");
  EXPECT_STREQ(p.ext, "");
  p = Split("");
  EXPECT_STREQ(p.fname, "");
  _splitpath("a\\b.c", nullptr, nullptr, p.fname, nullptr);  // outputs may be null
  EXPECT_STREQ(p.fname, "b");
}

TEST(SplitPathTest, LongPartsAreCutToTheirBuffers) {
  std::string dir(400, 'd');
  std::string name(400, 'n');
  std::string ext(400, 'e');
  std::string path = "C:\\" + dir + "\\" + name + "." + ext;
  Parts p = Split(path.c_str());
  EXPECT_EQ(std::strlen(p.dir), _MAX_DIR - 1u);
  EXPECT_EQ(std::strlen(p.fname), _MAX_FNAME - 1u);
  EXPECT_EQ(std::strlen(p.ext), _MAX_EXT - 1u);
  EXPECT_EQ(p.dir[_MAX_DIR], '#');  // nothing written past each buffer
  EXPECT_EQ(p.fname[_MAX_FNAME], '#');
  EXPECT_EQ(p.ext[_MAX_EXT], '#');
  EXPECT_EQ(p.ext[0], '.');
}

TEST(CaseBlindCompareTest, AsciiLettersOnly) {
  EXPECT_EQ(_stricmp("Default Display", "DEFAULT DISPLAY"), 0);
  EXPECT_LT(_stricmp("abc", "ABD"), 0);
  EXPECT_GT(_stricmp("abc", "AB"), 0);
  EXPECT_NE(_stricmp("\xe9", "\xc9"), 0);  // code page 1252 letters are not folded
  EXPECT_EQ(_strnicmp("JFXX\0a", "jfxx\0b", 6), 0);
  EXPECT_EQ(_strnicmp("JPGX", "jpgy", 3), 0);
  EXPECT_NE(_strnicmp("JPGX", "jpgy", 4), 0);
}

}  // namespace
