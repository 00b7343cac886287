#include "jpg_support_test.h"

#include "color/ColorEngine.h"
#include "viewer/ModuleState.h"

#include <windows.h>

#include <cstring>
#include <filesystem>

namespace jpgtest {

namespace {

void ResetModuleState() {
  g_bEmbeddedProfile = 0;
  g_nProfilePaths = 0;
  for (CString& path : g_strProfilePaths) path.Empty();
}

void PutBigEndian(Bytes& out, uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutIdent(Bytes& out, const Ident& ident) {
  out.insert(out.end(), ident.text.begin(), ident.text.end());
  out.push_back(ident.extension);
}

}  // namespace

BoxRecorder::BoxRecorder() : m_previous(platform::SetPerson(this)) {}

BoxRecorder::~BoxRecorder() { platform::SetPerson(m_previous); }

int BoxRecorder::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  EXPECT_EQ(caption, "Plug-in") << text;
  boxes.push_back({text, style});
  return IDOK;
}

std::vector<std::string> BoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const Box& box : boxes) texts.push_back(box.text);
  return texts;
}

RealEngine::RealEngine()
    : m_homeEnv("ZIRN_HOME", m_home.path()), m_windirEnv("WINDIR", m_windir.path()) {
  g_pColorEngine = new CColorEngine;
  g_bEngineReady = g_pColorEngine->Load();
  char szDir[256] = {};
  GetWindowsDirectoryA(szDir, 255);
  g_strWindowsDir = szDir;
  g_strWindowsDir += "\\";
  ResetModuleState();
}

RealEngine::~RealEngine() {
  delete g_pColorEngine;
  g_pColorEngine = nullptr;
  g_bEngineReady = 0;
  ResetModuleState();
}

bool RealEngine::Ready() const { return g_bEngineReady == 1; }

void RealEngine::SetMonitor(const char* name) {
  ASSERT_EQ(g_pColorEngine->m_pfnSetMonitorProfile(name), 0) << name;
}

Bytes App1Segment(uint32_t n, uint32_t m, const Bytes& data, const Ident& ident, int lengthAdjust) {
  Bytes segment = {0xFF, 0xE1};
  PutBigEndian(segment, static_cast<uint32_t>((n == 1 ? 32 : 20) + data.size() + lengthAdjust), 2);
  PutIdent(segment, ident);
  segment.insert(segment.end(), 4, 0);
  PutBigEndian(segment, n, 4);
  PutBigEndian(segment, m, 4);
  if (n == 1) segment.insert(segment.end(), 12, 0x5A);
  segment.insert(segment.end(), data.begin(), data.end());
  return segment;
}

Bytes App2Segment(uint8_t n, uint8_t m, const Bytes& data, const Ident& ident, uint16_t length) {
  Bytes segment = {0xFF, 0xE2};
  PutBigEndian(segment, length != 0 ? length : static_cast<uint32_t>(26 + data.size()), 2);
  PutIdent(segment, ident);
  segment.insert(segment.end(), 12, 0x5A);
  segment.push_back(n);
  segment.push_back(m);
  PutBigEndian(segment, static_cast<uint32_t>(data.size()), 4);
  segment.insert(segment.end(), data.begin(), data.end());
  return segment;
}

Bytes ExifSegment() {
  Bytes segment = {0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
  return segment;
}

Bytes JpegWith(const std::vector<Bytes>& segments, const Bytes& jpeg) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  for (const Bytes& segment : segments) out.insert(out.end(), segment.begin(), segment.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

Bytes ProfileBytes(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<uint8_t>((i * 131 + seed * 17) ^ (i >> 3));
  // Markers inside the data must not be taken for segments.
  if (size > 8) {
    bytes[3] = 0xFF;
    bytes[4] = 0xDA;
    bytes[size - 2] = 0xFF;
    bytes[size - 1] = 0xE1;
  }
  return bytes;
}

Bytes ReadBytes(const std::string& path) { return jpegtest::ReadFile(path); }

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string EmbedTool() { return ZELVW_JFXX_EMBED; }

}  // namespace jpgtest
