// Images: pictures and views drawn from their resources' bytes, and PNG files made from the
// pixels. Nothing here opens a file: the bytes come in and the PNG bytes go out through
// memory the caller owns.
#ifndef KESK_IMAGES_IMAGES_H
#define KESK_IMAGES_IMAGES_H

#include <zlib.h>

#include <cstddef>
#include <cstdint>

// --- Pictures ----------------------------------------------------------------------------

constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 168;
constexpr int kPicturePixels = kPictureWidth * kPictureHeight;

// The two screens a picture draws, row after row; each pixel a colour index 0-15.
struct PictureScreens {
  uint8_t visual[kPicturePixels];
  uint8_t priority[kPicturePixels];
};

// Plays the picture's drawing commands on blank screens (visual all white, priority all
// red). Any bytes draw something; nothing beyond `length` is read.
void draw_picture(const uint8_t* data, size_t length, PictureScreens* screens);

// --- Views -------------------------------------------------------------------------------

constexpr int kMaxLoops = 255;
constexpr int kMaxCels = 255;
// The widest sheet: a row of 255 cels of 255 pixels, each pixel two sheet pixels wide.
constexpr uint32_t kMaxSheetWidth = 2 * kMaxCels * 255;
// Larger sheets are drawn as one transparent pixel.
constexpr uint64_t kMaxSheetPixels = 1u << 24;
// The palette index of a transparent sheet pixel; 0-15 are the colours.
constexpr uint8_t kTransparentIndex = 16;

// One drawable cel of the loop being drawn: where its rows are read from, and how.
struct CelCursor {
  uint32_t position;  // the next row's first byte
  uint8_t width;
  uint8_t height;
  uint8_t key;  // the transparent colour
  bool mirrored;
  bool ended;  // the data ended inside the cel: its remaining rows are transparent
};

// The longest view: a resource holds at most 65535 bytes, and bytes past them are not read.
constexpr size_t kMaxViewLength = 65535;

// A view's sprite sheet, given one row at a time so that no sheet is ever held whole.
struct ViewSheet {
  const uint8_t* data;
  size_t length;
  // For each position of the data, the next 0x00 (a row's end) at or after it, and the next
  // byte that paints a pixel or ends a row; `length` where there is none. With them a cel
  // row costs its width however many bytes it spans, and cels of many loops may share them.
  uint16_t next_row_end[kMaxViewLength + 1];
  uint16_t next_painting[kMaxViewLength + 1];
  uint32_t width;  // in sheet pixels; 1 x 1 for a sheet with no pixels
  uint32_t height;
  bool blank;  // the 1 x 1 transparent sheet
  // Where the next row comes from.
  int loop;
  int loop_row;
  int loop_height;
  int cel_count;
  CelCursor cels[kMaxCels];
};

// Reads the view's loops and cels and works out the sheet's size.
void start_view_sheet(const uint8_t* data, size_t length, ViewSheet* sheet);

// Gives the sheet's next row, `width` palette indices (0-15, or kTransparentIndex).
void next_view_sheet_row(ViewSheet* sheet, uint8_t* row);

// --- PNG ---------------------------------------------------------------------------------

enum PngPalette {
  kPngScreenColours,  // the 16 colours, opaque: 4 bits a pixel
  kPngSpriteColours,  // the 16 colours and one transparent entry: 8 bits a pixel
};

// The compressed data is cut into IDAT chunks of at most this many bytes.
constexpr size_t kPngChunkData = 32768;
// zlib's default level: files close to the smallest, at a fraction of the highest level's cost.
constexpr int kPngCompressionLevel = 6;
// Sprite sheets of millions of pixels take a faster level, a few percent larger, so that no
// image takes long to write.
constexpr uint64_t kLargeImagePixels = 1u << 20;
constexpr int kLargeImageCompressionLevel = 4;

// The zlib level an image of this size is deflated at.
int png_compression_level(uint32_t width, uint32_t height);
constexpr size_t kPngRowBytes = 1 + kMaxSheetWidth;

// An indexed-colour, non-interlaced PNG under construction. Rows go in one at a time with
// put_png_row; the file's bytes come out through take_png_bytes, a chunk at a time.
struct PngEncoder {
  z_stream zlib;
  bool zlib_open;
  uint32_t width;
  int bits_per_pixel;
  bool finishing;
  bool finished;
  size_t chunk_fill;  // compressed bytes gathered for the next IDAT chunk
  // The bytes of the file not yet taken: the header chunks, or one whole IDAT chunk, or the
  // last IDAT chunk and IEND.
  size_t ready;
  unsigned char output[8 + kPngChunkData + 4 + 12];
  unsigned char row[kPngRowBytes];
};

// Starts a PNG of width x height pixels; its first bytes (signature, header, palette) are
// ready to take. False when zlib cannot get its memory.
bool start_png(PngEncoder* png, uint32_t width, uint32_t height, PngPalette palette);

// Gives the encoder its next row, `width` palette indices. Take the bytes it makes before
// the next row.
void put_png_row(PngEncoder* png, const uint8_t* indices);

// Ends the image data once every row has been put; the last bytes are then ready to take.
void finish_png(PngEncoder* png);

// The next bytes of the file, or 0 when the encoder needs its next row (or is done). Call
// until it gives 0 after each of start_png, put_png_row and finish_png.
size_t take_png_bytes(PngEncoder* png, const unsigned char** bytes);

// Releases zlib's memory; the encoder can then be started again.
void close_png(PngEncoder* png);

#endif  // KESK_IMAGES_IMAGES_H
