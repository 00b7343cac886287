// The fixture of the end-to-end tests: a scratch directory with its own Windows
// directory and engine home, and nphost run on a file there with a screenshot and a
// message log.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host_run.h"
#include "tests/support/scratchdir.h"
#include "tests/viewer/test_images.h"

namespace e2e {

inline constexpr uint32_t kWhite = 0xFFFFFF;

inline constexpr const char* kAdvice =
    "Please exit the application and run SCRNPICK program\n to set the monitor profile.";

inline uint32_t ToPixel(viewertest::Rgb c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// The colour a red-green swapping profile matched to sRGB makes of c.
inline uint32_t Swapped(viewertest::Rgb c) { return ToPixel(viewertest::Rgb{c.g, c.r, c.b}); }

// A 64 x 48 picture of solid quarters, so that a JPEG keeps its colours away from the edges.
inline constexpr int kQuartersWidth = 64;
inline constexpr int kQuartersHeight = 48;
viewertest::Rgb Quarters(int x, int y);

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Makes the engine's first sRGB display profile the monitor profile of this run's
  // engine home, as the chooser would.
  void ChooseSrgbMonitor();

  // Runs nphost (the build's, or another) on the file from the scratch directory, with
  // --windir, --screenshot and --messages set to the scratch directory's.
  int Host(const std::string& file, std::vector<std::string> options,
           const std::string& nphost = ZELVW_NPHOST);

  // Host with a time limit, failing the test (named by what) for anything the
  // sanitizers report on standard error (ASan's and LSan's reports also make the status
  // non-zero, UBSan's do not).
  int HostChecked(const std::string& file, std::vector<std::string> options,
                  const std::string& what);

  // Writes the quarters as a JPEG carrying the red-green swapping profile in a JFXX
  // segment; returns its path.
  std::string WriteSwappingJpeg(const std::string& name) const;

  // Writes text to a file of the scratch directory; returns its path.
  std::string WriteText(const std::string& name, const std::string& text) const;

  // Every file under the scratch directory but the screenshot and the message log.
  std::set<std::string> ScratchFiles() const;

  std::string Shot() const { return m_scratch / "screen.png"; }
  std::string Log() const { return m_scratch / "messages.json"; }
  std::string ZirnHome() const { return m_scratch / "zirn"; }
  std::string WindowsDir() const { return m_scratch / "windows"; }

  testsupport::ScratchDir m_scratch;
};

}  // namespace e2e
