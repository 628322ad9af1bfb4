// Plays a picture's drawing commands onto its visual and priority screens.
#include <cstring>

#include "images/images.h"

namespace {

constexpr uint8_t kVisualBlank = 15;
constexpr uint8_t kPriorityBlank = 4;
constexpr int kRightmostColumn = kPictureWidth - 1;
constexpr int kBottomRow = kPictureHeight - 1;

// Bytes F0 and above are commands; the rest are arguments.
constexpr int kFirstCommand = 0xF0;
constexpr int kEndOfPicture = 0xFF;

struct Painter {
  const uint8_t* data;
  size_t length;
  size_t position;
  PictureScreens* screens;
  bool visual_on;
  bool priority_on;
  uint8_t visual_colour;
  uint8_t priority_colour;
  uint8_t pen;
};

struct Point {
  int x;
  int y;
};

// A fill's pending seeds, as pixel indices. Every seed is a pixel found blank beside a span
// just filled, and each filled span is looked beside once above and once below, so there
// are never more seeds than twice the screen's pixels, and the start.
uint16_t fill_seeds[2 * kPicturePixels + 1];

// The next byte at the top level, or -1 where the data ends (which ends the picture).
int read_top_level(Painter* painter) {
  if (painter->position >= painter->length) {
    return -1;
  }
  return painter->data[painter->position++];
}

// The next argument byte, or -1 at a command byte, which is left to be read at the top
// level, or where the data ends.
int read_argument(Painter* painter) {
  if (painter->position >= painter->length) {
    return -1;
  }
  int byte = painter->data[painter->position];
  if (byte >= kFirstCommand) {
    return -1;
  }
  ++painter->position;
  return byte;
}

int clamp_x(int x) {
  return x > kRightmostColumn ? kRightmostColumn : x;
}

int clamp_y(int y) {
  return y > kBottomRow ? kBottomRow : y;
}

// An x and a y; false, with nothing used, when either is missing.
bool read_point(Painter* painter, Point* point) {
  int x = read_argument(painter);
  if (x < 0) {
    return false;
  }
  int y = read_argument(painter);
  if (y < 0) {
    return false;
  }
  point->x = clamp_x(x);
  point->y = clamp_y(y);
  return true;
}

void plot_index(Painter* painter, int index) {
  if (painter->visual_on) {
    painter->screens->visual[index] = painter->visual_colour;
  }
  if (painter->priority_on) {
    painter->screens->priority[index] = painter->priority_colour;
  }
}

void plot(Painter* painter, int x, int y) {
  plot_index(painter, y * kPictureWidth + x);
}

// Reads a line command's first point and plots it; false when the command is cut short
// before it.
bool start_lines(Painter* painter, Point* current) {
  if (!read_point(painter, current)) {
    return false;
  }
  plot(painter, current->x, current->y);
  return true;
}

// Steps from one end to the other, moving along the minor axis whenever its counter,
// started at half the major distance, reaches the major distance.
void draw_line(Painter* painter, Point from, Point to) {
  int dx = to.x > from.x ? to.x - from.x : from.x - to.x;
  int dy = to.y > from.y ? to.y - from.y : from.y - to.y;
  int sx = to.x > from.x ? 1 : -1;
  int sy = to.y > from.y ? 1 : -1;
  int steps = dx > dy ? dx : dy;
  int ex = steps / 2;
  int ey = steps / 2;
  int x = from.x;
  int y = from.y;
  plot(painter, x, y);
  for (int i = 0; i < steps; ++i) {
    ey += dy;
    if (ey >= steps) {
      ey -= steps;
      y += sy;
    }
    ex += dx;
    if (ex >= steps) {
      ex -= steps;
      x += sx;
    }
    plot(painter, x, y);
  }
}

// Corner lines: single coordinates after the start point, alternating between a new x and
// a new y, each drawing a straight leg from the current point.
void draw_corner_lines(Painter* painter, bool x_first) {
  Point current;
  if (!start_lines(painter, &current)) {
    return;
  }
  bool next_is_x = x_first;
  for (int value = read_argument(painter); value >= 0; value = read_argument(painter)) {
    Point next = current;
    if (next_is_x) {
      next.x = clamp_x(value);
    } else {
      next.y = clamp_y(value);
    }
    draw_line(painter, current, next);
    current = next;
    next_is_x = !next_is_x;
  }
}

void draw_absolute_lines(Painter* painter) {
  Point current;
  if (!start_lines(painter, &current)) {
    return;
  }
  Point next;
  while (read_point(painter, &next)) {
    draw_line(painter, current, next);
    current = next;
  }
}

// A step's distance and direction; the result wraps at 256 and is then held to the screen,
// so a step past the left or top edge lands on the far edge.
int step_coordinate(int value, int step, int limit) {
  int distance = step & 0x07;
  int moved = (step & 0x08) != 0 ? value - distance : value + distance;
  moved &= 0xFF;
  return moved > limit ? limit : moved;
}

void draw_relative_lines(Painter* painter) {
  Point current;
  if (!start_lines(painter, &current)) {
    return;
  }
  for (int step = read_argument(painter); step >= 0; step = read_argument(painter)) {
    Point next;
    next.x = step_coordinate(current.x, step >> 4, kRightmostColumn);
    next.y = step_coordinate(current.y, step & 0x0F, kBottomRow);
    draw_line(painter, current, next);
    current = next;
  }
}

// Fills, on every screen being drawn, the area of blank pixels around the start that the
// deciding screen holds: the visual screen when visual drawing is on, else the priority
// screen. Neighbours are left, right, up and down only.
void fill(Painter* painter, Point start) {
  const uint8_t* deciding;
  uint8_t blank;
  uint8_t colour;
  if (painter->visual_on) {
    deciding = painter->screens->visual;
    blank = kVisualBlank;
    colour = painter->visual_colour;
  } else if (painter->priority_on) {
    deciding = painter->screens->priority;
    blank = kPriorityBlank;
    colour = painter->priority_colour;
  } else {
    return;
  }
  int start_index = start.y * kPictureWidth + start.x;
  // A fill in the blank colour would never end; a painted start has nothing to fill.
  if (colour == blank || deciding[start_index] != blank) {
    return;
  }
  // Plotting makes a pixel of the deciding screen non-blank, so every pixel is filled once
  // and the filled pixels need no marks of their own.
  int seed_count = 0;
  fill_seeds[seed_count++] = static_cast<uint16_t>(start_index);
  while (seed_count > 0) {
    int seed = fill_seeds[--seed_count];
    if (deciding[seed] != blank) {
      continue;
    }
    int row_start = seed - seed % kPictureWidth;
    int left = seed;
    while (left > row_start && deciding[left - 1] == blank) {
      --left;
    }
    int right = seed;
    while (right < row_start + kRightmostColumn && deciding[right + 1] == blank) {
      ++right;
    }
    for (int index = left; index <= right; ++index) {
      plot_index(painter, index);
    }
    // One seed for each run of blank pixels beside the span, above and below.
    for (int side = -kPictureWidth; side <= kPictureWidth; side += 2 * kPictureWidth) {
      if (row_start + side < 0 || row_start + side >= kPicturePixels) {
        continue;
      }
      bool in_run = false;
      for (int index = left + side; index <= right + side; ++index) {
        bool is_blank = deciding[index] == blank;
        if (is_blank && !in_run) {
          fill_seeds[seed_count++] = static_cast<uint16_t>(index);
        }
        in_run = is_blank;
      }
    }
  }
}

void draw_fills(Painter* painter) {
  Point start;
  while (read_point(painter, &start)) {
    fill(painter, start);
  }
}

// Circle pens, row by row from the top; '#' marks a covered cell. Size s has 2s + 1 rows of
// s + 1 cells.
constexpr char circle_rows[8][15][9] = {
    {"#"},
    {"##", "##", "##"},
    {".#.", "###", "###", "###", ".#."},
    {".##.", ".##.", "####", "####", "####", ".##.", ".##."},
    {"..#..", ".###.", "#####", "#####", "#####", "#####", "#####", ".###.", "..#.."},
    {"..##..", ".####.", ".####.", ".####.", "######", "######", "######", ".####.", ".####.",
     ".####.", "..##.."},
    {"..###..", ".#####.", ".#####.", ".#####.", "#######", "#######", "#######", "#######",
     "#######", ".#####.", ".#####.", ".#####.", "..###.."},
    {"...##...", "..####..", ".######.", ".######.", ".######.", "########", "########", "########",
     "########", "########", ".######.", ".######.", ".######.", "..####..", "...##..."},
};

// The splatter's 8-bit generator, stepped once before each covered cell.
uint8_t next_splatter_state(uint8_t state) {
  return (state & 1) != 0 ? static_cast<uint8_t>((state >> 1) ^ 0xB8)
                          : static_cast<uint8_t>(state >> 1);
}

// Stamps the pen at a point. The stamp is held inside the screen, except that its column
// may reach one past the right edge, which lands on the next row's first column as it does
// where the screen is one run of rows.
void stamp_pen(Painter* painter, Point at, uint8_t texture) {
  int size = painter->pen & 0x07;
  bool square = (painter->pen & 0x10) != 0;
  bool splatter = (painter->pen & 0x20) != 0;
  int doubled_left = 2 * at.x - size;
  if (doubled_left < 0) {
    doubled_left = 0;
  }
  if (doubled_left > 2 * kPictureWidth - 2 * size) {
    doubled_left = 2 * kPictureWidth - 2 * size;
  }
  int left = doubled_left / 2;
  int top = at.y - size;
  if (top < 0) {
    top = 0;
  }
  if (top > kBottomRow - 2 * size) {
    top = kBottomRow - 2 * size;
  }
  uint8_t state = static_cast<uint8_t>(texture | 1);
  for (int row = 0; row <= 2 * size; ++row) {
    for (int column = 0; column <= size; ++column) {
      if (!square && circle_rows[size][row][column] != '#') {
        continue;
      }
      if (splatter) {
        state = next_splatter_state(state);
        if ((state & 0x03) != 0x02) {
          continue;
        }
      }
      int index = (top + row) * kPictureWidth + left + column;
      if (index < kPicturePixels) {
        plot_index(painter, index);
      }
    }
  }
}

void draw_with_pen(Painter* painter) {
  bool splatter = (painter->pen & 0x20) != 0;
  for (;;) {
    int texture = 0;
    if (splatter) {
      texture = read_argument(painter);
      if (texture < 0) {
        return;
      }
    }
    Point at;
    if (!read_point(painter, &at)) {
      return;
    }
    stamp_pen(painter, at, static_cast<uint8_t>(texture));
  }
}

// F0 and F2: a screen's colour, from the next byte whatever it is, and drawing on that
// screen turned on. At the end of the data they change nothing.
void set_colour(Painter* painter, uint8_t* colour, bool* drawing_on) {
  int argument = read_top_level(painter);
  if (argument >= 0) {
    *colour = static_cast<uint8_t>(argument & 0x0F);
    *drawing_on = true;
  }
}

void run_command(Painter* painter, int command) {
  int argument;
  switch (command) {
    case 0xF0:
      set_colour(painter, &painter->visual_colour, &painter->visual_on);
      break;
    case 0xF1:
      painter->visual_on = false;
      break;
    case 0xF2:
      set_colour(painter, &painter->priority_colour, &painter->priority_on);
      break;
    case 0xF3:
      painter->priority_on = false;
      break;
    case 0xF4:
      draw_corner_lines(painter, false);
      break;
    case 0xF5:
      draw_corner_lines(painter, true);
      break;
    case 0xF6:
      draw_absolute_lines(painter);
      break;
    case 0xF7:
      draw_relative_lines(painter);
      break;
    case 0xF8:
      draw_fills(painter);
      break;
    case 0xF9:
      // The pen byte is the next byte whatever it is.
      argument = read_top_level(painter);
      if (argument >= 0) {
        painter->pen = static_cast<uint8_t>(argument);
      }
      break;
    case 0xFA:
      draw_with_pen(painter);
      break;
    default:
      // FB-FE, and argument bytes outside a command, are skipped.
      break;
  }
}

}  // namespace

void draw_picture(const uint8_t* data, size_t length, PictureScreens* screens) {
  memset(screens->visual, kVisualBlank, sizeof screens->visual);
  memset(screens->priority, kPriorityBlank, sizeof screens->priority);
  Painter painter = {data, length, 0, screens, false, false, kVisualBlank, kPriorityBlank, 0};
  for (int byte = read_top_level(&painter); byte >= 0 && byte != kEndOfPicture;
       byte = read_top_level(&painter)) {
    run_command(&painter, byte);
  }
}
