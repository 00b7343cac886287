// The names and paths of saved source profiles.
#include <gtest/gtest.h>

#include <string>

#include "viewer/ProfileName.h"

namespace {

std::string Name(const char* psz) { return static_cast<LPCTSTR>(ProfileFileName(psz)); }

TEST(ProfileFileName, CutBeforeTheFirstCutCharacter) {
  EXPECT_EQ(Name("sRGB IEC61966-2.1"), "sRGB IEC61966.icm");
  EXPECT_EQ(Name("Studio RGB, D65"), "Studio RGB.icm");
  EXPECT_EQ(Name("Monitor"), "Monitor.icm");
  const char* cuts[] = {"a;b", "a'b", "a,b", "a.b", "a-b", "a(b",
                        "a+b", "a=b", "a)b", "a*b", "a`b"};
  for (const char* psz : cuts) EXPECT_EQ(Name(psz), "a.icm") << psz;
  EXPECT_EQ(Name("a b_c&d"), "a b_c&d.icm") << "other characters stay";
}

TEST(ProfileFileName, PathSeparatorsCutTooAndNothingLeftIsRefused) {
  EXPECT_EQ(Name("x/../../etc/passwd"), "x.icm");
  EXPECT_EQ(Name("x\\..\\evil"), "x.icm");
  EXPECT_EQ(Name("../evil"), "");
  EXPECT_EQ(Name("/etc/passwd"), "");
  EXPECT_EQ(Name(".hidden"), "");
  EXPECT_EQ(Name(""), "");
  EXPECT_EQ(Name(nullptr), "");
}

TEST(ProfileFileName, UnterminatedBufferIsNotReadPastItsSize) {
  std::string buffer(kProfilePathSize, 'N');  // no zero byte within the buffer
  char* p = new char[kProfilePathSize];
  std::copy(buffer.begin(), buffer.end(), p);
  EXPECT_EQ(Name(p), buffer + ".icm");
  delete[] p;
}

TEST(ProfileFilePath, DirectoryIsNeverCut) {
  EXPECT_EQ(std::string(ProfileFilePath("/home/u/.local/share/win\\", "Adobe RGB (1998)")),
            "/home/u/.local/share/win\\Adobe RGB .icm");
  EXPECT_EQ(std::string(ProfileFilePath("C:\\WINDOWS\\", "-")), "");
}

TEST(ProfileFilePath, PathsThatDoNotFit256BytesAreRefused) {
  std::string dir(240, 'd');
  // 240 + 11 + 4 = 255 bytes and the terminator: fits.
  EXPECT_EQ(ProfileFilePath(dir.c_str(), "abcdefghijk").GetLength(), 255);
  EXPECT_TRUE(ProfileFilePath(dir.c_str(), "abcdefghijkl").IsEmpty());
  EXPECT_TRUE(ProfilePathIn(dir.c_str(), "abcdefghijkl.icm").IsEmpty());
}

TEST(ProfilePathIn, WithoutADirectoryNoPathIsMade) {
  EXPECT_TRUE(ProfilePathIn("", "ppp.icm").IsEmpty());
  EXPECT_TRUE(ProfileFilePath("", "Monitor").IsEmpty());
  EXPECT_EQ(std::string(ProfilePathIn("C:\\WINDOWS\\", "jjj.icm")), "C:\\WINDOWS\\jjj.icm");
}

}  // namespace
