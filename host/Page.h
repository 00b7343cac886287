// What FILE opens: one image (full-page or embedded, as --mode says), or the
// <embed> and <img> tags of an HTML page whose type the module registers.
#pragma once

#include "host/CommandLine.h"
#include "host/Instance.h"
#include "host/PluginModule.h"

#include <vector>

namespace nphost {

struct PageContent {
  bool singleImage = false;
  std::vector<PageEntry> entries;  // in page order
};

// Whether path names an HTML page (.html, .htm in any letter case).
bool IsHtmlPage(const std::string& path);

// The instances file opens; throws UsageError for a file that cannot be read, a
// single image of a type the browser does not know or the module does not handle.
PageContent LoadPage(const std::string& file, const Options& options, const PluginModule& module);

}  // namespace nphost
