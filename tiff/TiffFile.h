// Positioned reads of a TIFF file whose offsets cannot be trusted.
#pragma once

#include <afx.h>

// Reads nBytes at nOffset into pBuffer. What lies past the end of the file reads as
// zero, so a value never holds bytes left over from before. Returns the number of
// bytes that came from the file.
ULONGLONG ReadFileBytes(CFile* pFile, ULONGLONG nOffset, void* pBuffer, ULONGLONG nBytes);
