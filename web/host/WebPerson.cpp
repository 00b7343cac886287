#include "web/host/WebPerson.h"

#include "web/host/JsonText.h"

#include <emscripten.h>
#include <sys/stat.h>

namespace webhost {
namespace {

// The page's dialog and menu (zelvw.js) answer with the id of the button or item
// chosen. The texts are code page 1252, read here as Latin-1: the two differ only in
// rarely used symbols.
// clang-format off
EM_ASYNC_JS(int, AskMessageBox, (const char* caption, const char* text, unsigned style), {
  const latin1 = (p) => {
    let s = "";
    for (let i = p; HEAPU8[i] !== 0; ++i) s += String.fromCharCode(HEAPU8[i]);
    return s;
  };
  return await Module.zelvwMessageBox(latin1(caption), latin1(text), style);
});

EM_ASYNC_JS(int, AskMenu, (const char* items, int x, int y), {
  return await Module.zelvwMenu(JSON.parse(UTF8ToString(items)), x, y);
});

// Writes the copies and the resolution chosen; 0 when the person cancelled.
EM_ASYNC_JS(int, AskPrinter, (int copies, int* chosenCopies, int* chosenDpi), {
  const answer = await Module.zelvwPrintDialog(copies);
  if (!answer) return 0;
  HEAP32[chosenCopies >> 2] = answer.copies;
  HEAP32[chosenDpi >> 2] = answer.dpi;
  return 1;
});
// clang-format on

// A file name as the browser saves it: no directory in it.
std::string SafeName(const std::string& name) {
  std::string leaf = name.substr(name.find_last_of("/\\") + 1);
  return leaf.empty() || leaf == "." || leaf == ".." ? "download" : leaf;
}

}  // namespace

int WebPerson::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  return AskMessageBox(caption.c_str(), text.c_str(), style);
}

UINT WebPerson::ChooseMenuItem(const platform::MenuQuestion& question) {
  std::string items = "[";
  for (const platform::MenuItem& item : question.items) {
    if (items.size() > 1) items += ",";
    items += "{\"id\":" + std::to_string(item.id) + ",\"text\":" + JsonText(item.text) +
             ",\"separator\":" + ((item.flags & MF_SEPARATOR) != 0 ? "true" : "false") +
             ",\"enabled\":" + ((item.flags & (MF_GRAYED | MF_DISABLED)) == 0 ? "true" : "false") +
             ",\"checked\":" + ((item.flags & MF_CHECKED) != 0 ? "true" : "false") + "}";
  }
  items += "]";
  int chosen = AskMenu(items.c_str(), question.point.x, question.point.y);
  return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

std::optional<std::string> WebPerson::ChooseFile(const platform::FileQuestion& question) {
  if (!question.save) return std::nullopt;  // a page has no files to open
  std::string name = SafeName(question.fileName);
  if (name.find('.') == std::string::npos && !question.defaultExtension.empty()) {
    name += "." + question.defaultExtension;
  }
  mkdir(kDownloadDirectory, 0755);
  return std::string(kDownloadDirectory) + "/" + name;
}

std::optional<platform::PrintAnswer> WebPerson::ChoosePrinter(
    const platform::PrintQuestion& question) {
  int copies = 0;
  int dpi = 0;
  if (AskPrinter(question.copies, &copies, &dpi) == 0 || copies < 1 || copies > 0xFFFF) {
    return std::nullopt;
  }
  // Each job's pages in a directory of their own, which the page's script prints.
  std::string dir = std::string(kPrintDirectory) + "/" + std::to_string(m_nextJob++);
  mkdir(kPrintDirectory, 0755);
  mkdir(dir.c_str(), 0755);
  platform::PrintAnswer answer;
  answer.printer.dpi = dpi;
  answer.printer.output = dir + "/page-%d.png";
  answer.copies = static_cast<WORD>(copies);
  return answer;
}

}  // namespace webhost
