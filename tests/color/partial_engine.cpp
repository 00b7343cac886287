// An engine that lacks ZIRN_Match: binding it must fail.
#include <cstdint>

extern "C" {
int16_t ZIRN_GetMonitorProfile(char**) { return 0; }
int16_t ZIRN_SetMonitorProfile(const char*) { return 0; }
int16_t ZIRN_DisposeProfile(const char*) { return 0; }
int16_t ZIRN_GetProfileName(const char*, char*) { return 1; }
int16_t ZIRN_BeginMatchingSession(const char*, const char*) { return 0; }
int16_t ZIRN_EndMatching() { return 0; }
int32_t enum_profiles_by_classification(int32_t, int32_t*, int32_t*, char*, char*, int32_t) {
  return 0;
}
}
