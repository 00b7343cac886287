// The browser's table of file types: which MIME type a file's extension names.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nphost {

// image/jpeg for .jpg, .jpeg and .jpe, image/tiff for .tif and .tiff, in any letter
// case; nothing for any other name.
std::optional<std::string> MimeTypeForPath(const std::string& path);

// The MIME types of a registration record's "MIMEType" value ("image/jpeg|image/tiff"),
// in lower case, empty entries dropped.
std::vector<std::string> SplitMimeTypes(const std::string& list);

}  // namespace nphost
