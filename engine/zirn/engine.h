// The engine's state behind the exported functions: the LittleCMS context, the profile
// store, the open session, the monitor name handed out, and the enumeration in progress.
// One instance per loaded module; the exported functions forward to it.
#pragma once

#include <zirn.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "lcms_context.h"
#include "match_session.h"
#include "profile_store.h"

namespace zirn {

class Engine {
 public:
  Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  short GetMonitorProfile(char** name);
  short SetMonitorProfile(const char* name);
  short DisposeProfile(const char* profilePath);
  short GetProfileName(const char* profilePath, char* name);
  short BeginMatchingSession(const char* sourceProfilePath, const char* monitorName);
  short EndMatching();
  std::int32_t EnumProfiles(std::int32_t classification, std::int32_t* cursor1,
                            std::int32_t* cursor2, char* name, char* second, std::int32_t size);

  // Inline: the system calls it once per pixel.
  short Match(std::int32_t count, MatchColor* records) {
    MatchSession* session = m_session.get();
    if (session == nullptr) return ZIRN_ERR_NO_SESSION;
    if (records == nullptr) return ZIRN_ERR_NULL_ARGUMENT;
    if (count == 1) {
      session->MatchOne(records);
    } else if (count > 1) {
      session->MatchMany(static_cast<std::uint32_t>(count), records);
    } else {
      return ZIRN_ERR_BAD_COUNT;
    }
    return ZIRN_OK;
  }

 private:
  short OpenSession(const char* sourceProfilePath, const char* monitorName);

  LcmsContext m_lcms;
  ProfileStore m_store;
  std::unique_ptr<MatchSession> m_session;
  // The buffer GetMonitorProfile hands out: its address never changes.
  char m_monitorName[ZIRN_MAX_NAME + 1] = {};
  std::vector<ProfileInfo> m_enumeration;
  std::int32_t m_enumerationId = 0;
};

}  // namespace zirn
