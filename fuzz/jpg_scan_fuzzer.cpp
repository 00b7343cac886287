// Fuzz target for the marker scan of CJPG::FindSourceProfile. The scan takes a path,
// so each input is written to one temporary file first. The engine is made of test
// functions (GetProfileName answers with a fixed name), the Windows directory is a
// temporary folder, and message boxes are answered silently.
//
// After each scan a recorded profile must lie in that folder under the fixed name.
#include "jpeg/Jpg.h"

#include "color/ColorEngine.h"
#include "viewer/ModuleState.h"

#include <platform/person.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

constexpr char kProfileName[] = "Fuzz Profile, v2";

class SilentPerson : public platform::Person {
 public:
  int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
};

int16_t WINAPI GetProfileName(const char*, char* pszName) noexcept {
  std::strncpy(pszName, kProfileName, kProfileNameSize);
  return 1;
}

std::string g_dir;
std::string g_image;

void RemoveTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(g_dir, ignored);
}

void SetUpOnce() {
  if (!g_dir.empty()) return;
  char pattern[] = "/tmp/jpg_scan_fuzzer.XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  g_dir = pattern;
  g_image = g_dir + "/image.jpg";
  std::atexit(RemoveTempDir);
  static SilentPerson person;
  platform::SetPerson(&person);
  auto* pEngine = new CColorEngine;
  pEngine->m_pfnGetProfileName = GetProfileName;
  g_pColorEngine = pEngine;
  g_bEngineReady = 1;
  g_strWindowsDir = (g_dir + "\\").c_str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpOnce();
  FILE* file = std::fopen(g_image.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  g_bEmbeddedProfile = 0;
  g_nProfilePaths = 0;
  g_strProfilePaths[0].Empty();
  {
    CJPG jpg;
    jpg.FindSourceProfile(g_image.c_str());
  }
  if (g_bEmbeddedProfile != 0) {
    CString strExpected = g_strWindowsDir + "Fuzz Profile.icm";
    if (g_nProfilePaths != 1 || g_strProfilePaths[0] != strExpected) std::abort();
    std::remove((g_dir + "/Fuzz Profile.icm").c_str());
  }
  return 0;
}
