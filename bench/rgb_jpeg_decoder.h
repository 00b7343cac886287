// libjpeg decoding to 8-bit RGB rows, the decode step of the benchmarks' reference
// pipelines and the source of their test images.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

namespace bench {

// start gets the image's size and returns where its first row goes (rows follow one
// another, width * 3 bytes each); row, when given, is called after each row is in.
// False on any libjpeg error.
bool DecodeRgbJpeg(std::FILE* file,
                   const std::function<std::uint8_t*(unsigned nWidth, unsigned nHeight)>& start,
                   const std::function<void(unsigned nRow, std::uint8_t* pRow)>& row = nullptr);

}  // namespace bench
