// The colour engine as the plug-in drives it, over an arbitrary embedded profile: the
// bytes are saved as a profile file in a Windows directory, named, and matched to the
// sRGB monitor with one-record calls and a colour-map call, both RGB and CMYK records.
#include <zirn.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary folder holding the engine's home and the Windows directory, removed at
// exit. The engine reads ZIRN_HOME on every call, so setting it once is enough.
class Scratch {
 public:
  Scratch() {
    char folder[] = "/tmp/zirn_profile_fuzzer.XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    m_root = folder;
    if (::mkdir((m_root + "/zirn").c_str(), 0700) != 0) std::abort();
    if (::mkdir((m_root + "/windows").c_str(), 0700) != 0) std::abort();
    setenv("ZIRN_HOME", (m_root + "/zirn").c_str(), 1);
    m_profile = m_root + "/windows/jjj.icm";
  }
  ~Scratch() {
    unlink(m_profile.c_str());
    rmdir((m_root + "/windows").c_str());
    rmdir((m_root + "/zirn").c_str());
    rmdir(m_root.c_str());
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const char* WriteProfile(const uint8_t* data, size_t size) const {
    FILE* out = std::fopen(m_profile.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    return m_profile.c_str();
  }

 private:
  std::string m_root;
  std::string m_profile;
};

const Scratch g_scratch;

// The one-record calls, as the JPEG and TIFF paths make them; component 3 must come back
// as it went in.
void MatchOneByOne(const MatchColor* colours, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    MatchColor record = colours[i];
    if (ZIRN_Match(1, &record) != ZIRN_OK) std::abort();
    if (record.c[3] != colours[i].c[3]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = g_scratch.WriteProfile(data, size);

  char name[ZIRN_MAX_NAME + 1];
  short named = ZIRN_GetProfileName(path, name);
  if (named > 0 && std::memchr(name, '\0', sizeof name) == nullptr) std::abort();

  if (ZIRN_BeginMatchingSession(path, "sRGB") != ZIRN_OK) {
    // A failed start leaves no session behind.
    MatchColor record{};
    if (ZIRN_Match(1, &record) != ZIRN_ERR_NO_SESSION) std::abort();
    return 0;
  }
  // RGB records (each byte times 257), CMYK records (each byte times 256) and the ends
  // of the range; then a colour map whose values come from the input.
  const MatchColor fixed[] = {{{0, 0, 0, 0}},
                              {{0xFFFF, 0xFFFF, 0xFFFF, 0}},
                              {{0x8080, 0x4040, 0xC0C0, 0}},
                              {{0xFF00, 0x8000, 0x0000, 0x4000}},
                              {{0x0000, 0x0000, 0x0000, 0xFF00}},
                              {{0x1234, 0xFEDC, 0x0001, 0xFFFF}}};
  MatchOneByOne(fixed, sizeof fixed / sizeof fixed[0]);
  MatchColor map[256];
  for (size_t i = 0; i < 256; ++i) {
    uint8_t v = size != 0 ? data[i % size] : 0;
    map[i] = MatchColor{
        {uint16_t(i * 257), uint16_t(v * 256), uint16_t((255 - i) * 257), uint16_t(v * 257)}};
  }
  MatchOneByOne(map, 16);
  if (ZIRN_Match(256, map) != ZIRN_OK) std::abort();
  if (ZIRN_EndMatching() != ZIRN_OK) std::abort();
  return 0;
}
