// The colour engine as the plug-in sees it: the colour record and the entry points
// bound at run time from ZIRN.DLL, and the About box of its dialog library.
#pragma once

#include <windows.h>

#include <bit>
#include <cstdint>
#include <cstring>

// One colour, converted in place by ZIRN_Match: four 16-bit components. After
// matching, components 0..2 hold red, green and blue; the high byte of each is the
// 8-bit result.
struct MatchColor {
  uint16_t c[4];
};
static_assert(sizeof(MatchColor) == 8, "the engine takes 8-byte records");

// Fills a record with one 64-bit store. An engine that reads the record as one word
// gets it forwarded from that store; from several smaller stores it could not, and each
// call would wait for the record to reach the cache behind the call before it, so that
// a loop of one-record calls would run at the speed of memory.
inline void SetMatchColor(MatchColor* pColor, uint16_t c0, uint16_t c1, uint16_t c2, uint16_t c3) {
  static_assert(std::endian::native == std::endian::little, "component 0 is the low word");
  uint64_t qw = c0 | uint64_t{c1} << 16 | uint64_t{c2} << 32 | uint64_t{c3} << 48;
  std::memcpy(pColor, &qw, sizeof qw);
}

// The engine is a C library: its entry points never throw, so a loop that calls one per
// pixel needs no unwinding path around the call (in builds where such a path costs a
// call of its own).
typedef int16_t(WINAPI* ZIRN_GetMonitorProfileProc)(char** ppszName) noexcept;
typedef int16_t(WINAPI* ZIRN_SetMonitorProfileProc)(const char* pszName) noexcept;
typedef int16_t(WINAPI* ZIRN_DisposeProfileProc)(const char* pszProfilePath) noexcept;
typedef int16_t(WINAPI* ZIRN_GetProfileNameProc)(const char* pszProfilePath,
                                                 char* pszName) noexcept;
typedef int16_t(WINAPI* ZIRN_BeginMatchingSessionProc)(const char* pszSourceProfile,
                                                       const char* pszMonitorProfile) noexcept;
typedef int16_t(WINAPI* ZIRN_EndMatchingProc)(void) noexcept;
typedef int16_t(WINAPI* ZIRN_MatchProc)(int32_t nCount, MatchColor* pColors) noexcept;
typedef int32_t(WINAPI* EnumProfilesByClassificationProc)(int32_t nClass, int32_t* pCursor1,
                                                          int32_t* pCursor2, char* pszName,
                                                          char* pszSecond, int32_t nSize) noexcept;

constexpr int kProfileNameSize = 256;  // callers' buffer for ZIRN_GetProfileName

// ZIRNDLG.dll, linked at load time.
extern "C" int WINAPI ZirnDlg_About(void);
extern "C" int WINAPI ZirnDlg_ProfileSetup(void);
