// The page scanner: tags, attributes and character references.
#include "host/PageScanner.h"

#include <cctype>
#include <charconv>

namespace nphost {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

void AppendUtf8(std::string& out, unsigned long c) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The value with &amp; &lt; &gt; &quot; &apos; and numeric references decoded;
// anything else that starts with '&' stays as written.
std::string DecodeReferences(std::string_view value) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    if (value[i] != '&') {
      out += value[i++];
      continue;
    }
    const std::string_view tail = value.substr(i + 1);
    bool decoded = false;
    for (const auto& [name, ch] : kNamed) {
      if (tail.substr(0, name.size()) == name) {
        out += ch;
        i += 1 + name.size();
        decoded = true;
        break;
      }
    }
    if (!decoded && !tail.empty() && tail[0] == '#') {
      const bool hex = tail.size() > 1 && (tail[1] == 'x' || tail[1] == 'X');
      const std::size_t start = hex ? 2 : 1;
      const std::size_t semicolon = tail.find(';', start);
      unsigned long code = 0;
      if (semicolon != std::string_view::npos && semicolon > start && semicolon - start <= 8) {
        const char* first = tail.data() + start;
        const char* last = tail.data() + semicolon;
        const auto [ptr, ec] = std::from_chars(first, last, code, hex ? 16 : 10);
        if (ec == std::errc() && ptr == last) {
          AppendUtf8(out, code);
          i += 1 + semicolon + 1;
          decoded = true;
        }
      }
    }
    if (!decoded) out += value[i++];
  }
  return out;
}

}  // namespace

std::optional<std::string> PageTag::Attribute(std::string_view attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return value;
  }
  return std::nullopt;
}

void PageScanner::SkipSpace() {
  while (!AtEnd() && IsSpace(Peek())) ++m_pos;
}

void PageScanner::SkipPast(std::string_view marker) {
  const std::size_t found = m_html.find(marker, m_pos);
  m_pos = found == std::string_view::npos ? m_html.size() : found + marker.size();
}

void PageScanner::SkipRawText(std::string_view name) {
  while (!AtEnd()) {
    SkipPast("</");
    std::size_t i = 0;
    while (i < name.size() && m_pos + i < m_html.size() && Lower(m_html[m_pos + i]) == name[i]) ++i;
    if (i == name.size()) {
      SkipPast(">");
      return;
    }
  }
}

std::string PageScanner::ReadName() {
  std::string name;
  while (!AtEnd() && !IsSpace(Peek()) && Peek() != '>' && Peek() != '/' && Peek() != '=') {
    name += Lower(Peek());
    ++m_pos;
  }
  return name;
}

std::string PageScanner::ReadValue() {
  SkipSpace();
  if (AtEnd()) return {};
  const char quote = Peek();
  std::size_t end;
  if (quote == '"' || quote == '\'') {
    ++m_pos;
    end = m_html.find(quote, m_pos);
    if (end == std::string_view::npos) end = m_html.size();
    std::string value = DecodeReferences(m_html.substr(m_pos, end - m_pos));
    m_pos = end == m_html.size() ? end : end + 1;
    return value;
  }
  end = m_pos;
  while (end < m_html.size() && !IsSpace(m_html[end]) && m_html[end] != '>') ++end;
  std::string value = DecodeReferences(m_html.substr(m_pos, end - m_pos));
  m_pos = end;
  return value;
}

std::optional<PageTag> PageScanner::ReadTag() {
  if (AtEnd() || !std::isalpha(static_cast<unsigned char>(Peek()))) return std::nullopt;
  PageTag tag;
  tag.name = ReadName();
  while (true) {
    SkipSpace();
    if (AtEnd()) break;
    if (Peek() == '>') {
      ++m_pos;
      break;
    }
    if (Peek() == '/' || Peek() == '=') {  // a self-closing slash, or a stray '='
      ++m_pos;
      continue;
    }
    std::string name = ReadName();
    SkipSpace();
    std::string value;
    if (!AtEnd() && Peek() == '=') {
      ++m_pos;
      value = ReadValue();
    }
    if (tag.attributes.size() < kMaxAttributes)
      tag.attributes.emplace_back(std::move(name), std::move(value));
  }
  return tag;
}

std::vector<PageTag> PageScanner::EmbedTags() {
  std::vector<PageTag> tags;
  m_pos = 0;
  while (!AtEnd()) {
    SkipPast("<");
    if (AtEnd()) break;
    if (m_html.substr(m_pos, 3) == "!--") {
      m_pos += 3;
      SkipPast("-->");
      continue;
    }
    if (Peek() == '/' || Peek() == '!' || Peek() == '?') {
      SkipPast(">");
      continue;
    }
    std::optional<PageTag> tag = ReadTag();
    if (!tag) continue;
    if (tag->name == "script" || tag->name == "style")
      SkipRawText(tag->name);
    else if (tag->name == "embed" || tag->name == "img")
      tags.push_back(std::move(*tag));
  }
  return tags;
}

}  // namespace nphost
