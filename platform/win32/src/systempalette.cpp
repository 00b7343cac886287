// The 8-bit screen's system palette and its realisation model (see the header).
#include "systempalette.h"

namespace platform::gdi {
namespace {

// The Windows static colours: VGA's 16 plus money green, sky blue, cream and medium
// grey, in the default palette's order (the first 10 go to entries 0-9, the last 10
// to entries 246-255).
constexpr PALETTEENTRY kStaticColours[20] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
};

// A 24-bit picture drawn at depth 8 can ask for millions of colours; the memo of
// nearest entries is emptied when it grows past this.
constexpr std::size_t kMaxMemo = std::size_t{1} << 16;

bool SameColour(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

}  // namespace

SystemPalette::SystemPalette() { Reset(); }

std::span<const PALETTEENTRY> SystemPalette::StaticColours() { return kStaticColours; }

void SystemPalette::Reset() {
  for (int i = 0; i < kSize; ++i) Clear(i);
  for (int i = 0; i < kStaticHalf; ++i) {
    m_entries[i] = kStaticColours[i];
    m_entries[kSize - kStaticHalf + i] = kStaticColours[kStaticHalf + i];
  }
  m_foreground = nullptr;
  m_nearest.clear();
}

void SystemPalette::Clear(int i) {
  m_entries[i] = PALETTEENTRY{0, 0, 0, 0};
  m_owners[i] = Owner{};
}

int SystemPalette::FindShared(const PALETTEENTRY& colour) const {
  for (int i = 0; i < kSize; ++i) {
    bool used = !IsFree(i) || m_owners[i].palette != nullptr;
    if (used && SameColour(m_entries[i], colour)) return i;
  }
  return -1;
}

int SystemPalette::FindUnused() const {
  for (int i = kStaticHalf; i < kSize - kStaticHalf; ++i) {
    if (m_owners[i].palette == nullptr) return i;
  }
  return -1;
}

UINT SystemPalette::Realize(const void* palette, std::span<const PALETTEENTRY> entries,
                            bool background) {
  if (!background && palette != m_foreground) {
    for (int i = kStaticHalf; i < kSize - kStaticHalf; ++i) Clear(i);
    m_foreground = palette;
    m_nearest.clear();
  }
  UINT taken = 0;
  for (UINT n = 0; n < entries.size(); ++n) {
    const PALETTEENTRY& colour = entries[n];
    bool kept = false;
    for (int i = kStaticHalf; i < kSize - kStaticHalf && !kept; ++i) {
      kept = m_owners[i].palette == palette && m_owners[i].index == n &&
             SameColour(m_entries[i], colour);
    }
    if (kept) continue;
    bool ownEntry = (colour.peFlags & (PC_RESERVED | PC_NOCOLLAPSE)) != 0;
    if (!ownEntry && FindShared(colour) >= 0) continue;
    int i = FindUnused();
    if (i < 0) continue;  // full: the colour maps to the nearest entry
    m_entries[i] = PALETTEENTRY{colour.peRed, colour.peGreen, colour.peBlue, 0};
    m_owners[i] = Owner{palette, n};
    ++taken;
  }
  if (taken != 0) m_nearest.clear();
  return taken;
}

void SystemPalette::Release(const void* palette) {
  for (int i = kStaticHalf; i < kSize - kStaticHalf; ++i) {
    if (m_owners[i].palette == palette) Clear(i);
  }
  if (m_foreground == palette) m_foreground = nullptr;
  m_nearest.clear();
}

std::uint32_t SystemPalette::Nearest(std::uint32_t rgb) const {
  auto it = m_nearest.find(rgb);
  if (it != m_nearest.end()) return it->second;
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < kSize; ++i) {
    long dr = m_entries[i].peRed - r, dg = m_entries[i].peGreen - g, db = m_entries[i].peBlue - b;
    long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  const PALETTEENTRY& e = m_entries[best];
  std::uint32_t result =
      (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
  if (m_nearest.size() >= kMaxMemo) m_nearest.clear();
  m_nearest.emplace(rgb, result);
  return result;
}

}  // namespace platform::gdi
