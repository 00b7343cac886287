// Reading the page: the single image, or the embeds of an HTML file with their
// sources resolved against the page's directory.
#include "host/Page.h"

#include "host/MimeTypes.h"
#include "host/PageScanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace nphost {
namespace {

// Pages larger than this are refused rather than read into memory.
constexpr std::uintmax_t kMaxPageBytes = 16 * 1024 * 1024;
// A page opens at most this many instances.
constexpr std::size_t kMaxInstances = 256;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void Note(const std::string& page, const std::string& text) {
  std::fprintf(stderr, "nphost: %s: %s\n", page.c_str(), text.c_str());
}

// A size attribute in pixels, or the default when it is missing or not a plain
// number of pixels (a percentage, say).
int Side(const std::optional<std::string>& value, int fallback) {
  if (!value) return fallback;
  int side = 0;
  const char* end = value->data() + value->size();
  const auto [ptr, ec] = std::from_chars(value->data(), end, side);
  if (ec != std::errc() || ptr != end || side < 1 || side > 32767) return fallback;
  return side;
}

std::string ReadPage(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw UsageError("cannot read " + path + ": " + error.message());
  if (size > kMaxPageBytes) throw UsageError(path + ": the page is larger than 16 MiB");
  std::ifstream in(path, std::ios::binary);
  std::string html(static_cast<std::size_t>(size), '\0');
  if (!in.read(html.data(), static_cast<std::streamsize>(size)))
    throw UsageError("cannot read " + path);
  return html;
}

// The local file an embed's src names, or nothing for one that is not local.
std::optional<std::string> ResolveSource(const std::string& src,
                                         const std::filesystem::path& base) {
  std::string local = src;
  if (local.rfind("file://", 0) == 0)
    local = local.substr(7);
  else if (local.find("://") != std::string::npos)
    return std::nullopt;
  if (local.empty()) return std::nullopt;
  const std::filesystem::path path(local);
  return (path.is_absolute() ? path : base / path).lexically_normal().string();
}

std::optional<PageEntry> EntryFor(const PageTag& tag, const std::string& page,
                                  const std::filesystem::path& base, const Options& options,
                                  const PluginModule& module) {
  const std::optional<std::string> src = tag.Attribute("src");
  if (!src) {
    if (tag.name == "embed") Note(page, "an <embed> without src is skipped");
    return std::nullopt;
  }
  const std::optional<std::string> path = ResolveSource(*src, base);
  if (!path) {
    Note(page, "src '" + *src + "' is not a local file: skipped");
    return std::nullopt;
  }
  std::optional<std::string> type = MimeTypeForPath(*path);
  if (const std::optional<std::string> declared = tag.Attribute("type");
      declared && tag.name == "embed") {
    type = Lower(*declared);
  }
  if (!type || !module.Handles(*type)) {
    if (tag.name == "embed") Note(page, "no plug-in for '" + *src + "': skipped");
    return std::nullopt;
  }
  PageEntry entry;
  entry.path = *path;
  entry.mimeType = *type;
  entry.width = Side(tag.Attribute("width"), options.width);
  entry.height = Side(tag.Attribute("height"), options.height);
  entry.arguments = tag.attributes;
  return entry;
}

PageContent LoadHtml(const std::string& file, const Options& options, const PluginModule& module) {
  const std::string html = ReadPage(file);
  const std::filesystem::path base = std::filesystem::path(file).parent_path();
  PageContent content;
  for (const PageTag& tag : PageScanner(html).EmbedTags()) {
    std::optional<PageEntry> entry = EntryFor(tag, file, base, options, module);
    if (!entry) continue;
    if (content.entries.size() == kMaxInstances) {
      Note(file, "more than " + std::to_string(kMaxInstances) + " embeds: the rest are skipped");
      break;
    }
    content.entries.push_back(std::move(*entry));
  }
  return content;
}

PageContent LoadImage(const std::string& file, const Options& options, const PluginModule& module) {
  const std::optional<std::string> type = MimeTypeForPath(file);
  if (!type) {
    throw UsageError(
        file + ": not an image the browser knows (.jpg .jpeg .jpe .tif .tiff) or an .html page");
  }
  if (!module.Handles(*type)) throw UsageError(module.Path() + " does not handle " + *type);
  PageEntry entry;
  entry.path = file;
  entry.mimeType = *type;
  entry.width = options.width;
  entry.height = options.height;
  if (!options.fullPage) {
    entry.arguments = {{"src", file},
                       {"width", std::to_string(options.width)},
                       {"height", std::to_string(options.height)}};
  }
  PageContent content;
  content.singleImage = true;
  content.entries.push_back(std::move(entry));
  return content;
}

}  // namespace

bool IsHtmlPage(const std::string& path) {
  const std::string extension = Lower(std::filesystem::path(path).extension().string());
  return extension == ".html" || extension == ".htm";
}

PageContent LoadPage(const std::string& file, const Options& options, const PluginModule& module) {
  return IsHtmlPage(file) ? LoadHtml(file, options, module) : LoadImage(file, options, module);
}

}  // namespace nphost
