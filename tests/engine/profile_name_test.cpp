#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "engine_test_support.h"

namespace enginetest {
namespace {

class ProfileNameTest : public EngineTest {
 protected:
  // The result, and the name when the result is positive; checks the name stays inside
  // the 256 bytes callers give.
  short Name(const std::string& path, std::string& name) {
    char buffer[300];
    std::memset(buffer, 0x7F, sizeof buffer);
    short result = ZIRN_GetProfileName(path.c_str(), buffer);
    const char* end = static_cast<const char*>(std::memchr(buffer, '\0', 256));
    EXPECT_NE(end, nullptr) << "name not terminated within 256 bytes";
    EXPECT_TRUE(std::all_of(buffer + 256, buffer + sizeof buffer, [](char c) { return c == 0x7F; }))
        << "wrote past 256 bytes";
    name = end != nullptr ? std::string(static_cast<const char*>(buffer), end) : "";
    return result;
  }
};

TEST_F(ProfileNameTest, NameIsTheDescription) {
  std::string name;
  EXPECT_GT(Name(kSrgb, name), 0);
  EXPECT_EQ(name, kSrgbName);
  EXPECT_GT(Name(kCmyk, name), 0);
  EXPECT_EQ(name, kCmykName);
}

TEST_F(ProfileNameTest, AcceptsBackslashes) {
  std::string path = kAdobe;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::string name;
  EXPECT_GT(Name(path, name), 0);
  EXPECT_EQ(name, kAdobeName);
}

TEST_F(ProfileNameTest, LongDescriptionIsCutTo255Bytes) {
  std::string description(400, 'L');
  description.replace(250, 10, "0123456789");
  WriteProfileNamed(kSrgb, home() + "/long.icc", description);
  std::string name;
  EXPECT_GT(Name(home() + "/long.icc", name), 0);
  EXPECT_EQ(name, description.substr(0, 255));
}

TEST_F(ProfileNameTest, WithoutDescriptionTheFileNameIsUsed) {
  WriteProfileNamed(kSrgb, home() + "/Plain Name.v2.icm", "");
  std::string name;
  EXPECT_GT(Name(home() + "/Plain Name.v2.icm", name), 0);
  EXPECT_EQ(name, "Plain Name.v2");
}

TEST_F(ProfileNameTest, WhatIsNoProfileFails) {
  WriteFile(home() + "/text.icc", std::string("this is not a colour profile, just some text.\n"));
  WriteFile(home() + "/empty.icc", std::string());
  std::vector<std::uint8_t> cut = ReadFile(kSrgb);
  cut.resize(200);
  WriteFile(home() + "/cut.icc", cut);
  ASSERT_EQ(::mkfifo((home() + "/fifo.icc").c_str(), 0600), 0);
  std::string name = "unchanged";
  for (const char* file :
       {"/text.icc", "/empty.icc", "/cut.icc", "/missing.icc", "/fifo.icc", ""}) {
    EXPECT_LE(Name(home() + file, name), 0) << file;
    EXPECT_EQ(name, "") << file;
  }
}

TEST_F(ProfileNameTest, HugeFileIsRefusedUnread) {
  std::string path = home() + "/huge.icc";
  std::vector<std::uint8_t> head = ReadFile(kSrgb);
  WriteFile(path, head);
  ASSERT_EQ(::truncate(path.c_str(), off_t{65} << 20), 0);  // sparse, so cheap
  std::string name;
  EXPECT_LE(Name(path, name), 0);
}

TEST_F(ProfileNameTest, NullArgumentsFail) {
  char buffer[256] = "x";
  EXPECT_LE(ZIRN_GetProfileName(nullptr, buffer), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_LE(ZIRN_GetProfileName(kSrgb, nullptr), 0);
}

// Damaged copies of a real profile: each must be named or refused, never crash or
// write outside the buffer (the sanitizer build checks the reads).
TEST_F(ProfileNameTest, DamagedProfilesAreNamedOrRefused) {
  const std::vector<std::uint8_t> original = ReadFile(kSrgb);
  ASSERT_GT(original.size(), 200u);
  std::mt19937 random(7);
  std::string path = home() + "/damaged.icc";
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> bytes = original;
    int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      // Mostly the header and tag table, where sizes and offsets live.
      std::size_t limit = random() % 2 ? 256 : bytes.size();
      bytes[random() % limit] = static_cast<std::uint8_t>(random());
    }
    if (round % 5 == 0) bytes.resize(random() % bytes.size());
    WriteFile(path, bytes);
    std::string name;
    short result = Name(path, name);
    EXPECT_TRUE(result == 1 || result <= 0) << result;
    if (result > 0) {
      EXPECT_FALSE(name.empty());
    }
  }
}

TEST_F(ProfileNameTest, DisposeAcceptsAnyPathButNull) {
  EXPECT_EQ(ZIRN_DisposeProfile(kSrgb), ZIRN_OK);
  EXPECT_EQ(ZIRN_DisposeProfile("C:\\never\\seen.icm"), ZIRN_OK);
  EXPECT_EQ(ZIRN_DisposeProfile(nullptr), ZIRN_ERR_NULL_ARGUMENT);
  std::string name;
  EXPECT_GT(Name(kSrgb, name), 0);
}

}  // namespace
}  // namespace enginetest
