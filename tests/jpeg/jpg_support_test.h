// Shared pieces of the CJPG tests: a recorder of message boxes, the real engine with a
// private ZIRN_HOME and WINDIR, and builders of JFXX segments.
#pragma once

#include "color/ZirnApi.h"
#include "jpeg_test_files.h"

#include <platform/person.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../support/scratchdir.h"

namespace jpgtest {

using jpegtest::Bytes;

struct Box {
  std::string text;
  unsigned style;
};

// Installed as the person at the screen while it lives; every box must carry the
// plug-in's caption.
class BoxRecorder : public platform::Person {
 public:
  BoxRecorder();
  ~BoxRecorder() override;
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  std::vector<std::string> Texts() const;
  std::vector<Box> boxes;

 private:
  platform::Person* m_previous;
};

// The engine ZIRN.DLL from beside the test program, with its own ZIRN_HOME, and the
// Windows directory from a private WINDIR, as the viewer document sets it.
class RealEngine {
 public:
  RealEngine();
  ~RealEngine();
  RealEngine(const RealEngine&) = delete;
  RealEngine& operator=(const RealEngine&) = delete;

  bool Ready() const;
  void SetMonitor(const char* name);
  std::string File(const std::string& name) const { return m_windir / name; }

 private:
  testsupport::ScratchDir m_home;
  testsupport::ScratchDir m_windir;
  testsupport::ScopedEnv m_homeEnv;
  testsupport::ScopedEnv m_windirEnv;
};

inline constexpr char kSrgbProfile[] = "/usr/share/color/icc/colord/sRGB.icc";
inline constexpr char kSwappedProfile[] = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";

// The three bytes of the APP1/APP2 identifier field and the byte after it.
struct Ident {
  std::string text = std::string("JFXX\0", 5);
  uint8_t extension = 0;
};

// One APP1 segment; chunk 1 carries the three extra values, and lengthAdjust is added
// to the length field.
Bytes App1Segment(uint32_t n, uint32_t m, const Bytes& data, const Ident& ident = {},
                  int lengthAdjust = 0);
// One APP2 segment with byte count data.size().
Bytes App2Segment(uint8_t n, uint8_t m, const Bytes& data, const Ident& ident = {},
                  uint16_t length = 0);
// An Exif APP1 segment.
Bytes ExifSegment();

// A small colour JPEG with the segments right after its SOI.
Bytes JpegWith(const std::vector<Bytes>& segments, const Bytes& jpeg = jpegtest::EncodeJpeg({}));

// Some bytes that no segment header would give: 0xFF and marker codes included.
Bytes ProfileBytes(size_t size, uint8_t seed = 1);

Bytes ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// The path of the jfxx-embed program.
std::string EmbedTool();

}  // namespace jpgtest
