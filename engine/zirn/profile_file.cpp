#include "profile_file.h"

#include <zirn.h>

#include "file_io.h"
#include "paths.h"

namespace zirn {

ProfilePtr OpenProfileFile(LcmsContext& lcms, const std::string& path) {
  FileBytes file = ReadRegularFile(path, kMaxProfileBytes);
  if (file.error != ReadError::kNone || file.bytes.empty()) return nullptr;
  lcms.ClearErrors();
  // LittleCMS copies the block, so the file's bytes can go at once.
  ProfilePtr profile(cmsOpenProfileFromMemTHR(lcms.get(), file.bytes.data(),
                                              static_cast<cmsUInt32Number>(file.bytes.size())));
  if (lcms.HadError()) profile.reset();
  return profile;
}

std::string ProfileName(LcmsContext& lcms, cmsHPROFILE profile, const std::string& path) {
  char description[ZIRN_MAX_NAME + 1] = {};
  lcms.ClearErrors();
  cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", description, sizeof description);
  std::string name = lcms.HadError() ? "" : description;
  if (name.empty()) name = FileStem(path);
  if (name.size() > ZIRN_MAX_NAME) name.resize(ZIRN_MAX_NAME);
  return name;
}

}  // namespace zirn
