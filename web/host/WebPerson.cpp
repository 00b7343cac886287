#include "web/host/WebPerson.h"

#include <emscripten.h>

namespace webhost {
namespace {

// The page's dialog (zelvw.js) answers with the id of the button pressed. The texts are
// code page 1252, read here as Latin-1: the two differ only in rarely used symbols.
// clang-format off
EM_ASYNC_JS(int, AskMessageBox, (const char* caption, const char* text, unsigned style), {
  const latin1 = (p) => {
    let s = "";
    for (let i = p; HEAPU8[i] !== 0; ++i) s += String.fromCharCode(HEAPU8[i]);
    return s;
  };
  return await Module.zelvwMessageBox(latin1(caption), latin1(text), style);
});
// clang-format on

}  // namespace

int WebPerson::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  return AskMessageBox(caption.c_str(), text.c_str(), style);
}

}  // namespace webhost
