// The exported entry points of ZIRN.DLL, each forwarding to the module's one engine.
#include <zirn.h>

#include "engine.h"

namespace {

zirn::Engine g_engine;

}  // namespace

extern "C" {

short WINAPI ZIRN_GetMonitorProfile(char** name) { return g_engine.GetMonitorProfile(name); }

short WINAPI ZIRN_SetMonitorProfile(const char* name) { return g_engine.SetMonitorProfile(name); }

short WINAPI ZIRN_DisposeProfile(const char* profilePath) {
  return g_engine.DisposeProfile(profilePath);
}

short WINAPI ZIRN_GetProfileName(const char* profilePath, char* name) {
  return g_engine.GetProfileName(profilePath, name);
}

short WINAPI ZIRN_BeginMatchingSession(const char* sourceProfilePath, const char* monitorName) {
  return g_engine.BeginMatchingSession(sourceProfilePath, monitorName);
}

short WINAPI ZIRN_EndMatching(void) { return g_engine.EndMatching(); }

short WINAPI ZIRN_Match(int32_t count, MatchColor* records) {
  return g_engine.Match(count, records);
}

int32_t WINAPI enum_profiles_by_classification(int32_t classification, int32_t* cursor1,
                                               int32_t* cursor2, char* name, char* second,
                                               int32_t size) {
  return g_engine.EnumProfiles(classification, cursor1, cursor2, name, second, size);
}

}  // extern "C"
