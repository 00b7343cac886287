// The message log's text: code page 1252 to UTF-8, and JSON escaping.
#include <gtest/gtest.h>

#include "host/Json.h"

namespace hosttest {
namespace {

using namespace nphost;

TEST(JsonTest, CodePage1252BecomesUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("About Zed\xAE Viewer"), "About Zed\xC2\xAE Viewer");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x99\x9F"),
            "\xE2\x82\xAC\xE2\x84\xA2\xC5\xB8");  // euro, TM, Y diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\xE9\xFF"), "\xC3\xA9\xC3\xBF");
  // Bytes the code page leaves undefined keep their number, as Windows converts them.
  EXPECT_EQ(Cp1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
  EXPECT_EQ(Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(JsonTest, StringsAreEscaped) {
  EXPECT_EQ(JsonString("plain"), "\"plain\"");
  EXPECT_EQ(JsonString("say \"hi\"\\"), "\"say \\\"hi\\\"\\\\\"");
  EXPECT_EQ(JsonString("a\nb\tc\r\b\f"), "\"a\\nb\\tc\\r\\b\\f\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1F\0", 3)), "\"\\u0001\\u001f\\u0000\"");
  EXPECT_EQ(JsonString("/ and \x7F stay"), "\"/ and \x7F stay\"");
  EXPECT_EQ(JsonSystemText("Error occurs in \"Printing\"\xAE"),
            "\"Error occurs in \\\"Printing\\\"\xC2\xAE\"");
}

TEST(JsonTest, HostTextStaysUtf8WhenItIsUtf8) {
  EXPECT_EQ(JsonHostText("/tmp/caf\xC3\xA9.jpg"), "\"/tmp/caf\xC3\xA9.jpg\"");
  EXPECT_EQ(JsonHostText("/tmp/caf\xE9.jpg"), "\"/tmp/caf\xC3\xA9.jpg\"");
}

TEST(JsonTest, Utf8CheckRefusesMalformedSequences) {
  EXPECT_TRUE(IsUtf8("ascii \xC2\xAE \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsUtf8("\xE2\x82"));          // cut short
  EXPECT_FALSE(IsUtf8("\x80"));
  EXPECT_FALSE(IsUtf8("\xF8\x88\x80\x80\x80"));
}

TEST(JsonTest, ObjectsKeepTheirMembersInOrder) {
  JsonObject object;
  object.Add("caption", JsonString("Plug-in")).Add("style", 48).AddNull("answer");
  EXPECT_EQ(object.Text(), "{\"caption\":\"Plug-in\",\"style\":48,\"answer\":null}");
  EXPECT_EQ(JsonObject().Text(), "{}");
}

}  // namespace
}  // namespace hosttest
