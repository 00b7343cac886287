// A tolerant scanner for the few tags of an HTML page that the browser stand-in
// acts on: <embed> and <img>. It is not an HTML parser: it reads tags and their
// attributes, skips comments and the text of <script> and <style>, and takes
// whatever it meets (unclosed quotes and tags, stray '<', binary bytes) without
// failing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nphost {

struct PageTag {
  std::string name;  // lower case: "embed" or "img"
  // Names in lower case, values with character references decoded, in page order.
  std::vector<std::pair<std::string, std::string>> attributes;

  // The first value of an attribute (name in lower case).
  std::optional<std::string> Attribute(std::string_view attribute) const;
};

class PageScanner {
 public:
  // A tag keeps at most this many attributes; the plug-in gets them as arguments.
  static constexpr std::size_t kMaxAttributes = 64;

  explicit PageScanner(std::string_view html) : m_html(html) {}

  // Every <embed> and <img> tag, in page order.
  std::vector<PageTag> EmbedTags();

 private:
  bool AtEnd() const { return m_pos >= m_html.size(); }
  char Peek() const { return m_html[m_pos]; }
  void SkipSpace();
  void SkipPast(std::string_view marker);
  // Skips text up to the closing tag of a raw-text element (script, style).
  void SkipRawText(std::string_view name);
  std::string ReadName();
  std::string ReadValue();
  // Reads a tag after its '<'; the tag, when it has a name.
  std::optional<PageTag> ReadTag();

  std::string_view m_html;
  std::size_t m_pos = 0;
};

}  // namespace nphost
