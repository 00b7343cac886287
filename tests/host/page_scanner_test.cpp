// The page scanner: the tags it finds, the attributes it reads, and pages that try
// to lead it astray.
#include <gtest/gtest.h>

#include "host/PageScanner.h"

namespace hosttest {
namespace {

using nphost::PageScanner;
using nphost::PageTag;

std::vector<PageTag> Scan(const std::string& html) { return PageScanner(html).EmbedTags(); }

TEST(PageScannerTest, FindsEmbedsAndImagesInOrderWithTheirAttributes) {
  const std::vector<PageTag> tags = Scan(
      "<html><body><p>Two pictures</p>\n"
      "<EMBED SRC=\"a.jpg\" Width=300 height='200' hidden>\n"
      "<img src=b.tif alt=\"x > y\"/>\n"
      "<object data=c.jpg></object></body></html>");
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].name, "embed");
  ASSERT_EQ(tags[0].attributes.size(), 4u);
  EXPECT_EQ(tags[0].attributes[0], (std::pair<std::string, std::string>{"src", "a.jpg"}));
  EXPECT_EQ(tags[0].attributes[1], (std::pair<std::string, std::string>{"width", "300"}));
  EXPECT_EQ(tags[0].attributes[2], (std::pair<std::string, std::string>{"height", "200"}));
  EXPECT_EQ(tags[0].attributes[3], (std::pair<std::string, std::string>{"hidden", ""}));
  EXPECT_EQ(tags[1].name, "img");
  EXPECT_EQ(tags[1].Attribute("src"), "b.tif");
  EXPECT_EQ(tags[1].Attribute("alt"), "x > y");
  EXPECT_FALSE(tags[1].Attribute("width"));
}

TEST(PageScannerTest, CommentsScriptsAndStylesHideTheirTags) {
  const std::vector<PageTag> tags = Scan(
      "<!-- <embed src=comment.jpg> -->"
      "<script>document.write('<embed src=script.jpg>')</script>"
      "<STYLE>p { content: '<img src=style.jpg>' }</style >"
      "<embed src=real.jpg>");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].Attribute("src"), "real.jpg");
}

TEST(PageScannerTest, CharacterReferencesInValuesAreDecoded) {
  const std::vector<PageTag> tags =
      Scan("<embed src=\"a&amp;b&#46;jpg\" title='&lt;&quot;&#x263A;&gt;' alt=\"&bogus; &#;\">");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].Attribute("src"), "a&b.jpg");
  EXPECT_EQ(tags[0].Attribute("title"), "<\"\xE2\x98\xBA>");
  EXPECT_EQ(tags[0].Attribute("alt"), "&bogus; &#;");
}

TEST(PageScannerTest, BrokenPagesEndWithoutFailing) {
  EXPECT_TRUE(Scan("").empty());
  EXPECT_TRUE(Scan("<").empty());
  EXPECT_TRUE(Scan("<<<<>>>> < embed src=a.jpg>").empty());
  EXPECT_TRUE(Scan("<!-- never closed <embed src=a.jpg>").empty());
  EXPECT_TRUE(Scan("<script><embed src=a.jpg>").empty());

  // Unclosed tags and quotes still give what they hold.
  std::vector<PageTag> tags = Scan("<embed src=\"a.jpg");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].Attribute("src"), "a.jpg");
  tags = Scan("<img src=b.jpg width=");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].Attribute("width"), "");
  tags = Scan("<embed = = / src = c.jpg //>");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].Attribute("src"), "c.jpg");

  std::string noise;
  for (int i = 0; i < 20000; ++i) noise += static_cast<char>((i * 7919) % 256);
  Scan(noise);
  Scan(std::string("<embed src=\0.jpg>", 17));
}

TEST(PageScannerTest, ATagKeepsABoundedNumberOfAttributes) {
  std::string tag = "<embed";
  for (int i = 0; i < 1000; ++i) tag += " a" + std::to_string(i) + "=v";
  const std::vector<PageTag> tags = Scan(tag + ">");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].attributes.size(), PageScanner::kMaxAttributes);
}

}  // namespace
}  // namespace hosttest
