// Shared pieces of the engine tests: a private ZIRN_HOME per test, the Debian profiles
// the tests use, small file helpers, and profiles made on the spot with LittleCMS.
#pragma once

#include <gtest/gtest.h>
#include <lcms2.h>
#include <zirn.h>

#include <cstdint>
#include <string>
#include <vector>

namespace enginetest {

inline constexpr char kSrgb[] = "/usr/share/color/icc/colord/sRGB.icc";
inline constexpr char kSwapped[] = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";
inline constexpr char kAdobe[] = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
inline constexpr char kCmyk[] = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
inline constexpr char kGray[] = "/usr/share/color/icc/ghostscript/default_gray.icc";
inline constexpr char kLab[] = "/usr/share/color/icc/ghostscript/lab.icc";
// Descriptions, as the files carry them.
inline constexpr char kSrgbName[] = "sRGB";
inline constexpr char kSwappedName[] = "Swapped Red and Green";
inline constexpr char kAdobeName[] = "Compatible with Adobe RGB (1998)";
inline constexpr char kCmykName[] = "Artifex CMYK SWOP Profile";

// A fresh directory, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// Every engine test runs with its own ZIRN_HOME and leaves no session open.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::string& home() const { return m_home.path(); }
  std::string profilesDir() const { return m_home.path() + "/profiles"; }

 private:
  TempDir m_home;
};

std::vector<std::uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
void MakeDirs(const std::string& path);

// Saves a copy of the profile at from to path with its description replaced; an empty
// description removes the description tag.
void WriteProfileNamed(const char* from, const std::string& path, const std::string& description);

// The file the engine's store gives for a display profile name (the system has more
// than one "sRGB"); empty when it has none.
std::string StorePath(const std::string& name);

// LittleCMS's own transform from the profile file at source to the one at monitor
// (perceptual intent, default flags), applied to the given colours.
std::vector<std::uint16_t> ReferenceTransform(const char* source, const char* monitor,
                                              cmsUInt32Number inputFormat,
                                              const std::vector<std::uint16_t>& input,
                                              std::size_t pixels);

}  // namespace enginetest
