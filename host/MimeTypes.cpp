// File extensions and MIME type lists.
#include "host/MimeTypes.h"

#include <algorithm>
#include <cctype>

namespace nphost {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::optional<std::string> MimeTypeForPath(const std::string& path) {
  const std::size_t nameStart = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) {
    return std::nullopt;
  }
  const std::string extension = Lower(path.substr(dot + 1));
  if (extension == "jpg" || extension == "jpeg" || extension == "jpe") return "image/jpeg";
  if (extension == "tif" || extension == "tiff") return "image/tiff";
  return std::nullopt;
}

std::vector<std::string> SplitMimeTypes(const std::string& list) {
  std::vector<std::string> types;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t bar = list.find('|', start);
    if (bar == std::string::npos) bar = list.size();
    if (bar > start) types.push_back(Lower(list.substr(start, bar - start)));
    start = bar + 1;
  }
  return types;
}

}  // namespace nphost
