// Code page 1252 to UTF-8: Latin-1 but for 0x80..0x9F, which hold the typographic
// marks (and leave five bytes undefined).
#include "text.h"

#include <cstdint>

namespace platform::desktop {
namespace {

constexpr char32_t kUndefined = 0xFFFD;

constexpr char32_t kHighControls[32] = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178};

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::string Utf8FromWindows(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char byte : text) {
    const auto c = static_cast<std::uint8_t>(byte);
    Append(out, c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : char32_t{c});
  }
  return out;
}

std::string MnemonicLabel(const std::string& text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      label += "__";
    } else if (text[i] == '&' && i + 1 < text.size()) {
      label += text[i + 1] == '&' ? '&' : '_';
      if (text[i + 1] == '&') ++i;
    } else {
      label += text[i];
    }
  }
  return Utf8FromWindows(label);
}

}  // namespace platform::desktop
