// The monitor profile setting: the name in $ZIRN_HOME/monitor, followed by a line end.
// A missing, empty or malformed file (longer than a name can be, or holding a zero
// byte) means no monitor profile has been chosen.
#pragma once

#include <string>
#include <string_view>

namespace zirn {

// ZIRN_OK with the name (or ZIRN_DEFAULT_DISPLAY when none is set), or
// ZIRN_ERR_SETTING_UNREADABLE when the file exists but cannot be read.
short ReadMonitorSetting(std::string& name);

// Stores name (1 to ZIRN_MAX_NAME bytes, the caller checked) atomically, creating
// $ZIRN_HOME. ZIRN_OK or ZIRN_ERR_STORE_NOT_WRITABLE.
short WriteMonitorSetting(std::string_view name);

}  // namespace zirn
