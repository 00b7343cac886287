// colour-chart: writes a baseline JPEG colour chart, a grid of solid patches on a
// grey ground, for trying out colour matching: hues at full, half and pastel strength,
// natural colours, a grey ramp and the primaries. Patches are solid and away from
// their edges, so a matched copy can be compared patch by patch.
//
// Exit status: 0 written; 1 the file could not be written; 2 bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kColumns = 8;
constexpr int kRows = 6;
constexpr int kCell = 48;  // a patch and its share of the ground
constexpr int kGround = 4;
constexpr unsigned char kGroundGrey = 128;

struct Rgb {
  unsigned char r, g, b;
};

// Full-strength hues, from red round to magenta.
constexpr Rgb kHues[kColumns] = {{255, 0, 0},   {255, 128, 0}, {255, 255, 0}, {0, 200, 0},
                                 {0, 255, 255}, {0, 64, 255},  {128, 0, 255}, {255, 0, 192}};
constexpr Rgb kNatural[kColumns] = {{115, 82, 68},  {194, 150, 130}, {98, 122, 157},
                                    {87, 108, 67},  {133, 128, 177}, {103, 189, 170},
                                    {214, 126, 44}, {80, 91, 166}};
constexpr Rgb kPrimaries[kColumns] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255}, {0, 255, 255},
                                      {255, 0, 255}, {255, 255, 0}, {0, 0, 0},   {255, 255, 255}};

Rgb Scaled(Rgb c, int nNumerator, int nDenominator) {
  return {static_cast<unsigned char>(c.r * nNumerator / nDenominator),
          static_cast<unsigned char>(c.g * nNumerator / nDenominator),
          static_cast<unsigned char>(c.b * nNumerator / nDenominator)};
}

Rgb Pastel(Rgb c) {
  return {static_cast<unsigned char>((c.r + 2 * 255) / 3),
          static_cast<unsigned char>((c.g + 2 * 255) / 3),
          static_cast<unsigned char>((c.b + 2 * 255) / 3)};
}

Rgb Patch(int nColumn, int nRow) {
  switch (nRow) {
    case 0:
      return kHues[nColumn];
    case 1:
      return Scaled(kHues[nColumn], 1, 2);
    case 2:
      return Pastel(kHues[nColumn]);
    case 3:
      return kNatural[nColumn];
    case 4: {
      auto grey = static_cast<unsigned char>(nColumn * 255 / (kColumns - 1));
      return {grey, grey, grey};
    }
    default:
      return kPrimaries[nColumn];
  }
}

std::vector<unsigned char> Chart() {
  const int nWidth = kColumns * kCell, nHeight = kRows * kCell;
  std::vector<unsigned char> rgb(static_cast<size_t>(nWidth) * nHeight * 3, kGroundGrey);
  for (int y = 0; y < nHeight; ++y) {
    for (int x = 0; x < nWidth; ++x) {
      if (x % kCell < kGround || y % kCell < kGround) continue;
      Rgb c = Patch(x / kCell, y / kCell);
      unsigned char* p = &rgb[(static_cast<size_t>(y) * nWidth + x) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return rgb;
}

bool WriteJpeg(const char* pszPath, const std::vector<unsigned char>& rgb) {
  FILE* file = std::fopen(pszPath, "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = kColumns * kCell;
  cinfo.image_height = kRows * kCell;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(&rgb[cinfo.next_scanline * cinfo.image_width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  bool bWritten = !std::ferror(file);
  return std::fclose(file) == 0 && bWritten;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr,
                 "usage: colour-chart OUT.jpg\n"
                 "Writes a %dx%d JPEG colour chart of %d patches.\n",
                 kColumns * kCell, kRows * kCell, kColumns * kRows);
    return 2;
  }
  if (!WriteJpeg(argv[1], Chart())) {
    std::fprintf(stderr, "colour-chart: cannot write %s\n", argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
