// The names under which source profiles taken from images are saved in the Windows
// directory, shared by the JPEG and the TIFF readers.
//
// The engine's name for a profile is cut before the first of the characters
// ";',.-(+=)*`" and before the first path separator ('/' or '\'), and ".icm" is
// appended. Only the name is cut, never the directory, so no image can make a reader
// write outside the Windows directory.
#pragma once

#include <afx.h>

// Paths longer than this, terminator included, are refused.
constexpr int kProfilePathSize = 256;

// The profile's file name ("sRGB IEC61966-2.1" gives "sRGB IEC61966.icm"), or an empty
// string when nothing is left of the name. At most kProfilePathSize bytes of the
// engine's name are looked at, so an unterminated buffer is not read past.
CString ProfileFileName(const char* pszEngineName);

// strDirectory (ending in a backslash) followed by strFileName, or an empty string when
// there is no directory or the path does not fit kProfilePathSize bytes: a profile is
// never written anywhere but in the Windows directory.
CString ProfilePathIn(const CString& strDirectory, const CString& strFileName);

// ProfilePathIn for the file name of the engine's name; empty when the name is refused.
CString ProfileFilePath(const CString& strDirectory, const char* pszEngineName);
