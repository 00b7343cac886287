#include "engine.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "monitor_setting.h"
#include "paths.h"
#include "profile_file.h"

namespace zirn {
namespace {

// Copies text into a buffer of size bytes (size >= 1), cut to fit, terminated.
void CopyCut(const std::string& text, char* buffer, std::size_t size) {
  std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

MatchColor Mask(std::uint16_t c0, std::uint16_t c1, std::uint16_t c2, std::uint16_t c3) {
  return MatchColor{{c0, c1, c2, c3}};
}

// The input format for a source colour space, and the mask of the record components
// it reads; false for colour spaces the engine does not take. The space is the header's
// word as it is, any 32-bit value: held in the enum type it would be undefined.
bool InputFormat(cmsUInt32Number space, cmsUInt32Number& format, MatchColor& keyMask) {
  switch (space) {
    case cmsSigRgbData:
      format = TYPE_RGB_16;
      keyMask = Mask(0xFFFF, 0xFFFF, 0xFFFF, 0);
      return true;
    case cmsSigGrayData:
      format = TYPE_GRAY_16;
      keyMask = Mask(0xFFFF, 0, 0, 0);
      return true;
    case cmsSigCmykData:
      format = TYPE_CMYK_16;
      keyMask = Mask(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
      return true;
    default:
      return false;
  }
}

}  // namespace

Engine::Engine() : m_store(m_lcms) {
  CopyCut(ZIRN_DEFAULT_DISPLAY, m_monitorName, sizeof m_monitorName);
}

short Engine::GetMonitorProfile(char** name) {
  if (name == nullptr) return ZIRN_ERR_NULL_ARGUMENT;
  std::string current;
  short status = ReadMonitorSetting(current);
  if (status != ZIRN_OK) return status;
  CopyCut(current, m_monitorName, sizeof m_monitorName);
  *name = m_monitorName;
  return ZIRN_OK;
}

short Engine::SetMonitorProfile(const char* name) {
  if (name == nullptr) return ZIRN_ERR_NULL_ARGUMENT;
  std::size_t length = ::strnlen(name, ZIRN_MAX_NAME + 1);
  if (length == 0 || length > ZIRN_MAX_NAME) return ZIRN_ERR_BAD_NAME;
  return WriteMonitorSetting(std::string_view(name, length));
}

short Engine::DisposeProfile(const char* profilePath) {
  if (profilePath == nullptr) return ZIRN_ERR_NULL_ARGUMENT;
  m_store.Forget(ToPosixPath(profilePath));
  return ZIRN_OK;
}

short Engine::GetProfileName(const char* profilePath, char* name) {
  if (name == nullptr) return -ZIRN_ERR_NULL_ARGUMENT;
  name[0] = '\0';
  if (profilePath == nullptr) return -ZIRN_ERR_NULL_ARGUMENT;
  std::string path = ToPosixPath(profilePath);
  ProfilePtr profile = OpenProfileFile(m_lcms, path);
  if (profile == nullptr) return -ZIRN_ERR_PROFILE_UNREADABLE;
  CopyCut(ProfileName(m_lcms, profile.get(), path), name, ZIRN_MAX_NAME + 1);
  return 1;
}

short Engine::BeginMatchingSession(const char* sourceProfilePath, const char* monitorName) {
  // The old session goes even when the new one cannot start: matching on with it would
  // give colours for the wrong profile.
  m_session.reset();
  return OpenSession(sourceProfilePath, monitorName);
}

short Engine::OpenSession(const char* sourceProfilePath, const char* monitorName) {
  if (sourceProfilePath == nullptr || monitorName == nullptr) return ZIRN_ERR_NULL_ARGUMENT;
  ProfilePtr source = OpenProfileFile(m_lcms, ToPosixPath(sourceProfilePath));
  if (source == nullptr) return ZIRN_ERR_PROFILE_UNREADABLE;
  cmsUInt32Number inputFormat = 0;
  MatchColor keyMask{};
  if (!InputFormat(static_cast<cmsUInt32Number>(cmsGetColorSpace(source.get())), inputFormat,
                   keyMask)) {
    return ZIRN_ERR_UNSUPPORTED_SOURCE;
  }
  std::optional<ProfileInfo> found = m_store.FindDisplayProfile(monitorName);
  if (!found) return ZIRN_ERR_MONITOR_UNKNOWN;
  ProfilePtr monitor = OpenProfileFile(m_lcms, found->path);
  if (monitor == nullptr) return ZIRN_ERR_PROFILE_UNREADABLE;
  m_lcms.ClearErrors();
  // The session caches colours itself; LittleCMS's one-colour cache would only cost.
  TransformPtr transform(cmsCreateTransformTHR(m_lcms.get(), source.get(), inputFormat,
                                               monitor.get(), TYPE_RGB_16, INTENT_PERCEPTUAL,
                                               cmsFLAGS_NOCACHE));
  if (transform == nullptr || m_lcms.HadError()) return ZIRN_ERR_TRANSFORM_FAILED;
  m_session = std::make_unique<MatchSession>(std::move(transform), keyMask);
  return ZIRN_OK;
}

short Engine::EndMatching() {
  if (m_session == nullptr) return ZIRN_ERR_NO_SESSION;
  m_session.reset();
  return ZIRN_OK;
}

std::int32_t Engine::EnumProfiles(std::int32_t classification, std::int32_t* cursor1,
                                  std::int32_t* cursor2, char* name, char* second,
                                  std::int32_t size) {
  if (cursor1 == nullptr || cursor2 == nullptr || name == nullptr) return -ZIRN_ERR_NULL_ARGUMENT;
  if (size < 1) return -ZIRN_ERR_BUFFER_TOO_SMALL;
  if (classification != 0 || *cursor1 < 0) return 0;
  // A new enumeration, or one this engine did not start (cursor2 is not the id of the
  // list it holds), lists the store again.
  if (*cursor1 == 0 || *cursor2 != m_enumerationId || m_enumerationId == 0) {
    m_enumeration = m_store.DisplayProfiles();
    m_enumerationId = m_enumerationId == INT32_MAX ? 1 : m_enumerationId + 1;
    *cursor2 = m_enumerationId;
  }
  auto position = static_cast<std::size_t>(*cursor1);
  if (position >= m_enumeration.size()) return 0;
  CopyCut(m_enumeration[position].name, name, static_cast<std::size_t>(size));
  if (second != nullptr) {
    CopyCut(m_enumeration[position].path, second, static_cast<std::size_t>(size));
  }
  ++*cursor1;
  return 1;
}

}  // namespace zirn
