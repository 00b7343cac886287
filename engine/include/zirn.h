/* ZIRN.DLL: the colour engine. Profiles come from a store ($ZIRN_HOME/profiles, then
 * /usr/share/color/icc and its subfolders), the monitor profile setting lives in
 * $ZIRN_HOME/monitor, and a matching session converts MatchColor records from a source
 * profile to the monitor profile.
 *
 * Paths may be written with backslashes or slashes. Calls are made from one thread;
 * the engine takes no locks.
 *
 * Status codes (signed 16-bit results):
 *
 *   ZIRN_OK                      0   success
 *   ZIRN_ERR_NO_SESSION          1   ZIRN_Match or ZIRN_EndMatching without an open session
 *   ZIRN_ERR_BAD_COUNT           2   ZIRN_Match with a record count below 1
 *   ZIRN_ERR_NULL_ARGUMENT       3   a required pointer argument was null
 *   ZIRN_ERR_PROFILE_UNREADABLE  4   the file is missing, not a regular file, too large, or
 *                                    not an ICC profile LittleCMS accepts
 *   ZIRN_ERR_MONITOR_UNKNOWN     5   no display profile in the store has the monitor name
 *   ZIRN_ERR_TRANSFORM_FAILED    6   LittleCMS could not build the transform
 *   ZIRN_ERR_BUFFER_TOO_SMALL    7   a caller's buffer cannot hold even the terminator
 *   ZIRN_ERR_STORE_NOT_WRITABLE  8   the monitor setting could not be written
 *   ZIRN_ERR_BAD_NAME            9   an empty monitor name, or one longer than 255 bytes
 *   ZIRN_ERR_UNSUPPORTED_SOURCE 10   the source profile's data is not RGB, grey or CMYK
 *   ZIRN_ERR_SETTING_UNREADABLE 11   the monitor setting exists but cannot be read
 *
 * ZIRN_GetProfileName and enum_profiles_by_classification report success with a positive
 * result; they report these codes negated.
 */
#ifndef ZIRN_H
#define ZIRN_H

#include <stdint.h>

#ifndef WINAPI
#define WINAPI
#endif

#define ZIRN_API __attribute__((visibility("default")))

#define ZIRN_ENGINE_NAME "ZIRN Colour Engine"
#define ZIRN_ENGINE_VERSION "1.0"

/* The monitor name reported until one has been chosen. */
#define ZIRN_DEFAULT_DISPLAY "Default Display"

/* Longest profile or monitor name, in bytes, without the terminator. */
#define ZIRN_MAX_NAME 255

enum {
  ZIRN_OK = 0,
  ZIRN_ERR_NO_SESSION = 1,
  ZIRN_ERR_BAD_COUNT = 2,
  ZIRN_ERR_NULL_ARGUMENT = 3,
  ZIRN_ERR_PROFILE_UNREADABLE = 4,
  ZIRN_ERR_MONITOR_UNKNOWN = 5,
  ZIRN_ERR_TRANSFORM_FAILED = 6,
  ZIRN_ERR_BUFFER_TOO_SMALL = 7,
  ZIRN_ERR_STORE_NOT_WRITABLE = 8,
  ZIRN_ERR_BAD_NAME = 9,
  ZIRN_ERR_UNSUPPORTED_SOURCE = 10,
  ZIRN_ERR_SETTING_UNREADABLE = 11
};

/* One colour, converted in place. Input: RGB sources use components 0-2 (red, green,
 * blue), grey sources component 0, CMYK sources all four. Output: 16-bit red, green,
 * blue in components 0-2; component 3 is left as it was. */
typedef struct MatchColor {
  uint16_t c[4];
} MatchColor;

#ifdef __cplusplus
static_assert(sizeof(MatchColor) == 8, "MatchColor is four 16-bit components");
extern "C" {
#else
_Static_assert(sizeof(MatchColor) == 8, "MatchColor is four 16-bit components");
#endif

/* Current monitor profile name (engine-owned; the text changes only on a later call of
 * this function), or ZIRN_DEFAULT_DISPLAY when none is set. */
ZIRN_API short WINAPI ZIRN_GetMonitorProfile(char** name);

/* Stores the monitor profile name (1 to 255 bytes) for every later process. */
ZIRN_API short WINAPI ZIRN_SetMonitorProfile(const char* name);

/* Forgets what the engine keeps about the profile file at this path. */
ZIRN_API short WINAPI ZIRN_DisposeProfile(const char* profilePath);

/* Writes the profile's name (its description, or else its file name without extension)
 * into name: at most 256 bytes with the terminator. 1 on success, a negated status on
 * failure (name is then empty). */
ZIRN_API short WINAPI ZIRN_GetProfileName(const char* profilePath, char* name);

/* Opens a session from the source profile file to the display profile named
 * monitorName, replacing any open session (also when this one fails). */
ZIRN_API short WINAPI ZIRN_BeginMatchingSession(const char* sourceProfilePath,
                                                const char* monitorName);

/* Ends the open session. */
ZIRN_API short WINAPI ZIRN_EndMatching(void);

/* Converts count records in place. */
ZIRN_API short WINAPI ZIRN_Match(int32_t count, MatchColor* records);

/* Classification 0: the store's RGB display profiles, each name once, in store order.
 * *cursor1 is the position (start at 0), *cursor2 belongs to the engine (start at 0).
 * Each call returning 1 writes a name into name and the profile's path into second
 * (second may be null), each cut to size bytes with the terminator. 0 at the end and
 * for other classifications; a negated status for bad arguments. */
ZIRN_API int32_t WINAPI enum_profiles_by_classification(int32_t classification, int32_t* cursor1,
                                                        int32_t* cursor2, char* name, char* second,
                                                        int32_t size);

#ifdef __cplusplus
}
#endif

#endif /* ZIRN_H */
