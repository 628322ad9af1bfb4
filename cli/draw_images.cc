// Drawing pictures and views into PNG files: the resources are read exactly as the
// extractions read them, drawn, and written through the platform layer.
#include <cstdio>
#include <cstdlib>

#include "cli/outputs.h"
#include "images/images.h"
#include "platform/platform.h"
#include "resources/resources.h"

namespace {

// Each picture pixel is two PNG pixels wide.
constexpr int kScreenImageWidth = 2 * kPictureWidth;

// Fixed buffers, used by one image at a time.
PictureScreens screens;
ViewSheet sheet;
PngEncoder encoder;
uint8_t image_row[kMaxSheetWidth];

// Writes out what the encoder has ready.
void write_ready_bytes(FILE* file) {
  const unsigned char* bytes;
  for (size_t size = take_png_bytes(&encoder, &bytes); size > 0;
       size = take_png_bytes(&encoder, &bytes)) {
    write_output(file, bytes, size);
  }
}

// Creates the image file and writes its first bytes, the header and the palette.
FILE* start_image(const OutputDirectory& directory, const char* name, uint32_t width,
                  uint32_t height, PngPalette palette) {
  FILE* file = create_output(directory, name);
  if (!start_png(&encoder, width, height, palette)) {
    fail_to_allocate();
  }
  write_ready_bytes(file);
  return file;
}

void end_image(FILE* file) {
  finish_png(&encoder);
  write_ready_bytes(file);
  close_png(&encoder);
  finish_output(file);
}

void write_screen(const OutputDirectory& directory, const char* name, const uint8_t* screen) {
  FILE* file = start_image(directory, name, kScreenImageWidth, kPictureHeight, kPngScreenColours);
  for (int y = 0; y < kPictureHeight; ++y) {
    const uint8_t* pixels = screen + y * kPictureWidth;
    for (int x = 0; x < kPictureWidth; ++x) {
      image_row[2 * x] = image_row[2 * x + 1] = pixels[x];
    }
    put_png_row(&encoder, image_row);
    write_ready_bytes(file);
  }
  end_image(file);
}

void write_picture(const ResourceData& data, int number, const OutputDirectory& directory) {
  draw_picture(data.bytes, data.length, &screens);
  char name[40];
  snprintf(name, sizeof name, "picture.%d.png", number);
  write_screen(directory, name, screens.visual);
  snprintf(name, sizeof name, "picture.%d.priority.png", number);
  write_screen(directory, name, screens.priority);
}

// The sheet goes out row by row as it is decoded: a sheet may be far larger than memory
// allows to hold.
void write_view(const ResourceData& data, int number, const OutputDirectory& directory) {
  char name[32];
  snprintf(name, sizeof name, "view.%d.png", number);
  start_view_sheet(data.bytes, data.length, &sheet);
  FILE* file = start_image(directory, name, sheet.width, sheet.height, kPngSpriteColours);
  for (uint32_t y = 0; y < sheet.height; ++y) {
    next_view_sheet_row(&sheet, image_row);
    put_png_row(&encoder, image_row);
    write_ready_bytes(file);
  }
  end_image(file);
}

}  // namespace

void write_images(int type, const ResourceData& data, int number,
                  const OutputDirectory& directory) {
  if (type == kPictureType) {
    write_picture(data, number, directory);
  } else {
    write_view(data, number, directory);
  }
}
