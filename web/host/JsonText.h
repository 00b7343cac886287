// The system's text as a JSON string literal for the page. The page reads the system's
// code page 1252 text as Latin-1, so each byte above 0x7F is written as the \u escape of
// its Latin-1 character and the literal stays ASCII.
#pragma once

#include <string>
#include <string_view>

namespace webhost {

std::string JsonText(std::string_view text);

}  // namespace webhost
