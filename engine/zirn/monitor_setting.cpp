#include "monitor_setting.h"

#include <zirn.h>

#include <utility>

#include "file_io.h"
#include "paths.h"

namespace zirn {
namespace {

std::string SettingPath(const std::string& home) { return home + "/monitor"; }

}  // namespace

short ReadMonitorSetting(std::string& name) {
  name = ZIRN_DEFAULT_DISPLAY;
  std::string home = ZirnHome();
  if (home.empty()) return ZIRN_OK;
  // The name, its line end, and one byte to tell an overlong file.
  FileBytes file = ReadRegularFile(SettingPath(home), ZIRN_MAX_NAME + 1);
  if (file.error == ReadError::kMissing || file.error == ReadError::kTooLarge) return ZIRN_OK;
  if (file.error != ReadError::kNone) return ZIRN_ERR_SETTING_UNREADABLE;
  std::string text(file.bytes.begin(), file.bytes.end());
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (text.empty() || text.size() > ZIRN_MAX_NAME || text.find('\0') != std::string::npos) {
    return ZIRN_OK;
  }
  name = std::move(text);
  return ZIRN_OK;
}

short WriteMonitorSetting(std::string_view name) {
  std::string home = ZirnHome();
  if (home.empty() || !MakeDirectories(home)) return ZIRN_ERR_STORE_NOT_WRITABLE;
  std::string content(name);
  content += '\n';
  return ReplaceFileAtomically(SettingPath(home), content) ? ZIRN_OK : ZIRN_ERR_STORE_NOT_WRITABLE;
}

}  // namespace zirn
