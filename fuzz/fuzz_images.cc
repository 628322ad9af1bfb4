// Fuzz target: pictures and views drawn into PNG files. The input is drawn both as a picture
// and as a view; the picture's two screens and the view's sprite sheet are each encoded in
// memory and read back, which must give the very rows put in (so at 4 bits a pixel no screen
// value above 15 survives, and at 8 no sheet index above the transparent one).
#include <cstdio>
#include <cstdlib>

#include "images/images.h"
#include "tests/png_reader.h"

namespace {

PictureScreens screens;
ViewSheet sheet;
PngEncoder encoder;
uint8_t row[kMaxSheetWidth];
std::vector<unsigned char> file;
std::vector<uint8_t> rows_put;

void check(bool good, const char* image, const std::string& why) {
  if (!good) {
    fprintf(stderr, "%s: %s\n", image, why.c_str());
    abort();
  }
}

void take_bytes() {
  const unsigned char* bytes;
  for (size_t size = take_png_bytes(&encoder, &bytes); size > 0;
       size = take_png_bytes(&encoder, &bytes)) {
    file.insert(file.end(), bytes, bytes + size);
  }
}

void put_row(uint32_t width) {
  rows_put.insert(rows_put.end(), row, row + width);
  put_png_row(&encoder, row);
  take_bytes();
}

// Ends the image and reads it back.
void check_png(const char* image, uint32_t width, uint32_t height) {
  finish_png(&encoder);
  take_bytes();
  close_png(&encoder);
  PngPixels pixels;
  std::string error;
  check(read_png(file, &pixels, &error), image, error);
  check(pixels.width == width && pixels.height == height, image, "read back at another size");
  check(pixels.colours == rows_put, image, "the pixels read back differ from the rows put in");
  // Hands the memory back: a run that keeps some is run again to look for a leak.
  std::vector<unsigned char>().swap(file);
  std::vector<uint8_t>().swap(rows_put);
}

void check_screen(const char* image, const uint8_t* screen) {
  check(start_png(&encoder, 2 * kPictureWidth, kPictureHeight, kPngScreenColours), image, "zlib");
  take_bytes();
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < 2 * kPictureWidth; ++x) {
      row[x] = screen[y * kPictureWidth + x / 2];
    }
    put_row(2 * kPictureWidth);
  }
  check_png(image, 2 * kPictureWidth, kPictureHeight);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65535) {  // the largest resource
    return 0;
  }
  draw_picture(data, size, &screens);
  check_screen("visual screen", screens.visual);
  check_screen("priority screen", screens.priority);

  start_view_sheet(data, size, &sheet);
  check(start_png(&encoder, sheet.width, sheet.height, kPngSpriteColours), "view sheet", "zlib");
  take_bytes();
  for (uint32_t y = 0; y < sheet.height; ++y) {
    next_view_sheet_row(&sheet, row);
    put_row(sheet.width);
  }
  // The sheet's height takes in every row of every loop.
  check(sheet.blank || sheet.loop == data[2], "view sheet", "rows left in a loop");
  check_png("view sheet", sheet.width, sheet.height);
  return 0;
}
