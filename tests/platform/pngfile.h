// Reading PNG files back in tests, as 0x00RRGGBB pixels.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // empty when the file could not be read

  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
  }
};

inline PngImage ReadPng(const std::string& path) {
  PngImage result;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.pixels.resize(bytes.size() / 3);
  for (std::size_t i = 0; i < result.pixels.size(); ++i) {
    result.pixels[i] = (std::uint32_t{bytes[3 * i]} << 16) |
                       (std::uint32_t{bytes[3 * i + 1]} << 8) | bytes[3 * i + 2];
  }
  return result;
}
