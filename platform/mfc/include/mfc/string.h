// CString: a counted string of bytes. Text is code page 1252, never UTF-8: every
// operation works on bytes, and letter case is that of ASCII only (as in the "C"
// locale of the run-time library).
//
// Positions and counts outside the string are clamped, never trusted: GetAt past
// the end yields 0, Mid/Left/Right return what exists, ReleaseBuffer never reads
// beyond the buffer it handed out.
#pragma once

#include <windef.h>

#include <string>

class CString {
 public:
  CString() = default;
  CString(const CString& other) = default;
  CString(CString&& other) noexcept = default;
  CString(LPCTSTR lpsz);
  CString(const unsigned char* psz);
  CString(LPCTSTR lpch, int nLength);
  explicit CString(TCHAR ch, int nRepeat = 1);
  ~CString() = default;

  CString& operator=(const CString& other) = default;
  CString& operator=(CString&& other) noexcept = default;
  CString& operator=(LPCTSTR lpsz);
  CString& operator=(TCHAR ch);

  CString& operator+=(const CString& other);
  CString& operator+=(LPCTSTR lpsz);
  CString& operator+=(TCHAR ch);

  int GetLength() const;
  BOOL IsEmpty() const;
  void Empty();
  TCHAR GetAt(int nIndex) const;
  TCHAR operator[](int nIndex) const;
  operator LPCTSTR() const;

  // strcmp and _stricmp results: negative, 0 or positive.
  int Compare(LPCTSTR lpsz) const;
  int CompareNoCase(LPCTSTR lpsz) const;

  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  // The prefix made of characters in (SpanIncluding) or not in (SpanExcluding) the
  // set; the whole string when it has none of the stopping characters.
  CString SpanIncluding(LPCTSTR lpszCharSet) const;
  CString SpanExcluding(LPCTSTR lpszCharSet) const;

  void MakeUpper();
  void MakeLower();

  // Index of the first (last) occurrence, or -1.
  int Find(TCHAR ch) const;
  int Find(TCHAR ch, int nStart) const;
  int Find(LPCTSTR lpszSub) const;
  int Find(LPCTSTR lpszSub, int nStart) const;
  int ReverseFind(TCHAR ch) const;
  int FindOneOf(LPCTSTR lpszCharSet) const;

  // printf formatting into this string, of any length. Pass strings as LPCTSTR.
  void Format(LPCTSTR lpszFormat, ...) __attribute__((format(printf, 2, 3)));

  // A writable buffer of at least nMinBufLength characters plus a terminator,
  // holding the current text; the length is fixed again by ReleaseBuffer (-1: up
  // to the first zero byte within the buffer).
  LPTSTR GetBuffer(int nMinBufLength);
  LPTSTR GetBufferSetLength(int nNewLength);
  void ReleaseBuffer(int nNewLength = -1);

 private:
  std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCTSTR b);
CString operator+(LPCTSTR a, const CString& b);
CString operator+(const CString& a, TCHAR b);
CString operator+(TCHAR a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCTSTR b);
bool operator==(LPCTSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCTSTR b);
bool operator!=(LPCTSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCTSTR b);
bool operator<(LPCTSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCTSTR b);
bool operator>(LPCTSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCTSTR b);
bool operator<=(LPCTSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCTSTR b);
bool operator>=(LPCTSTR a, const CString& b);
