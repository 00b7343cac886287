// JSON text for the message log: strings escaped as JSON requires, and the
// system's code page 1252 text turned into UTF-8 on the way.
#pragma once

#include <string>
#include <string_view>

namespace nphost {

// Code page 1252 bytes as UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
// number, as Windows converts them.
std::string Cp1252ToUtf8(std::string_view text);

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsUtf8(std::string_view text);

// A JSON string literal (quotes included) for UTF-8 text.
std::string JsonString(std::string_view utf8);

// The system's text (code page 1252) as a JSON string literal.
std::string JsonSystemText(std::string_view cp1252);

// The host's own text (paths from the command line or a script): UTF-8 as it is,
// anything else read as code page 1252, so the log stays valid UTF-8.
std::string JsonHostText(std::string_view text);

// Builds one JSON object, members in the order they are added. Values are JSON
// text already (from the functions above, numbers, or another object).
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view jsonValue);
  JsonObject& Add(std::string_view key, long long number);
  JsonObject& AddNull(std::string_view key);
  std::string Text() const { return "{" + m_members + "}"; }

 private:
  std::string m_members;
};

}  // namespace nphost
