#include "viewer/ProfileName.h"

#include <cstring>

namespace {

// The eleven characters that end a profile's name, and the path separators.
constexpr const char* kCutCharacters = ";',.-(+=)*`/\\";

}  // namespace

CString ProfileFileName(const char* pszEngineName) {
  if (pszEngineName == nullptr) return CString();
  size_t nLength = strnlen(pszEngineName, kProfilePathSize);
  CString strName = CString(pszEngineName, static_cast<int>(nLength)).SpanExcluding(kCutCharacters);
  if (strName.IsEmpty()) return CString();
  return strName + ".icm";
}

CString ProfilePathIn(const CString& strDirectory, const CString& strFileName) {
  if (strDirectory.IsEmpty()) return CString();
  CString strPath = strDirectory + strFileName;
  if (strPath.GetLength() + 1 > kProfilePathSize) return CString();
  return strPath;
}

CString ProfileFilePath(const CString& strDirectory, const char* pszEngineName) {
  CString strName = ProfileFileName(pszEngineName);
  if (strName.IsEmpty()) return CString();
  return ProfilePathIn(strDirectory, strName);
}
