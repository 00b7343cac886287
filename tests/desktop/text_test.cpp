// The desktop's texts: code page 1252 to UTF-8, and Windows mnemonics to the toolkit's.
#include <gtest/gtest.h>

#include "text.h"

namespace {

using platform::desktop::MnemonicLabel;
using platform::desktop::Utf8FromWindows;

TEST(DesktopTextTest, CodePage1252BecomesUtf8) {
  const struct {
    const char* windows;
    const char* utf8;
  } cases[] = {
      {"plain", "plain"},
      {"Zelcora\xAE", "Zelcora\u00AE"},
      {"\x80", "\u20AC"},
      {"\x85\x99", "\u2026\u2122"},
      {"\x9F\xFF", "\u0178\u00FF"},
      {"\x81\x8D", "\uFFFD\uFFFD"},
      {"a\tb", "a\tb"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8FromWindows(c.windows), c.utf8) << c.windows;
}

TEST(DesktopTextTest, MnemonicsAsTheToolkitWritesThem) {
  const struct {
    const char* windows;
    const char* label;
  } cases[] = {
      {"&Save", "_Save"},  {"Save &as...", "Save _as..."},
      {"A && B", "A & B"}, {"snake_case", "snake__case"},
      {"end&", "end&"},    {"&\xAE", "_\u00AE"},
  };
  for (const auto& c : cases) EXPECT_EQ(MnemonicLabel(c.windows), c.label) << c.windows;
}

}  // namespace
