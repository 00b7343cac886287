#include "engine_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace enginetest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zirn-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void EngineTest::SetUp() { ::setenv("ZIRN_HOME", m_home.path().c_str(), 1); }

void EngineTest::TearDown() { ZIRN_EndMatching(); }

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void MakeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void WriteProfileNamed(const char* from, const std::string& path, const std::string& description) {
  cmsHPROFILE profile = cmsOpenProfileFromFile(from, "r");
  ASSERT_NE(profile, nullptr) << from;
  if (description.empty()) {
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, nullptr);
  } else {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description.c_str());
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
  }
  bool saved = cmsSaveProfileToFile(profile, path.c_str());
  cmsCloseProfile(profile);
  ASSERT_TRUE(saved) << path;
}

std::string StorePath(const std::string& name) {
  std::int32_t cursor1 = 0;
  std::int32_t cursor2 = 0;
  char listed[260];
  char path[260];
  while (enum_profiles_by_classification(0, &cursor1, &cursor2, listed, path, 260) > 0) {
    if (name == listed) return path;
  }
  return "";
}

std::vector<std::uint16_t> ReferenceTransform(const char* source, const char* monitor,
                                              cmsUInt32Number inputFormat,
                                              const std::vector<std::uint16_t>& input,
                                              std::size_t pixels) {
  cmsHPROFILE in = cmsOpenProfileFromFile(source, "r");
  cmsHPROFILE out = cmsOpenProfileFromFile(monitor, "r");
  cmsHTRANSFORM transform =
      cmsCreateTransform(in, inputFormat, out, TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
  std::vector<std::uint16_t> result(pixels * 3);
  if (transform != nullptr) {
    cmsDoTransform(transform, input.data(), result.data(), static_cast<cmsUInt32Number>(pixels));
    cmsDeleteTransform(transform);
  }
  cmsCloseProfile(in);
  cmsCloseProfile(out);
  EXPECT_NE(transform, nullptr);
  return result;
}

}  // namespace enginetest
