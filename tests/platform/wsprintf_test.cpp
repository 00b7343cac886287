#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(WsprintfTest, Conversions) {
  char buffer[1025];
  EXPECT_EQ(wsprintfA(buffer, "%d|%u|%s|%c|%x|%X|%ld|%lu|%%", -42, 4000000000u, "text", 'Z', 0xbeef,
                      0xbeef, static_cast<LONG>(-7), static_cast<DWORD>(7)),
            38);
  EXPECT_STREQ(buffer, "-42|4000000000|text|Z|beef|BEEF|-7|7|%");
  wsprintfA(buffer, "[%5d][%-5d][%05d][%.3s][%8s][%-4s][%#x][%i]", 42, 42, -42, "abcdef", "ab",
            "ab", 255, -2147483647 - 1);
  EXPECT_STREQ(buffer, "[   42][42   ][-0042][abc][      ab][ab  ][0xff][-2147483648]");
  wsprintfA(buffer, "%s and %hd, %q", static_cast<const char*>(nullptr), 70000);
  EXPECT_STREQ(buffer, "(null) and 4464, q");
}

TEST(WsprintfTest, OutputStopsAt1024Characters) {
  std::vector<char> guarded(1100, '#');
  std::string longText(2000, 'a');
  EXPECT_EQ(wsprintfA(guarded.data(), "%s%s", longText.c_str(), "tail"), 1024);
  EXPECT_EQ(std::strlen(guarded.data()), 1024u);
  EXPECT_EQ(guarded[1025], '#');  // at most 1025 bytes written
  EXPECT_EQ(wsprintfA(guarded.data(), "%2000d", 1), 1024);
  EXPECT_EQ(guarded[1023], ' ');
  EXPECT_EQ(guarded[1025], '#');
}

TEST(WsprintfTest, ProfileMessages) {
  char buffer[256];
  wsprintfA(buffer, "Failed in BeginMatchingSession (error=>%d)", -5);
  EXPECT_STREQ(buffer, "Failed in BeginMatchingSession (error=>-5)");
  wsprintfA(buffer, "View this Image (%s%s)", "M0A1B2C3", ".JPG");
  EXPECT_STREQ(buffer, "View this Image (M0A1B2C3.JPG)");
}

}  // namespace
