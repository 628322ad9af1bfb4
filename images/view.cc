// Lays every cel of a view out in one sprite sheet: a row of the sheet for each loop, its
// cels side by side, each cel pixel two sheet pixels wide.
#include <cstring>

#include "images/images.h"

namespace {

constexpr size_t kViewHeaderSize = 5;
constexpr size_t kCelHeaderSize = 3;

// A little-endian 16-bit number whose two bytes lie inside the data.
uint32_t read_word(const uint8_t* data, size_t at) {
  return data[at] | static_cast<uint32_t>(data[at + 1]) << 8;
}

// The offset of loop `loop`'s header, or false when the loop has no cels: its table entry
// or its header lies outside the data.
bool find_loop(const uint8_t* data, size_t length, int loop, uint32_t* offset) {
  size_t entry = kViewHeaderSize + 2 * static_cast<size_t>(loop);
  if (entry + 1 >= length) {
    return false;
  }
  *offset = read_word(data, entry);
  return *offset < length;
}

// Reads cel `cel` of the loop at `loop_offset`; false when it draws nothing: its offset
// entry or its header lies outside the data, or it has no width or no height.
bool find_cel(const uint8_t* data, size_t length, uint32_t loop_offset, int cel,
              CelCursor* cursor) {
  size_t entry = loop_offset + 1 + 2 * static_cast<size_t>(cel);
  if (entry + 1 >= length) {
    return false;
  }
  // The cel's offset counts from the loop's header and does not wrap at 16 bits.
  size_t header = loop_offset + read_word(data, entry);
  if (header + 2 >= length) {
    return false;
  }
  cursor->width = data[header];
  cursor->height = data[header + 1];
  cursor->key = data[header + 2] & 0x0F;
  cursor->position = static_cast<uint32_t>(header + kCelHeaderSize);
  cursor->ended = false;
  return cursor->width != 0 && cursor->height != 0;
}

int loop_count(const uint8_t* data, size_t length) {
  return length < kViewHeaderSize ? 0 : data[2];
}

// Makes ready the cels of the sheet's current loop and its height; gives the sheet width
// they take.
uint32_t start_loop(ViewSheet* sheet) {
  sheet->cel_count = 0;
  sheet->loop_row = 0;
  sheet->loop_height = 0;
  uint32_t width = 0;
  uint32_t offset;
  if (!find_loop(sheet->data, sheet->length, sheet->loop, &offset)) {
    return width;
  }
  int cels = sheet->data[offset];
  for (int cel = 0; cel < cels; ++cel) {
    CelCursor* cursor = &sheet->cels[sheet->cel_count];
    if (!find_cel(sheet->data, sheet->length, offset, cel, cursor)) {
      continue;
    }
    // Bits 4-6 name the loop the cel was drawn for; in any other loop a cel with bit 7 set
    // faces the other way.
    uint8_t flags = sheet->data[cursor->position - 1];
    cursor->mirrored = (flags & 0x80) != 0 && ((flags >> 4) & 0x07) != sheet->loop;
    if (cursor->height > sheet->loop_height) {
      sheet->loop_height = cursor->height;
    }
    width += 2u * cursor->width;
    ++sheet->cel_count;
  }
  return width;
}

// Moves on to the next loop that has rows to give.
void skip_to_loop_with_rows(ViewSheet* sheet) {
  int loops = loop_count(sheet->data, sheet->length);
  while (sheet->loop < loops) {
    start_loop(sheet);
    if (sheet->loop_height > 0) {
      return;
    }
    ++sheet->loop;
  }
}

// Decodes the cel's next row into `pixels` (its width, transparent where no run reached),
// and moves past the row's closing 0x00. Once the width is full the rest of the row paints
// nothing, and runs of length 0 never paint, so both are skipped over whole.
void decode_cel_row(ViewSheet* sheet, CelCursor* cursor, uint8_t* pixels) {
  memset(pixels, kTransparentIndex, cursor->width);
  if (cursor->ended) {
    return;
  }
  size_t position = cursor->position;
  int column = 0;
  while (column < cursor->width) {
    position = sheet->next_painting[position];
    if (position >= sheet->length || sheet->data[position] == 0) {
      break;
    }
    uint8_t run = sheet->data[position++];
    uint8_t colour = run >> 4;
    uint8_t shown = colour == cursor->key ? kTransparentIndex : colour;
    for (int count = run & 0x0F; count > 0 && column < cursor->width; --count) {
      pixels[column++] = shown;
    }
  }
  position = position >= sheet->length ? sheet->length : sheet->next_row_end[position];
  if (position >= sheet->length) {
    cursor->ended = true;
    return;
  }
  cursor->position = static_cast<uint32_t>(position + 1);
}

// Fills the two look-ahead tables, from the end of the data back.
void index_rows(ViewSheet* sheet) {
  uint16_t row_end = static_cast<uint16_t>(sheet->length);
  uint16_t painting = row_end;
  sheet->next_row_end[sheet->length] = row_end;
  sheet->next_painting[sheet->length] = painting;
  for (size_t position = sheet->length; position-- > 0;) {
    uint8_t byte = sheet->data[position];
    if (byte == 0) {
      row_end = static_cast<uint16_t>(position);
    }
    if (byte == 0 || (byte & 0x0F) != 0) {
      painting = static_cast<uint16_t>(position);
    }
    sheet->next_row_end[position] = row_end;
    sheet->next_painting[position] = painting;
  }
}

}  // namespace

void start_view_sheet(const uint8_t* data, size_t length, ViewSheet* sheet) {
  sheet->data = data;
  sheet->length = length < kMaxViewLength ? length : kMaxViewLength;
  // The sheet's size: every loop laid out once, as it will be when drawn.
  uint64_t width = 0;
  uint64_t height = 0;
  int loops = loop_count(data, sheet->length);
  for (sheet->loop = 0; sheet->loop < loops; ++sheet->loop) {
    uint32_t loop_width = start_loop(sheet);
    if (loop_width > width) {
      width = loop_width;
    }
    height += static_cast<uint64_t>(sheet->loop_height);
  }
  sheet->blank = width == 0 || height == 0 || width * height > kMaxSheetPixels;
  sheet->width = sheet->blank ? 1 : static_cast<uint32_t>(width);
  sheet->height = sheet->blank ? 1 : static_cast<uint32_t>(height);
  sheet->loop = 0;
  sheet->cel_count = 0;
  sheet->loop_row = 0;
  sheet->loop_height = 0;
  if (!sheet->blank) {
    index_rows(sheet);
    skip_to_loop_with_rows(sheet);
  }
}

void next_view_sheet_row(ViewSheet* sheet, uint8_t* row) {
  memset(row, kTransparentIndex, sheet->width);
  if (sheet->blank || sheet->loop_height == 0) {
    return;
  }
  uint8_t pixels[255];
  uint32_t left = 0;
  for (int cel = 0; cel < sheet->cel_count; ++cel) {
    CelCursor* cursor = &sheet->cels[cel];
    if (sheet->loop_row < cursor->height) {
      decode_cel_row(sheet, cursor, pixels);
      for (int column = 0; column < cursor->width; ++column) {
        uint8_t pixel = pixels[cursor->mirrored ? cursor->width - 1 - column : column];
        row[left + 2 * column] = pixel;
        row[left + 2 * column + 1] = pixel;
      }
    }
    left += 2u * cursor->width;
  }
  if (++sheet->loop_row == sheet->loop_height) {
    ++sheet->loop;
    skip_to_loop_with_rows(sheet);
  }
}
