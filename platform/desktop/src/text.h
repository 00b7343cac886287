// The system's texts are code page 1252 bytes; the toolkit takes UTF-8.
#pragma once

#include <string>

namespace platform::desktop {

// text as UTF-8; the five bytes 1252 leaves undefined become U+FFFD.
std::string Utf8FromWindows(const std::string& text);

// A menu or button text with its '&' mnemonic as the toolkit writes it ('_'), "&&"
// as a plain '&' and a plain '_' doubled; UTF-8.
std::string MnemonicLabel(const std::string& text);

}  // namespace platform::desktop
