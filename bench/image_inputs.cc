#include "bench/image_inputs.h"

#include <cstdint>
#include <initializer_list>

namespace {

constexpr int kPictureType = 1;
constexpr int kViewType = 2;
constexpr size_t kLargestResource = 65535;

// Picture command bytes.
constexpr uint8_t kVisualColour = 0xF0;
constexpr uint8_t kVisualOff = 0xF1;
constexpr uint8_t kPriorityColour = 0xF2;
constexpr uint8_t kPriorityOff = 0xF3;
constexpr uint8_t kCornerLinesYFirst = 0xF4;
constexpr uint8_t kCornerLinesXFirst = 0xF5;
constexpr uint8_t kAbsoluteLines = 0xF6;
constexpr uint8_t kRelativeLines = 0xF7;
constexpr uint8_t kFill = 0xF8;
constexpr uint8_t kPen = 0xF9;
constexpr uint8_t kStamps = 0xFA;
constexpr uint8_t kEndOfPicture = 0xFF;

constexpr int kWhite = 15;
constexpr int kPriorityBlank = 4;

// xorshift32: a fixed sequence for a fixed seed.
struct Random {
  uint32_t state;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  int below(int limit) { return static_cast<int>(next() % static_cast<uint32_t>(limit)); }
  int between(int low, int high) { return low + below(high - low + 1); }
};

void put(Bytes& out, std::initializer_list<int> bytes) {
  for (int byte : bytes) {
    out.push_back(static_cast<unsigned char>(byte));
  }
}

int held(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

// Sixteen directions round a circle, as 64 x the cosine; the sine is four entries on.
constexpr int kCosine[16] = {64, 59, 45, 24, 0, -24, -45, -59, -64, -59, -45, -24, 0, 24, 45, 59};

int cosine(int direction) {
  return kCosine[direction % 16];
}

int sine(int direction) {
  return kCosine[(direction + 12) % 16];
}

// A closed outline of 5 to 8 corners round a centre in both colours, filled from the centre.
void add_shape(Bytes& picture, Random& random, int horizon) {
  int cx = random.between(8, 151);
  int cy = random.between(horizon, 160);
  int radius = random.between(4, 26);
  int corners = random.between(5, 8);
  put(picture, {kVisualColour, random.below(15), kPriorityColour, random.between(5, 14)});
  picture.push_back(kAbsoluteLines);
  int first_x = 0;
  int first_y = 0;
  for (int corner = 0; corner < corners; ++corner) {
    int direction = corner * 16 / corners + random.below(2);
    int x = held(cx + radius * cosine(direction) / 64, 0, 159);
    int y = held(cy + radius * sine(direction) * 3 / (4 * 64), 0, 167);
    put(picture, {x, y});
    if (corner == 0) {
      first_x = x;
      first_y = y;
    }
  }
  put(picture, {first_x, first_y, kFill, cx, cy});
}

// A relative step: up to 7 across and 7 down, signs chosen freely, but never a command byte.
int random_step(Random& random) {
  int across = random.below(16);
  if (across == 0x0F) {
    across = 0x0E;
  }
  return across << 4 | random.below(16);
}

// A run of 3 to 12 lines: absolute, corner or relative, in turn.
void add_stroke(Bytes& picture, Random& random, int kind) {
  int x = random.below(160);
  int y = random.below(168);
  int lines = random.between(3, 12);
  if (kind % 4 == 0) {
    put(picture, {kVisualColour, random.below(15)});
  }
  switch (kind % 3) {
    case 0:
      put(picture, {kAbsoluteLines, x, y});
      for (int line = 0; line < lines; ++line) {
        x = held(x + random.between(-20, 20), 0, 159);
        y = held(y + random.between(-20, 20), 0, 167);
        put(picture, {x, y});
      }
      break;
    case 1:
      put(picture, {kCornerLinesXFirst, x, y});
      for (int line = 0; line < lines; ++line) {
        if (line % 2 == 0) {
          x = held(x + random.between(-25, 25), 0, 159);
          picture.push_back(static_cast<unsigned char>(x));
        } else {
          y = held(y + random.between(-25, 25), 0, 167);
          picture.push_back(static_cast<unsigned char>(y));
        }
      }
      break;
    default:
      put(picture, {kRelativeLines, x, y});
      for (int line = 0; line < lines; ++line) {
        picture.push_back(static_cast<unsigned char>(random_step(random)));
      }
      break;
  }
}

// A pen of size 0 to 4, circle or square, solid or splattered, stamped 4 to 10 times about
// one place.
void add_stamps(Bytes& picture, Random& random) {
  int pen = random.below(5) | random.below(2) << 4 | random.below(2) << 5;
  bool splatter = (pen & 0x20) != 0;
  put(picture, {kVisualColour, random.below(15), kPen, pen, kStamps});
  int x = random.below(160);
  int y = random.below(168);
  for (int stamp = random.between(4, 10); stamp > 0; --stamp) {
    if (splatter) {
      picture.push_back(static_cast<unsigned char>(random.below(0xF0)));
    }
    put(picture,
        {held(x + random.between(-10, 10), 0, 159), held(y + random.between(-6, 6), 0, 167)});
  }
}

// A room as a game draws one: the horizon and filled shapes, the sky and the ground filled
// round them, then lines and pen stamps on top, and last the bands of the priority screen, each
// filled in its own priority.
Bytes room_picture(uint32_t seed, int shapes, int strokes, int stamp_groups) {
  Random random = {seed};
  Bytes picture;
  int horizon = random.between(30, 60);
  put(picture, {kVisualColour, 0, kAbsoluteLines, 0, horizon, 159, horizon});
  for (int shape = 0; shape < shapes; ++shape) {
    add_shape(picture, random, horizon);
  }
  put(picture, {kPriorityOff, kVisualColour, 9, kFill, 80, 0, 5, 0, 155, 0});
  put(picture, {kVisualColour, 2, kFill, 80, 167, 5, 167, 155, 167});
  put(picture, {kPriorityColour, 4});
  int added_groups = 0;
  for (int stroke = 0; stroke < strokes; ++stroke) {
    add_stroke(picture, random, stroke);
    if (added_groups < stamp_groups && stroke % (strokes / stamp_groups) == 0) {
      add_stamps(picture, random);
      ++added_groups;
    }
  }
  picture.push_back(kVisualOff);
  for (int band = 1; band <= 10; ++band) {
    int y = horizon + band * (167 - horizon) / 11;
    put(picture, {kPriorityColour, 4 + band, kAbsoluteLines, 0, y, 159, y, kFill});
    for (int x = 10; x < 160; x += 70) {
      put(picture, {x, y - 1});
    }
  }
  picture.push_back(kEndOfPicture);
  return picture;
}

// Lays the channel out: every even column, joined at the bottom and at the top in turn, walled
// by the odd columns in black on both screens. The channel is one pixel wide throughout, so a
// fill of it is a span of one pixel for every pixel.
void add_channel_walls(Bytes& picture) {
  put(picture, {kVisualColour, 0, kPriorityColour, 0});
  for (int x = 1; x < 159; x += 2) {
    bool open_below = x % 4 == 1;
    put(picture, {kAbsoluteLines, x, open_below ? 0 : 1, x, open_below ? 166 : 167});
  }
  put(picture, {kAbsoluteLines, 159, 0, 159, 167});
}

// Draws the whole channel, from the top of column 0, with corner lines: one byte for each
// column and one for each join.
void add_channel_path(Bytes& picture) {
  put(picture, {kCornerLinesYFirst, 0, 0});
  for (int x = 0; x < 160; x += 2) {
    picture.push_back(static_cast<unsigned char>(x % 4 == 0 ? 167 : 0));
    if (x + 2 < 160) {
      picture.push_back(static_cast<unsigned char>(x + 2));
    }
  }
}

// The serpentine channel filled over and over. Each round draws the channel blank on both
// screens (white and priority red), then fills it three times: on the priority screen; on the
// visual screen, plotting the blank priority colour, which makes the priority channel blank
// again; and on the priority screen once more.
Bytes channel_fills_picture() {
  Bytes picture;
  add_channel_walls(picture);
  Bytes round;
  put(round, {kVisualColour, kWhite, kPriorityColour, kPriorityBlank});
  add_channel_path(round);
  put(round, {kVisualOff, kPriorityColour, 5, kFill, 0, 0});
  put(round, {kVisualColour, 1, kPriorityColour, kPriorityBlank, kFill, 0, 0});
  put(round, {kVisualOff, kPriorityColour, 5, kFill, 0, 0});
  while (picture.size() + round.size() < kLargestResource) {
    picture.insert(picture.end(), round.begin(), round.end());
  }
  picture.push_back(kEndOfPicture);
  return picture;
}

// Size 7, square, splattered: 120 cells a stamp, each stepping the splatter's state.
Bytes splatter_picture() {
  Random random = {0x5A77E4u};
  Bytes picture;
  put(picture, {kVisualColour, 2, kPriorityColour, 6, kPen, 0x37, kStamps});
  while (picture.size() + 3 < kLargestResource) {
    put(picture, {random.below(0xF0), random.below(160), random.below(168)});
  }
  picture.push_back(kEndOfPicture);
  return picture;
}

// One relative line command of steps 6 left and 7 up, the largest leftward step: past the
// left and the top edge a step lands on the far edge, a line across the screen.
Bytes relative_lines_picture() {
  Bytes picture;
  put(picture, {kVisualColour, 4, kPriorityColour, 7, kRelativeLines, 80, 84});
  while (picture.size() + 1 < kLargestResource) {
    picture.push_back(0xEF);
  }
  picture.push_back(kEndOfPicture);
  return picture;
}

// Corner lines between the edges: every byte a leg of 120 to 168 pixels.
Bytes corner_lines_picture() {
  Bytes picture;
  put(picture, {kVisualColour, 6, kPriorityColour, 8, kCornerLinesYFirst, 0, 0});
  for (int leg = 0; picture.size() + 1 < kLargestResource; ++leg) {
    int shift = leg / 2 % 20;
    int value = leg % 2 == 0 ? (leg % 4 == 0 ? 167 : 0) : (leg % 4 == 1 ? 159 - shift : shift);
    picture.push_back(static_cast<unsigned char>(value));
  }
  picture.push_back(kEndOfPicture);
  return picture;
}

// --- Views ---------------------------------------------------------------------------------

void put_word(Bytes& out, size_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
}

// A cel from its pixels (row after row; the key colour stands for transparent), its rows
// run-length coded with trailing transparent pixels left out.
Bytes cel_bytes(int width, int height, int flags, const std::vector<int>& pixels) {
  Bytes cel;
  put(cel, {width, height, flags});
  int key = flags & 0x0F;
  for (int y = 0; y < height; ++y) {
    const int* row = &pixels[static_cast<size_t>(y) * width];
    int end = width;
    while (end > 0 && row[end - 1] == key) {
      --end;
    }
    for (int x = 0; x < end;) {
      int run = 1;
      while (x + run < end && run < 15 && row[x + run] == row[x]) {
        ++run;
      }
      cel.push_back(static_cast<unsigned char>(row[x] << 4 | run));
      x += run;
    }
    cel.push_back(0);
  }
  return cel;
}

// A view from its parts: loop i uses loop header loop_headers[i]; header h lists the cels
// header_cels[h], indices into `cels`, each a cel's whole bytes. The loop headers follow the
// loop table, and the cels follow the loop headers.
Bytes view_bytes(const std::vector<int>& loop_headers,
                 const std::vector<std::vector<int>>& header_cels, const std::vector<Bytes>& cels) {
  Bytes view;
  put(view, {1, 1, static_cast<int>(loop_headers.size()), 0, 0});
  size_t headers_at = view.size() + 2 * loop_headers.size();
  std::vector<size_t> header_offsets;
  size_t offset = headers_at;
  for (const std::vector<int>& listed : header_cels) {
    header_offsets.push_back(offset);
    offset += 1 + 2 * listed.size();
  }
  std::vector<size_t> cel_offsets;
  for (const Bytes& cel : cels) {
    cel_offsets.push_back(offset);
    offset += cel.size();
  }
  for (int header : loop_headers) {
    put_word(view, header_offsets[header]);
  }
  for (size_t header = 0; header < header_cels.size(); ++header) {
    view.push_back(static_cast<unsigned char>(header_cels[header].size()));
    for (int cel : header_cels[header]) {
      put_word(view, cel_offsets[cel] - header_offsets[header]);
    }
  }
  for (const Bytes& cel : cels) {
    view.insert(view.end(), cel.begin(), cel.end());
  }
  return view;
}

// A walking figure, 22 x 36: head, body and legs, the legs apart by the frame.
std::vector<int> figure_pixels(int frame, int key, Random& random) {
  constexpr int kWidth = 22;
  constexpr int kHeight = 36;
  std::vector<int> pixels(kWidth * kHeight, key);
  int skin = 6;
  int coat = random.between(1, 5);
  int stride = frame % 6 < 3 ? frame % 3 : 5 - frame % 6;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      int dx = x - kWidth / 2;
      int colour = key;
      if (y < 9 && dx * dx + (y - 4) * (y - 4) <= 16) {
        colour = y < 2 ? 0 : skin;
      } else if (y >= 9 && y < 24 && dx >= -6 && dx <= 6) {
        colour = dx == -6 || dx == 6 ? 0 : coat;
      } else if (y >= 24 &&
                 (dx == -3 - stride || dx == -2 - stride || dx == 2 + stride || dx == 3 + stride)) {
        colour = y > 33 ? 0 : 8;
      }
      pixels[static_cast<size_t>(y) * kWidth + x] = colour;
    }
  }
  return pixels;
}

// Four loops of six frames; loop 1 shows loop 0's cels mirrored.
Bytes typical_view() {
  Random random = {0x71E4u};
  std::vector<Bytes> cels;
  std::vector<std::vector<int>> header_cels(3);
  constexpr int kKey = 15;
  for (int header = 0; header < 3; ++header) {
    for (int frame = 0; frame < 6; ++frame) {
      int flags = kKey | (header == 0 ? 0x80 : 0);
      cels.push_back(cel_bytes(22, 36, flags, figure_pixels(frame, kKey, random)));
      header_cels[header].push_back(static_cast<int>(cels.size() - 1));
    }
  }
  return view_bytes({0, 0, 1, 2}, header_cels, cels);
}

// 255 loops of 255 cels of 255 x 255, all one cel: the sheet would be 130,050 x 65,025.
Bytes capped_sheet_view() {
  std::vector<int> pixels(255 * 255, 0);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<int>(i / 255 % 16);
  }
  return view_bytes(std::vector<int>(255, 0), {std::vector<int>(255, 0)},
                    {cel_bytes(255, 255, 0x8F, pixels)});
}

// 43 loops of 3 cels of 255 x 255, all one cel of a run for every pixel: 1,530 x 10,965 =
// 16,776,450 sheet pixels, just under the limit. The cel is mirrored in every loop but loop 0.
Bytes large_sheet_view() {
  Random random = {0xB16u};
  Bytes cel;
  put(cel, {255, 255, 0x80});
  for (int y = 0; y < 255; ++y) {
    for (int x = 0; x < 255; ++x) {
      cel.push_back(static_cast<unsigned char>(random.below(16) << 4 | 1));
    }
    cel.push_back(0);
  }
  return view_bytes(std::vector<int>(43, 0), {{0, 0, 0}}, {cel});
}

// 255 loops of 255 cels each, from 255 different cels of 1 to 8 pixels a side; the loops
// share sixteen loop headers.
Bytes small_cels_view() {
  Random random = {0x5CE15u};
  std::vector<Bytes> cels;
  for (int cel = 0; cel < 255; ++cel) {
    int width = random.between(1, 8);
    int height = random.between(1, 8);
    int key = random.below(16);
    std::vector<int> pixels(static_cast<size_t>(width) * height);
    for (int& pixel : pixels) {
      pixel = random.below(3) == 0 ? key : random.below(16);
    }
    int flags = key | random.below(8) << 4 | random.below(2) << 7;
    cels.push_back(cel_bytes(width, height, flags, pixels));
  }
  std::vector<std::vector<int>> header_cels(16);
  for (std::vector<int>& listed : header_cels) {
    for (int cel = 0; cel < 255; ++cel) {
      listed.push_back(random.below(255));
    }
  }
  std::vector<int> loop_headers;
  for (int loop = 0; loop < 255; ++loop) {
    loop_headers.push_back(loop % 16);
  }
  return view_bytes(loop_headers, header_cels, cels);
}

}  // namespace

std::vector<ImageInput> bench_pictures() {
  return {
      {"room", "a typical room: filled shapes, lines, pen stamps, priority bands",
       room_picture(0x400Au, 50, 60, 12)},
      {"big room", "a well-formed 30 KB room", room_picture(0xB1600u, 300, 1500, 150)},
      {"fills", "a one-pixel serpentine drawn blank and filled three times, over and over",
       channel_fills_picture()},
      {"splatter", "a size 7 square splatter pen stamped over 21,000 times", splatter_picture()},
      {"relative lines", "relative steps of 6 left, 7 up, wrapping into lines across",
       relative_lines_picture()},
      {"corner lines", "corner lines from edge to edge, a long leg for every byte",
       corner_lines_picture()},
  };
}

std::vector<ImageInput> bench_views() {
  return {
      {"figure", "a typical view: 4 loops of 6 cels of 22 x 36, one loop mirrored", typical_view()},
      {"capped sheet", "255 loops of 255 cels of 255 x 255: over the limit, a 1 x 1 sheet",
       capped_sheet_view()},
      {"large sheet", "43 loops of 3 cels of 255 x 255, a run a pixel: just under the limit",
       large_sheet_view()},
      {"small cels", "255 loops of 255 cels of up to 8 x 8", small_cels_view()},
  };
}

FileTree make_image_game() {
  FileTree game;
  std::vector<ImageInput> pictures = bench_pictures();
  for (size_t number = 0; number < pictures.size(); ++number) {
    add_resource(game, kPictureType, static_cast<int>(number), 0, pictures[number].data);
  }
  std::vector<ImageInput> views = bench_views();
  for (size_t number = 0; number < views.size(); ++number) {
    add_resource(game, kViewType, static_cast<int>(number), 0, views[number].data);
  }
  return game;
}
