// Reads the indexed PNG files kesk writes, checking them on the way.
#include "tests/png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

// The 16 colours as 0xRRGGBB.
constexpr uint32_t kColours[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                   0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                   0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
constexpr uint8_t kNoColour = 0xFF;  // an index past the palette

uint32_t big_endian(const unsigned char* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

// IHDR, PLTE, an optional tRNS, one or more IDAT, then IEND, as "IHDR PLTE IDAT IEND ".
bool chunks_in_order(const std::string& order) {
  size_t at = 10;
  if (order.compare(0, at, "IHDR PLTE ") != 0) {
    return false;
  }
  if (order.compare(at, 5, "tRNS ") == 0) {
    at += 5;
  }
  size_t data_chunks = 0;
  for (; order.compare(at, 5, "IDAT ") == 0; at += 5) {
    ++data_chunks;
  }
  return data_chunks > 0 && order.compare(at, std::string::npos, "IEND ") == 0;
}

bool fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

}  // namespace

bool read_png(const std::vector<unsigned char>& file, PngPixels* pixels, std::string* error) {
  if (file.size() < 8 || memcmp(file.data(), "\x89PNG\r\n\x1A\n", 8) != 0) {
    return fail(error, "no PNG signature");
  }
  std::string order;  // the chunks' types
  std::vector<unsigned char> header, palette, alpha, data;
  size_t at = 8;
  while (order.find("IEND") == std::string::npos) {
    uint32_t size = file.size() - at < 12 ? 0 : big_endian(&file[at]);
    if (file.size() - at < 12 || size > file.size() - at - 12) {
      return fail(error, "the file ends inside a chunk or before IEND");
    }
    std::string type(file.begin() + at + 4, file.begin() + at + 8);
    if (crc32(crc32(0, Z_NULL, 0), &file[at + 4], size + 4) != big_endian(&file[at + 8 + size])) {
      return fail(error, type + " chunk with a wrong CRC");
    }
    auto& kept = type == "IHDR" ? header : type == "PLTE" ? palette : type == "tRNS" ? alpha : data;
    kept.insert(kept.end(), &file[at + 8], &file[at + 8 + size]);
    at += 12 + size;
    order += type + " ";
  }
  if (!chunks_in_order(order) || at != file.size() || header.size() != 13) {
    return fail(error, "chunks out of place: " + order + std::to_string(file.size() - at));
  }
  uint32_t width = big_endian(&header[0]);
  uint32_t height = big_endian(&header[4]);
  int bits = header[8];
  uint64_t row_bytes = 1 + (uint64_t{width} * bits + 7) / 8;
  size_t entries = palette.size() / 3;
  if (width == 0 || height == 0 || row_bytes * height > (1u << 28) || (bits != 4 && bits != 8) ||
      memcmp(&header[9], "\3\0\0\0", 4) != 0 || palette.size() % 3 != 0 || entries > (1u << bits) ||
      alpha.size() > entries) {
    return fail(error, "not a 4 or 8 bits a pixel indexed image with a palette that fits it");
  }
  uint8_t colour_of[256];
  memset(colour_of, kNoColour, sizeof colour_of);
  for (size_t i = 0; i < entries; ++i) {
    uint32_t rgb = uint32_t{palette[3 * i]} << 16 | palette[3 * i + 1] << 8 | palette[3 * i + 2];
    int opacity = i < alpha.size() ? alpha[i] : 255;
    long found = std::find(kColours, kColours + 16, rgb) - kColours;
    colour_of[i] = static_cast<uint8_t>(opacity == 0 ? kPngTransparent : found);
    if (opacity != 0 && (opacity != 255 || found == 16)) {
      return fail(error, "palette entry " + std::to_string(i) + " is not one of the colours");
    }
  }
  std::vector<unsigned char> raw(row_bytes * height + 1);
  uLongf raw_size = raw.size();
  uLong used = data.size();
  if (uncompress2(raw.data(), &raw_size, data.data(), &used) != Z_OK ||
      raw_size != row_bytes * height || used != data.size()) {
    return fail(error, "the image data does not inflate to exactly its rows");
  }
  pixels->width = width;
  pixels->height = height;
  pixels->colours.resize(size_t{width} * height);
  uint8_t* colour = pixels->colours.data();
  for (uint32_t y = 0; y < height; ++y) {
    const unsigned char* row = &raw[y * row_bytes];
    if (row[0] != 0) {
      return fail(error, "row " + std::to_string(y) + " uses filter " + std::to_string(row[0]));
    }
    for (uint32_t x = 0; x < width; ++x) {
      *colour++ = colour_of[bits == 8 ? row[1 + x] : row[1 + x / 2] >> (x % 2 ? 0 : 4) & 0x0F];
    }
  }
  if (memchr(pixels->colours.data(), kNoColour, pixels->colours.size()) != nullptr) {
    return fail(error, "a pixel outside the palette");
  }
  return true;
}
