#include <afx.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CStringTest, SpanExcludingCutsProfileNames) {
  const char* cut = ";',.-(+=)*`";
  EXPECT_STREQ(CString("sRGB IEC61966-2.1").SpanExcluding(cut), "sRGB IEC61966");
  EXPECT_STREQ(CString("Studio RGB, D65").SpanExcluding(cut), "Studio RGB");
  EXPECT_STREQ(CString("Monitor").SpanExcluding(cut), "Monitor");
  EXPECT_STREQ(CString("").SpanExcluding(cut), "");
  EXPECT_STREQ(CString(".leading").SpanExcluding(cut), "");
  EXPECT_STREQ(CString("/home/u/win.dir\\x").SpanExcluding(cut), "/home/u/win");
  EXPECT_STREQ(CString("aabbc").SpanIncluding("ab"), "aabb");
  EXPECT_STREQ(CString("xyz").SpanIncluding("ab"), "");
}

TEST(CStringTest, FormatOfAnyLength) {
  CString s;
  s.Format("Failed in BeginMatchingSession (error=>%d)", -5);
  EXPECT_STREQ(s, "Failed in BeginMatchingSession (error=>-5)");
  std::string big(100000, 'p');
  s.Format("%s|%d|%s", big.c_str(), 7, "end");
  EXPECT_EQ(s.GetLength(), 100000 + 6);
  EXPECT_STREQ(static_cast<LPCTSTR>(s) + 100000, "|7|end");
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, ConstructionConcatenationAndComparison) {
  CString empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_STREQ(CString(static_cast<LPCTSTR>(nullptr)), "");
  EXPECT_STREQ(CString('-', 3), "---");
  EXPECT_STREQ(CString('-', -1), "");
  EXPECT_STREQ(CString("abcdef", 3), "abc");

  CString dir("C:\\WINDOWS");
  CString path = dir + '\\' + "jjj" + CString(".icm");
  EXPECT_STREQ(path, "C:\\WINDOWS\\jjj.icm");
  path += "";
  path += '!';
  EXPECT_EQ(path.GetLength(), 19);
  CString copy = path;
  copy.Empty();
  EXPECT_EQ(path.GetLength(), 19);

  CString name("Default Display");
  EXPECT_TRUE(name == "Default Display");
  EXPECT_TRUE("Default Display" == name);
  EXPECT_TRUE(name != "default display");
  EXPECT_EQ(name.CompareNoCase("DEFAULT DISPLAY"), 0);
  EXPECT_LT(CString("abc").Compare("abd"), 0);
  EXPECT_TRUE(CString("abc") < "abd");
  EXPECT_TRUE("abc" < CString("abd"));
  EXPECT_TRUE(CString("b") > CString("a"));
  EXPECT_TRUE(CString("a") <= "a");
  EXPECT_TRUE(CString("a") >= CString("a"));
  EXPECT_FALSE(CString("a") == CString("b"));
}

TEST(CStringTest, BytesOfCodePage1252StayAsTheyAre) {
  CString about("About Zelcora\xae Glimmora");
  EXPECT_EQ(about.GetAt(13), '\xae');
  about.MakeUpper();
  EXPECT_STREQ(about, "ABOUT ZELCORA\xae GLIMMORA");
  CString accented("\xe9t\xc9");
  accented.MakeUpper();
  EXPECT_STREQ(accented, "\xe9T\xc9");
  accented.MakeLower();
  EXPECT_STREQ(accented, "\xe9t\xc9");
  EXPECT_NE(CString("\xe9").CompareNoCase("\xc9"), 0);
}

TEST(CStringTest, PositionsOutsideTheStringAreClamped) {
  CString s("M0A1B2C3.JPG");
  EXPECT_EQ(s.GetAt(-1), '\0');
  EXPECT_EQ(s[12], '\0');
  EXPECT_EQ(s[0], 'M');
  EXPECT_STREQ(s.Left(8), "M0A1B2C3");
  EXPECT_STREQ(s.Left(100), "M0A1B2C3.JPG");
  EXPECT_STREQ(s.Left(-3), "");
  EXPECT_STREQ(s.Right(4), ".JPG");
  EXPECT_STREQ(s.Right(100), "M0A1B2C3.JPG");
  EXPECT_STREQ(s.Mid(9), "JPG");
  EXPECT_STREQ(s.Mid(-5, 2), "M0");
  EXPECT_STREQ(s.Mid(11, 10), "G");
  EXPECT_STREQ(s.Mid(50), "");
}

TEST(CStringTest, Searches) {
  CString s("a.b.c");
  EXPECT_EQ(s.Find('.'), 1);
  EXPECT_EQ(s.Find('.', 2), 3);
  EXPECT_EQ(s.Find('.', 99), -1);
  EXPECT_EQ(s.Find("b.c"), 2);
  EXPECT_EQ(s.Find("b.c", 3), -1);
  EXPECT_EQ(s.Find("zz"), -1);
  EXPECT_EQ(s.ReverseFind('.'), 3);
  EXPECT_EQ(s.ReverseFind('z'), -1);
  EXPECT_EQ(s.FindOneOf("cb"), 2);
  EXPECT_EQ(s.FindOneOf("xyz"), -1);
}

TEST(CStringTest, BufferHandOutAndBack) {
  CString s("abc");
  char* buffer = s.GetBuffer(255);
  EXPECT_STREQ(buffer, "abc");
  std::snprintf(buffer, 256, "%s", "Monitor Profile");
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "Monitor Profile");
  EXPECT_EQ(s.GetLength(), 15);

  buffer = s.GetBuffer(4);  // never shorter than the text
  EXPECT_STREQ(buffer, "Monitor Profile");
  s.ReleaseBuffer(7);
  EXPECT_STREQ(s, "Monitor");
  s.GetBuffer(0);
  s.ReleaseBuffer(1000);  // cannot grow past the buffer
  EXPECT_STREQ(s, "Monitor");

  buffer = s.GetBuffer(8);
  for (int i = 0; i < 8; ++i) buffer[i] = 'x';  // no zero byte within the buffer
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 8);
  EXPECT_STREQ(s.GetBufferSetLength(3), "xxx");
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "xxx");
}

}  // namespace
