// A strict reader of the indexed PNG files kesk writes, for the tests and the fuzz targets.
#ifndef KESK_TESTS_PNG_READER_H
#define KESK_TESTS_PNG_READER_H

#include <cstdint>
#include <string>
#include <vector>

// What a fully transparent pixel reads as; 0-15 are the colours.
constexpr uint8_t kPngTransparent = 16;

struct PngPixels {
  uint32_t width;
  uint32_t height;
  std::vector<uint8_t> colours;  // row after row, each 0-15 or kPngTransparent
};

// Decodes `file`, checking every chunk's CRC and that the image data inflates to exactly
// its rows. False, with `error` saying why, unless the file is an indexed, non-interlaced PNG
// of 4 or 8 bits a pixel, unfiltered, whose palette holds only the 16 colours (opaque) and
// fully transparent entries, and whose pixels all lie in the palette.
bool read_png(const std::vector<unsigned char>& file, PngPixels* pixels, std::string* error);

#endif  // KESK_TESTS_PNG_READER_H
