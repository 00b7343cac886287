// C run-time helpers of the Microsoft library: _splitpath and the case-blind string
// comparisons. Letter case is ASCII's, as in the "C" locale.
#include <windows.h>

#include <cstring>

namespace {

int Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Copies [begin, end) into out (of outSize bytes), cut to fit with its terminator.
void CopyPart(const char* begin, const char* end, char* out, std::size_t outSize) {
  if (out == nullptr) return;
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (length > outSize - 1) length = outSize - 1;
  std::memcpy(out, begin, length);
  out[length] = '\0';
}

}  // namespace

extern "C" {

/***********************************************************************
 * _stricmp
 * Compares ignoring ASCII letter case: below, equal to or above 0.
 */
/***********************************************************************
 * _strnicmp
 * As _stricmp over at most n characters.
 */
int _stricmp(const char* a, const char* b) { return _strnicmp(a, b, static_cast<size_t>(-1)); }

int _strnicmp(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    int ca = Lower(static_cast<unsigned char>(a[i]));
    int cb = Lower(static_cast<unsigned char>(b[i]));
    if (ca != cb || ca == 0) return ca - cb;
  }
  return 0;
}

/***********************************************************************
 * _splitpath
 * Splits a path into drive ("C:"), directory (up to the last separator, '/' or '\'),
 * name and extension (from the last dot of the name); any output may be null, and
 * each is cut to its _MAX_ size.
 */
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  if (path == nullptr) path = "";
  const char* end = path + std::strlen(path);
  const char* p = path;
  if (end - p >= 2 && p[1] == ':') p += 2;
  CopyPart(path, p, drive, _MAX_DRIVE);
  const char* lastSeparator = nullptr;
  const char* lastDot = nullptr;
  for (const char* q = p; q < end; ++q) {
    if (IsSeparator(*q))
      lastSeparator = q;
    else if (*q == '.')
      lastDot = q;
  }
  const char* nameStart = lastSeparator != nullptr ? lastSeparator + 1 : p;
  if (lastDot != nullptr && lastDot < nameStart) lastDot = nullptr;
  const char* nameEnd = lastDot != nullptr ? lastDot : end;
  CopyPart(p, nameStart, dir, _MAX_DIR);
  CopyPart(nameStart, nameEnd, fname, _MAX_FNAME);
  CopyPart(nameEnd, end, ext, _MAX_EXT);
}

}  // extern "C"
