// Indexed-colour PNG files: the chunks are written here, zlib deflates the rows and
// computes the checksums.
#include <cstring>

#include "images/images.h"

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kChunkOverhead = 12;  // length, type and CRC
constexpr int kColourTypeIndexed = 3;

// The sixteen colours, red, green and blue.
constexpr unsigned char kColours[16][3] = {
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0xAA}, {0x00, 0xAA, 0x00}, {0x00, 0xAA, 0xAA},
    {0xAA, 0x00, 0x00}, {0xAA, 0x00, 0xAA}, {0xAA, 0x55, 0x00}, {0xAA, 0xAA, 0xAA},
    {0x55, 0x55, 0x55}, {0x55, 0x55, 0xFF}, {0x55, 0xFF, 0x55}, {0x55, 0xFF, 0xFF},
    {0xFF, 0x55, 0x55}, {0xFF, 0x55, 0xFF}, {0xFF, 0xFF, 0x55}, {0xFF, 0xFF, 0xFF},
};

void put_big_endian(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value >> 24);
  at[1] = static_cast<unsigned char>(value >> 16);
  at[2] = static_cast<unsigned char>(value >> 8);
  at[3] = static_cast<unsigned char>(value);
}

// Completes the chunk whose `size` data bytes stand at `at` + 8: its length, type and CRC.
// Returns the chunk's whole size.
size_t close_chunk(unsigned char* at, const char* type, size_t size) {
  put_big_endian(at, static_cast<uint32_t>(size));
  memcpy(at + 4, type, 4);
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, at + 4, static_cast<uInt>(size + 4));
  put_big_endian(at + 8 + size, static_cast<uint32_t>(crc));
  return size + kChunkOverhead;
}

size_t add_header_chunks(unsigned char* out, uint32_t width, uint32_t height, int bits,
                         PngPalette palette) {
  size_t size = 0;
  memcpy(out, kSignature, sizeof kSignature);
  size += sizeof kSignature;

  unsigned char* header = out + size + 8;
  put_big_endian(header, width);
  put_big_endian(header + 4, height);
  header[8] = static_cast<unsigned char>(bits);
  header[9] = kColourTypeIndexed;
  header[10] = 0;  // deflate
  header[11] = 0;  // adaptive filtering, each row naming its filter
  header[12] = 0;  // not interlaced
  size += close_chunk(out + size, "IHDR", 13);

  // The sprite palette adds a seventeenth entry, made transparent by tRNS.
  size_t entries = palette == kPngSpriteColours ? 17 : 16;
  unsigned char* colours = out + size + 8;
  memset(colours, 0, entries * 3);
  memcpy(colours, kColours, sizeof kColours);
  size += close_chunk(out + size, "PLTE", entries * 3);

  if (palette == kPngSpriteColours) {
    unsigned char* alpha = out + size + 8;
    memset(alpha, 0xFF, 16);
    alpha[kTransparentIndex] = 0;
    size += close_chunk(out + size, "tRNS", 17);
  }
  return size;
}

size_t row_bytes(const PngEncoder* png) {
  return 1 + (static_cast<size_t>(png->width) * png->bits_per_pixel + 7) / 8;
}

// Wraps the gathered compressed bytes into an IDAT chunk, and after the last adds IEND.
void close_data_chunk(PngEncoder* png, bool last) {
  size_t size = 0;
  if (png->chunk_fill > 0) {
    size = close_chunk(png->output, "IDAT", png->chunk_fill);
  }
  if (last) {
    size += close_chunk(png->output + size, "IEND", 0);
  }
  png->chunk_fill = 0;
  png->ready = size;
}

}  // namespace

int png_compression_level(uint32_t width, uint32_t height) {
  return static_cast<uint64_t>(width) * height > kLargeImagePixels ? kLargeImageCompressionLevel
                                                                   : kPngCompressionLevel;
}

bool start_png(PngEncoder* png, uint32_t width, uint32_t height, PngPalette palette) {
  memset(&png->zlib, 0, sizeof png->zlib);
  if (deflateInit(&png->zlib, png_compression_level(width, height)) != Z_OK) {
    png->zlib_open = false;
    return false;
  }
  png->zlib_open = true;
  png->width = width;
  png->bits_per_pixel = palette == kPngSpriteColours ? 8 : 4;
  png->finishing = false;
  png->finished = false;
  png->chunk_fill = 0;
  png->ready = add_header_chunks(png->output, width, height, png->bits_per_pixel, palette);
  return true;
}

void put_png_row(PngEncoder* png, const uint8_t* indices) {
  size_t size = row_bytes(png);
  png->row[0] = 0;  // no filter
  if (png->bits_per_pixel == 8) {
    memcpy(png->row + 1, indices, png->width);
  } else {
    // Two pixels a byte, the first in the high nibble; an odd last pixel stands alone.
    uint32_t pairs = png->width / 2;
    for (uint32_t i = 0; i < pairs; ++i) {
      png->row[1 + i] =
          static_cast<unsigned char>((indices[2 * i] & 0x0F) << 4 | (indices[2 * i + 1] & 0x0F));
    }
    if (png->width % 2 != 0) {
      png->row[1 + pairs] = static_cast<unsigned char>((indices[png->width - 1] & 0x0F) << 4);
    }
  }
  png->zlib.next_in = png->row;
  png->zlib.avail_in = static_cast<uInt>(size);
}

void finish_png(PngEncoder* png) {
  png->finishing = true;
  png->zlib.next_in = Z_NULL;
  png->zlib.avail_in = 0;
}

size_t take_png_bytes(PngEncoder* png, const unsigned char** bytes) {
  // What is ready is taken whole, which leaves the output buffer free for the next chunk.
  if (png->ready > 0) {
    *bytes = png->output;
    size_t size = png->ready;
    png->ready = 0;
    return size;
  }
  if (png->finished) {
    return 0;
  }
  // The compressed bytes gather where the IDAT chunk's data goes, after its length and type.
  png->zlib.next_out = png->output + 8 + png->chunk_fill;
  png->zlib.avail_out = static_cast<uInt>(kPngChunkData - png->chunk_fill);
  int result = deflate(&png->zlib, png->finishing ? Z_FINISH : Z_NO_FLUSH);
  png->chunk_fill = kPngChunkData - png->zlib.avail_out;
  if (result == Z_STREAM_END) {
    png->finished = true;
    close_data_chunk(png, true);
  } else if (png->chunk_fill == kPngChunkData) {
    close_data_chunk(png, false);
  } else {
    // zlib has taken the whole row and holds what it has not yet written.
    return 0;
  }
  return take_png_bytes(png, bytes);
}

void close_png(PngEncoder* png) {
  if (png->zlib_open) {
    deflateEnd(&png->zlib);
  }
  png->zlib_open = false;
}
