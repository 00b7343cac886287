// The system palette of an 8-bit screen: 256 entries, the first and last 10 the
// static VGA colours, the 236 between them free for logical palettes.
//
// The realisation model, kept simple and deterministic:
// - Every free entry is either unused (black) or owned by one logical palette,
//   remembered with the logical index it holds.
// - Foreground realisation of a palette other than the current foreground one first
//   releases every non-static entry: the foreground palette may take all 236.
// - Background realisation takes only entries that are unused; entries owned by the
//   foreground palette or by earlier background palettes stay.
// - Each logical entry, in order: an entry this palette already owns for the same
//   index and colour is kept; otherwise, unless the entry is PC_RESERVED or
//   PC_NOCOLLAPSE, an entry of exactly that colour is shared; otherwise the lowest
//   unused entry is taken; when none is left the colour maps to the nearest entry.
//   PC_EXPLICIT is treated as an ordinary colour.
// - The result is the number of entries newly taken: realising the same palette
//   again returns 0.
// - Deleting a palette releases the entries it owns.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>
#include <unordered_map>

namespace platform::gdi {

class SystemPalette {
 public:
  static constexpr int kSize = 256;
  static constexpr int kStaticHalf = 10;

  SystemPalette();

  // Back to the static colours, every free entry unused.
  void Reset();
  UINT Realize(const void* palette, std::span<const PALETTEENTRY> entries, bool background);
  void Release(const void* palette);

  const std::array<PALETTEENTRY, kSize>& Entries() const { return m_entries; }
  // The 0x00RRGGBB colour of the entry nearest to rgb (squared distance, lowest
  // index on ties).
  std::uint32_t Nearest(std::uint32_t rgb) const;

  // The 20 static colours in default-palette order.
  static std::span<const PALETTEENTRY> StaticColours();

 private:
  struct Owner {
    const void* palette = nullptr;  // null: static (index outside the free range) or unused
    UINT index = 0;
  };

  static bool IsFree(int i) { return i >= kStaticHalf && i < kSize - kStaticHalf; }
  void Clear(int i);
  int FindShared(const PALETTEENTRY& colour) const;
  int FindUnused() const;

  std::array<PALETTEENTRY, kSize> m_entries{};
  std::array<Owner, kSize> m_owners{};
  const void* m_foreground = nullptr;
  mutable std::unordered_map<std::uint32_t, std::uint32_t> m_nearest;
};

// The screen's system palette (used at depth 8 only).
SystemPalette& ScreenPalette();

// Tells the screen's palette-change listener that changer's context altered the
// system palette.
void NotifyPaletteChanged(HWND changer);

}  // namespace platform::gdi
