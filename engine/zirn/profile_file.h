// Opening one profile file and naming it.
#pragma once

#include <cstddef>
#include <string>

#include "lcms_context.h"
#include "lcms_handles.h"

namespace zirn {

// Profiles are small; anything larger is not read at all.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;

// The profile in the regular file at path (POSIX spelling), or null when the file is
// missing, not regular, larger than kMaxProfileBytes, or refused by LittleCMS.
ProfilePtr OpenProfileFile(LcmsContext& lcms, const std::string& path);

// The profile's name: its English description, or when it has none the file name
// without extension; at most 255 bytes.
std::string ProfileName(LcmsContext& lcms, cmsHPROFILE profile, const std::string& path);

}  // namespace zirn
