// A stand-in colour engine for SCRNPICK's tests, built as ZIRN.DLL in a directory of its
// own. It lists the names in FAKE_ZIRN_NAMES (one per line, in that order), or "Again"
// for ever when FAKE_ZIRN_ENDLESS is set, and appends every name it is given to
// FAKE_ZIRN_SET_LOG, one a line. Each enumeration call appends its arguments to
// FAKE_ZIRN_ENUM_LOG: the classification, both cursors as received, the size, and
// whether both buffers were all zero bytes.
//
// A name is copied as an engine that fills the buffer would: at most size bytes, and
// terminated only when it is shorter than that.
#include <zirn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Names() {
  std::vector<std::string> names;
  const char* list = std::getenv("FAKE_ZIRN_NAMES");
  if (list == nullptr || *list == '\0') return names;
  std::string all(list);
  for (std::size_t start = 0;;) {
    std::size_t end = all.find('\n', start);
    names.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
}

void Append(const char* variable, const std::string& line) {
  const char* path = std::getenv(variable);
  if (path == nullptr) return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

bool AllZero(const char* buffer, int32_t size) {
  for (int32_t i = 0; i < size; ++i) {
    if (buffer[i] != '\0') return false;
  }
  return true;
}

}  // namespace

extern "C" {

ZIRN_API int32_t WINAPI enum_profiles_by_classification(int32_t classification, int32_t* cursor1,
                                                        int32_t* cursor2, char* name, char* second,
                                                        int32_t size) {
  Append("FAKE_ZIRN_ENUM_LOG",
         std::to_string(classification) + " " + std::to_string(*cursor1) + " " +
             std::to_string(*cursor2) + " " + std::to_string(size) +
             (AllZero(name, size) && AllZero(second, size) ? " zero" : " used"));
  std::string next;
  if (std::getenv("FAKE_ZIRN_ENDLESS") != nullptr) {
    next = "Again";
  } else {
    std::vector<std::string> names = Names();
    if (*cursor1 < 0 || static_cast<std::size_t>(*cursor1) >= names.size()) return 0;
    next = names[static_cast<std::size_t>(*cursor1)];
  }
  ++*cursor1;
  *cursor2 = 1000 + *cursor1;  // the engine's own cursor, which the caller leaves alone
  std::memcpy(name, next.data(), std::min<std::size_t>(next.size(), size));
  if (next.size() < static_cast<std::size_t>(size)) name[next.size()] = '\0';
  std::snprintf(second, static_cast<std::size_t>(size), "/fake/%d.icc", *cursor1);
  return 1;
}

ZIRN_API short WINAPI ZIRN_SetMonitorProfile(const char* name) {
  Append("FAKE_ZIRN_SET_LOG", name);
  return ZIRN_OK;
}

}  // extern "C"
