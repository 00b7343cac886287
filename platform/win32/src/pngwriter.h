// Writing 8-bit RGB PNG files row by row, so that a 600 dpi page never needs to be
// held whole in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform::gdi {

// Fills row y (width 0x00RRGGBB pixels); called for y = 0 .. height - 1 in order.
using PngRowSource = std::function<void(int y, std::uint32_t* row)>;

// False when the file cannot be created or written; a partial file is removed.
bool WritePng(const std::string& path, int width, int height, const PngRowSource& rows);

}  // namespace platform::gdi
