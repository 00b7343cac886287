// CString over std::string: bytes, counted, with the framework's operations.
#include <afx.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Clamps [first, first + count) to a string of the given length.
std::pair<std::size_t, std::size_t> Clamp(int first, int count, std::size_t length) {
  std::size_t begin = first < 0 ? 0 : std::min(static_cast<std::size_t>(first), length);
  std::size_t size = count < 0 ? 0 : std::min(static_cast<std::size_t>(count), length - begin);
  return {begin, size};
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const char* NonNull(LPCTSTR text) { return text != nullptr ? text : ""; }

}  // namespace

CString::CString(LPCTSTR lpsz) : m_str(NonNull(lpsz)) {}

CString::CString(const unsigned char* psz) : CString(reinterpret_cast<LPCTSTR>(psz)) {}

CString::CString(LPCTSTR lpch, int nLength) {
  if (lpch != nullptr && nLength > 0) m_str.assign(lpch, static_cast<std::size_t>(nLength));
}

CString::CString(TCHAR ch, int nRepeat) {
  if (nRepeat > 0) m_str.assign(static_cast<std::size_t>(nRepeat), ch);
}

CString& CString::operator=(LPCTSTR lpsz) {
  m_str = NonNull(lpsz);
  return *this;
}

CString& CString::operator=(TCHAR ch) {
  m_str.assign(1, ch);
  return *this;
}

CString& CString::operator+=(const CString& other) {
  m_str += other.m_str;
  return *this;
}

CString& CString::operator+=(LPCTSTR lpsz) {
  m_str += NonNull(lpsz);
  return *this;
}

CString& CString::operator+=(TCHAR ch) {
  m_str += ch;
  return *this;
}

int CString::GetLength() const { return static_cast<int>(m_str.size()); }

BOOL CString::IsEmpty() const { return m_str.empty(); }

void CString::Empty() { m_str.clear(); }

TCHAR CString::GetAt(int nIndex) const {
  if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_str.size()) return '\0';
  return m_str[static_cast<std::size_t>(nIndex)];
}

TCHAR CString::operator[](int nIndex) const { return GetAt(nIndex); }

CString::operator LPCTSTR() const { return m_str.c_str(); }

int CString::Compare(LPCTSTR lpsz) const { return std::strcmp(m_str.c_str(), NonNull(lpsz)); }

int CString::CompareNoCase(LPCTSTR lpsz) const { return _stricmp(m_str.c_str(), NonNull(lpsz)); }

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  auto [begin, size] = Clamp(nFirst, nCount, m_str.size());
  return CString(m_str.data() + begin, static_cast<int>(size));
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const {
  int count = std::clamp(nCount, 0, GetLength());
  return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(LPCTSTR lpszCharSet) const {
  return Left(static_cast<int>(std::strspn(m_str.c_str(), NonNull(lpszCharSet))));
}

CString CString::SpanExcluding(LPCTSTR lpszCharSet) const {
  return Left(static_cast<int>(std::strcspn(m_str.c_str(), NonNull(lpszCharSet))));
}

void CString::MakeUpper() { std::transform(m_str.begin(), m_str.end(), m_str.begin(), Upper); }

void CString::MakeLower() { std::transform(m_str.begin(), m_str.end(), m_str.begin(), Lower); }

int CString::Find(TCHAR ch) const { return Find(ch, 0); }

int CString::Find(TCHAR ch, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) >= m_str.size()) return -1;
  std::size_t at = m_str.find(ch, static_cast<std::size_t>(nStart));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCTSTR lpszSub) const { return Find(lpszSub, 0); }

int CString::Find(LPCTSTR lpszSub, int nStart) const {
  if (nStart < 0 || static_cast<std::size_t>(nStart) > m_str.size()) return -1;
  std::size_t at = m_str.find(NonNull(lpszSub), static_cast<std::size_t>(nStart));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(TCHAR ch) const {
  std::size_t at = m_str.rfind(ch);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCTSTR lpszCharSet) const {
  std::size_t at = std::strcspn(m_str.c_str(), NonNull(lpszCharSet));
  return at == std::strlen(m_str.c_str()) ? -1 : static_cast<int>(at);
}

void CString::Format(LPCTSTR lpszFormat, ...) {
  va_list args;
  va_start(args, lpszFormat);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, NonNull(lpszFormat), args);
  va_end(args);
  if (length < 0) {
    m_str.clear();
  } else {
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, NonNull(lpszFormat), again);
    m_str = std::move(text);
  }
  va_end(again);
}

LPTSTR CString::GetBuffer(int nMinBufLength) {
  if (nMinBufLength > 0 && static_cast<std::size_t>(nMinBufLength) > m_str.size()) {
    m_str.resize(static_cast<std::size_t>(nMinBufLength), '\0');
  }
  return m_str.data();
}

LPTSTR CString::GetBufferSetLength(int nNewLength) {
  GetBuffer(nNewLength);
  ReleaseBuffer(nNewLength);
  return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
  std::size_t length = nNewLength < 0
                           ? strnlen(m_str.c_str(), m_str.size())
                           : std::min(static_cast<std::size_t>(nNewLength), m_str.size());
  m_str.resize(length);
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, LPCTSTR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(LPCTSTR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, TCHAR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(TCHAR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
bool operator!=(const CString& a, LPCTSTR b) { return a.Compare(b) != 0; }
bool operator!=(LPCTSTR a, const CString& b) { return b.Compare(a) != 0; }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, LPCTSTR b) { return a.Compare(b) < 0; }
bool operator<(LPCTSTR a, const CString& b) { return b.Compare(a) > 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator>(const CString& a, LPCTSTR b) { return a.Compare(b) > 0; }
bool operator>(LPCTSTR a, const CString& b) { return b.Compare(a) < 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator<=(const CString& a, LPCTSTR b) { return a.Compare(b) <= 0; }
bool operator<=(LPCTSTR a, const CString& b) { return b.Compare(a) >= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
bool operator>=(const CString& a, LPCTSTR b) { return a.Compare(b) >= 0; }
bool operator>=(LPCTSTR a, const CString& b) { return b.Compare(a) <= 0; }
