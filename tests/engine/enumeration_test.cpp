#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "engine_test_support.h"

namespace enginetest {
namespace {

struct Listed {
  std::string name;
  std::string path;
};

class EnumerationTest : public EngineTest {
 protected:
  // The whole enumeration, as the chooser runs it (260-byte buffers).
  std::vector<Listed> List() {
    std::vector<Listed> listed;
    std::int32_t cursor1 = 0;
    std::int32_t cursor2 = 0;
    char name[260] = {};
    char path[260] = {};
    for (int guard = 0; guard < 10000; ++guard) {
      std::int32_t result = enum_profiles_by_classification(0, &cursor1, &cursor2, name, path, 260);
      if (result <= 0) {
        EXPECT_EQ(result, 0);
        // It stays at the end.
        EXPECT_EQ(enum_profiles_by_classification(0, &cursor1, &cursor2, name, path, 260), 0);
        return listed;
      }
      EXPECT_EQ(result, 1);
      listed.push_back({name, path});
    }
    ADD_FAILURE() << "enumeration does not end";
    return listed;
  }

  static std::vector<std::string> Names(const std::vector<Listed>& listed) {
    std::vector<std::string> names;
    for (const Listed& item : listed) names.push_back(item.name);
    return names;
  }
};

TEST_F(EnumerationTest, ListsEachRgbDisplayProfileOnce) {
  std::vector<Listed> listed = List();
  ASSERT_FALSE(listed.empty());
  std::set<std::string> names;
  for (const Listed& item : listed) {
    EXPECT_TRUE(names.insert(item.name).second) << "listed twice: " << item.name;
    cmsHPROFILE profile = cmsOpenProfileFromFile(item.path.c_str(), "r");
    ASSERT_NE(profile, nullptr) << item.path;
    EXPECT_EQ(cmsGetDeviceClass(profile), cmsSigDisplayClass) << item.path;
    EXPECT_EQ(cmsGetColorSpace(profile), cmsSigRgbData) << item.path;
    cmsCloseProfile(profile);
  }
  for (const char* expected : {kSrgbName, kSwappedName, kAdobeName}) {
    EXPECT_EQ(names.count(expected), 1u) << expected;
  }
  EXPECT_EQ(names.count(kCmykName), 0u);  // a printer profile
  EXPECT_EQ(names.count("Gray"), 0u);     // a display profile, but not RGB
}

TEST_F(EnumerationTest, OwnProfilesComeFirstInStoreOrder) {
  MakeDirs(profilesDir() + "/sub");
  WriteProfileNamed(kSrgb, profilesDir() + "/b.icc", "Zeta Home");
  WriteProfileNamed(kSrgb, profilesDir() + "/a.icc", "Alpha Home");
  WriteProfileNamed(kSwapped, profilesDir() + "/c.icc", kSrgbName);  // hides the system's sRGB
  WriteProfileNamed(kSrgb, profilesDir() + "/sub/0.icc", "Sub Home");
  WriteProfileNamed(kCmyk, profilesDir() + "/printer.icc", "Home Printer");
  WriteFile(profilesDir() + "/notes.txt", std::string("not a profile"));

  std::vector<Listed> listed = List();
  ASSERT_GE(listed.size(), 4u);
  std::vector<std::string> first(4);
  std::transform(listed.begin(), listed.begin() + 4, first.begin(),
                 [](const Listed& item) { return item.name; });
  EXPECT_EQ(first, (std::vector<std::string>{"Alpha Home", "Zeta Home", kSrgbName, "Sub Home"}));
  EXPECT_EQ(listed[2].path, profilesDir() + "/c.icc");
  std::vector<std::string> names = Names(listed);
  EXPECT_EQ(std::count(names.begin(), names.end(), kSrgbName), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Home Printer"), 0);
}

TEST_F(EnumerationTest, SeesProfilesAddedAndRenamedBetweenRuns) {
  MakeDirs(profilesDir());
  EXPECT_EQ(List().size(), List().size());
  std::size_t before = List().size();
  WriteProfileNamed(kSrgb, profilesDir() + "/mine.icc", "Mine");
  std::vector<Listed> listed = List();
  ASSERT_EQ(listed.size(), before + 1);
  EXPECT_EQ(listed[0].name, "Mine");
  WriteProfileNamed(kSrgb, profilesDir() + "/mine.icc", "Renamed Mine");
  EXPECT_EQ(List()[0].name, "Renamed Mine");
  ::unlink((profilesDir() + "/mine.icc").c_str());
  EXPECT_EQ(List().size(), before);
}

TEST_F(EnumerationTest, FolderDepthIsBoundedAndLoopsEnd) {
  std::string deep = profilesDir();
  for (int depth = 1; depth <= 5; ++depth) {
    deep += "/d" + std::to_string(depth);
    MakeDirs(deep);
    WriteProfileNamed(kSrgb, deep + "/p.icc", "Depth " + std::to_string(depth));
  }
  ASSERT_EQ(::symlink(profilesDir().c_str(), (profilesDir() + "/loop").c_str()), 0);
  std::vector<std::string> names = Names(List());
  for (int depth = 1; depth <= 4; ++depth) {
    EXPECT_EQ(std::count(names.begin(), names.end(), "Depth " + std::to_string(depth)), 1) << depth;
  }
  EXPECT_EQ(std::count(names.begin(), names.end(), "Depth 5"), 0);
}

TEST_F(EnumerationTest, NamesAndPathsAreCutToTheGivenSize) {
  MakeDirs(profilesDir());
  WriteProfileNamed(kSrgb, profilesDir() + "/a.icc", "Abcdefgh");
  for (std::int32_t size : {1, 5}) {
    std::int32_t cursor1 = 0;
    std::int32_t cursor2 = 0;
    char name[16];
    char path[16];
    std::memset(name, '#', sizeof name);
    std::memset(path, '#', sizeof path);
    ASSERT_EQ(enum_profiles_by_classification(0, &cursor1, &cursor2, name, path, size), 1);
    EXPECT_EQ(std::string(name), std::string("Abcdefgh").substr(0, size - 1));
    EXPECT_EQ(std::string(path), profilesDir().substr(0, size - 1));
    EXPECT_TRUE(std::all_of(name + size, name + sizeof name, [](char c) { return c == '#'; }));
    EXPECT_TRUE(std::all_of(path + size, path + sizeof path, [](char c) { return c == '#'; }));
  }
}

TEST_F(EnumerationTest, BadArgumentsAndOtherClassificationsReturnNothing) {
  std::int32_t cursor1 = 0;
  std::int32_t cursor2 = 0;
  char name[8] = "same";
  EXPECT_EQ(enum_profiles_by_classification(1, &cursor1, &cursor2, name, nullptr, 8), 0);
  EXPECT_EQ(enum_profiles_by_classification(-1, &cursor1, &cursor2, name, nullptr, 8), 0);
  EXPECT_LT(enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, 0), 0);
  EXPECT_LT(enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, -5), 0);
  EXPECT_LT(enum_profiles_by_classification(0, nullptr, &cursor2, name, nullptr, 8), 0);
  EXPECT_LT(enum_profiles_by_classification(0, &cursor1, nullptr, name, nullptr, 8), 0);
  EXPECT_LT(enum_profiles_by_classification(0, &cursor1, &cursor2, nullptr, nullptr, 8), 0);
  EXPECT_STREQ(name, "same");
  EXPECT_EQ(cursor1, 0);
  cursor1 = -3;
  EXPECT_EQ(enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, 8), 0);
  EXPECT_STREQ(name, "same");
}

TEST_F(EnumerationTest, RestartsAndResumesFromTheCursor) {
  std::vector<Listed> all = List();
  ASSERT_GE(all.size(), 3u);
  std::int32_t cursor1 = 2;
  std::int32_t cursor2 = 0;  // not an enumeration this engine started
  char name[260];
  ASSERT_EQ(enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, 260), 1);
  EXPECT_EQ(name, all[2].name);
  EXPECT_EQ(cursor1, 3);
  cursor1 = 0;
  ASSERT_EQ(enum_profiles_by_classification(0, &cursor1, &cursor2, name, nullptr, 260), 1);
  EXPECT_EQ(name, all[0].name);
}

}  // namespace
}  // namespace enginetest
