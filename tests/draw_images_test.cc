// "kesk --png": pictures and views drawn from scratch games, read back from the PNG files
// and compared with pixels worked out by hand.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/game_builder.h"
#include "tests/png_reader.h"

namespace {

const std::string kBanner = "KESK - AGI system extractor\n\n";

struct Pixel {
  int x;
  int y;
  uint8_t colour;
};

// A blank screen with the given pixels painted.
std::vector<uint8_t> screen_with(uint8_t blank, const std::vector<Pixel>& painted) {
  std::vector<uint8_t> screen(160 * 168, blank);
  for (const Pixel& pixel : painted) {
    screen[pixel.y * 160 + pixel.x] = pixel.colour;
  }
  return screen;
}

std::vector<Pixel> run_of(int x1, int x2, int y1, int y2, uint8_t colour) {
  std::vector<Pixel> pixels;
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) {
      pixels.push_back({x, y, colour});
    }
  }
  return pixels;
}

PngPixels decoded(const Bytes& file) {
  PngPixels pixels;
  std::string error;
  EXPECT_TRUE(read_png(file, &pixels, &error)) << error;
  return pixels;
}

// Each screen pixel stands as two image pixels side by side.
void expect_screen(const Bytes& file, const std::vector<uint8_t>& screen, const char* label) {
  PngPixels image = decoded(file);
  ASSERT_EQ(image.width, 320u);
  ASSERT_EQ(image.height, 168u);
  for (int y = 0; y < 168; ++y) {
    for (int x = 0; x < 320; ++x) {
      ASSERT_EQ(image.colours[y * 320 + x], screen[y * 160 + x / 2])
          << label << " at (" << x / 2 << ", " << y << ")";
    }
  }
}

void expect_sheet(const Bytes& file, uint32_t width, const std::string& rows) {
  PngPixels image = decoded(file);
  ASSERT_EQ(image.width, width);
  ASSERT_EQ(image.height * width, rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    uint8_t expected = rows[i] == '.' ? kPngTransparent : std::stoi(rows.substr(i, 1), 0, 16);
    ASSERT_EQ(image.colours[i], expected) << "pixel " << i % width << ", " << i / width;
  }
}

struct PictureCase {
  const char* label;
  Bytes data;
  std::vector<Pixel> visual;
  std::vector<Pixel> priority;
};

std::vector<Pixel> joined(std::vector<Pixel> a, const std::vector<Pixel>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<PictureCase> picture_cases() {
  std::vector<Pixel> box = joined(joined(run_of(0, 5, 0, 0, 1), run_of(0, 5, 4, 4, 1)),
                                  joined(run_of(0, 0, 0, 4, 1), run_of(5, 5, 0, 4, 1)));
  std::vector<Pixel> corner = joined(run_of(2, 2, 2, 6, 4), run_of(3, 8, 6, 6, 4));
  std::vector<Pixel> corner_priority = joined(run_of(2, 2, 2, 6, 6), run_of(3, 8, 6, 6, 6));
  std::vector<Pixel> small_box = joined(joined(run_of(0, 3, 0, 0, 1), run_of(0, 3, 3, 3, 1)),
                                        joined(run_of(0, 0, 0, 3, 1), run_of(3, 3, 0, 3, 1)));
  return {
      // A half step rounds towards the end point.
      {"line",
       {0xF0, 0x00, 0xF6, 0, 0, 4, 1, 0xFF},
       {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 1, 0}, {4, 1, 0}},
       {}},
      // Corner lines, across first, close a box; the fill stays inside it on the visual
      // screen and paints the same pixels on the priority screen.
      {"fill",
       {0xF0, 1, 0xF5, 0, 0, 5, 4, 0, 0, 0xF0, 2, 0xF2, 5, 0xF8, 2, 2, 0xFF},
       joined(box, run_of(1, 4, 1, 3, 2)),
       run_of(1, 4, 1, 3, 5)},
      // Down first; with both screens off a command draws nothing.
      {"corner lines",
       {0xF2, 6, 0xF0, 4, 0xF4, 2, 2, 6, 8, 0xF1, 0xF3, 0xF6, 0, 0, 9, 9, 0xFF},
       corner,
       corner_priority},
      // With visual drawing off the priority screen decides the fill.
      {"priority fill",
       {0xF2, 1, 0xF6, 0, 0, 3, 0, 3, 3, 0, 3, 0, 0, 0xF2, 2, 0xF8, 1, 1, 0xFF},
       {},
       joined(small_box, run_of(1, 2, 1, 2, 2))},
      // A step leftwards past column 0 lands on column 159.
      {"relative lines",
       {0xF0, 3, 0xF7, 10, 10, 0x20, 0x0A, 0xF7, 1, 5, 0xA0, 0xFF},
       joined(joined(run_of(10, 12, 10, 10, 3), run_of(12, 12, 8, 9, 3)), run_of(1, 159, 5, 5, 3)),
       {}},
      // A circle of size 2, and one at the right edge whose third column runs on into the
      // next row's first pixel.
      {"pen",
       {0xF0, 0, 0xF9, 2, 0xFA, 10, 10, 159, 10, 0xFF},
       joined(joined(run_of(10, 10, 8, 8, 0), run_of(9, 11, 9, 11, 0)),
              joined(joined(run_of(10, 10, 12, 12, 0), run_of(159, 159, 8, 12, 0)),
                     joined(run_of(158, 158, 9, 11, 0), run_of(0, 0, 10, 12, 0)))),
       {}},
      // A square splatter pen of size 1: texture 4 plots the first, third and sixth cell.
      {"splatter",
       {0xF0, 0, 0xF9, 0x31, 0xFA, 4, 20, 20, 0xFF},
       {{19, 19, 0}, {19, 20, 0}, {20, 21, 0}},
       {}},
      // A stamp is held inside the screen at the top, left and bottom edges.
      {"pen at the edges",
       {0xF0, 0, 0xF9, 2, 0xFA, 0, 0, 0, 167, 0xFF},
       joined(joined(run_of(1, 1, 0, 0, 0), run_of(0, 2, 1, 3, 0)),
              joined(joined(run_of(1, 1, 4, 4, 0), run_of(1, 1, 163, 163, 0)),
                     joined(run_of(0, 2, 164, 166, 0), run_of(1, 1, 167, 167, 0)))),
       {}},
      // Commands whose first point is cut short draw nothing.
      {"cut short", {0xF0, 1, 0xF4, 0xF5, 5, 0xF6, 0xF7, 0xF8, 9, 0xFA, 0xFF}, {}, {}},
      // FB ends the line and is skipped with the bytes after it, coordinates are clamped,
      // a lone x at the end is dropped, and the data ends without FF.
      {"damaged",
       {0xF0, 1, 0xF6, 5, 5, 0xFB, 10, 10, 0xF6, 200, 200, 9},
       {{5, 5, 1}, {159, 167, 1}},
       {}},
  };
}

TEST(DrawImages, PicturesDrawPixelForPixel) {
  for (const PictureCase& test : picture_cases()) {
    SCOPED_TRACE(test.label);
    FileTree game;
    add_resource(game, 1, 3, 0, test.data);
    ScratchRun run = run_in_scratch(game, {"--png", "-p", "3"});
    EXPECT_EQ(run.result.out, kBanner + "Drawing picture.3... Done.\n");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.tree.size(), game.size() + 2);
    expect_screen(run.tree["picture.3.png"], screen_with(15, test.visual), "visual");
    expect_screen(run.tree["picture.3.priority.png"], screen_with(4, test.priority), "priority");
  }
}

// The cel is drawn for loop 0 and mirrored in loop 1, which shares it.
const Bytes kMirroredView = {1, 1, 2, 0,    0,    9,    0, 9,    0,    1, 3,
                             0, 3, 2, 0x8F, 0x41, 0x22, 0, 0x11, 0xF1, 0};

TEST(DrawImages, ViewsBecomeSpriteSheets) {
  const std::vector<std::tuple<const char*, Bytes, uint32_t, std::string>> cases = {
      {"mirrored", kMirroredView, 6,
       "442222"
       "11...."
       "222244"
       "....11"},
      {"short header", {1, 1}, 1, "."},
      // A run wider than the cel is cut at its edge; the data ends in the second row.
      {"cut short",
       {1, 1, 1, 0, 0, 7, 0, 1, 3, 0, 2, 2, 0x0F, 0x13, 0},
       4,
       "1111"
       "...."},
  };
  for (const auto& [label, data, width, rows] : cases) {
    SCOPED_TRACE(label);
    FileTree game;
    add_resource(game, 2, 0, 0, data);
    ScratchRun run = run_in_scratch(game, {"--png", "-v", "0"});
    EXPECT_EQ(run.result.out, kBanner + "Drawing view.0... Done.\n");
    EXPECT_EQ(run.result.status, 0);
    expect_sheet(run.tree["view.0.png"], width, rows);
  }
}

TEST(DrawImages, EveryPictureThenEveryView) {
  FileTree game;
  add_resource(game, 1, 0, 0, {0xF0, 0, 0xF6, 0, 0, 4, 1, 0xFF});
  set_entry(game, 1, 1, {0xFF, 0xFF, 0xFF});
  add_resource(game, 1, 2, 1, {0xFF});
  add_resource(game, 2, 1, 0, kMirroredView);
  add_resource(game, 2, 2, 0, {}, 0);
  ScratchRun run = run_in_scratch(game, {"--png"});
  EXPECT_EQ(run.result.out, kBanner +
                                "Drawing picture files... Done.\n"
                                "Drawing view files... \nError! view.2 - extreme filesize (0 "
                                "bytes)!\nDone.\n");
  EXPECT_EQ(run.result.status, 0);
  FileTree images;
  for (const auto& [name, contents] : run.tree) {
    if (game.count(name) == 0) {
      images[name] = contents;
    }
  }
  std::vector<std::string> names;
  for (const auto& entry : images) {
    names.push_back(entry.first);
  }
  EXPECT_EQ(names, (std::vector<std::string>{
                       "picture/", "picture/picture.0.png", "picture/picture.0.priority.png",
                       "picture/picture.2.png", "picture/picture.2.priority.png", "view/",
                       "view/view.1.png"}));
  expect_screen(images["picture/picture.2.png"], screen_with(15, {}), "empty picture");
  expect_sheet(images["view/view.1.png"], 6,
               "442222"
               "11...."
               "222244"
               "....11");
}

// An image that cannot be created ends the run as an extracted file does; so does one that
// cannot be written: a sheet that compresses badly, so that its PNG outgrows the file size
// limit.
TEST(DrawImages, OutputFailuresEndTheRun) {
  FileTree game;
  add_resource(game, 1, 3, 0, {0xFF});
  add_resource(game, 2, 1, 0, kMirroredView);
  game["picture.3.png/"] = {};
  game["view"] = bytes_of("not a directory");
  ScratchRun single = run_in_scratch(game, {"--png", "-p", "3"});
  EXPECT_EQ(single.result.out,
            kBanner + "Drawing picture.3... Error!\nCannot open picture.3.png.\n");
  EXPECT_EQ(single.result.status, 1);
  ScratchRun bulk = run_in_scratch(game, {"--png", "-v", "ALL"});
  EXPECT_EQ(bulk.result.out,
            kBanner + "Drawing view files... Error!\nCannot open view/view.1.png.\n");
  EXPECT_EQ(bulk.result.status, 1);
  EXPECT_EQ(bulk.tree, game);

  // A cel of 255 x 255 pixels each of a colour of its own, whose image deflates to far more
  // than the limit.
  Bytes view = {1, 1, 1, 0, 0, 7, 0, 1, 3, 0, 255, 255, 0x0F};
  Bytes noise = pattern_bytes(256 * 255, 9);
  for (size_t i = 0; i < noise.size(); ++i) {
    view.push_back(i % 256 == 255 ? 0 : ((noise[i] & 0xF0) | 0x01));
  }
  game.clear();
  add_resource(game, 2, 0, 0, view);
  RunOptions options;
  options.file_size_limit = kWriteLimit;
  ScratchRun run = run_in_scratch(game, {"--png", "-v", "0"}, {}, options);
  EXPECT_EQ(run.result.out, kBanner + "Drawing view.0... Error!\nWrite error!\n");
  EXPECT_EQ(run.result.status, 1);
}

// Long options answer on their own; a command line they cannot read is refused on standard
// error with status 2, and nothing is written.
TEST(DrawImages, LongOptions) {
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
      {{"--version"}, 0, "kesk " KESK_VERSION "\n"},
      {{"--bogus"}, 2, "unknown option '--bogus'"},
      {{"--help", "-p"}, 2, "--help takes no arguments"},
      {{"--png", "-l", "5"}, 2, "not '-l'"},
      {{"--png", "-p"}, 2, "-p needs a resource number or ALL"},
      {{"--png", "-p", "5", "6"}, 2, "too many arguments"},
      {{"--png", "-p", "x"}, 2, "'x' is not a resource number"},
      {{"--png", "-v", "+5"}, 2, "'+5' is not a resource number"},
      {{"--png", "-v", ""}, 2, "'' is not a resource number"},
      {{"--png", "-v", "2147483648"}, 2, "'2147483648' is not a resource number"},
      {{"-p", "5", "--png"}, 2, "'--png' must come first"},
      {{"--text", "--png", "-p", "3"}, 2, "--text writes logics (-l) only, not '-p'"},
      {{"--wav", "-p", "1"}, 2, "--wav converts sounds (-s) only, not '-p'"},
      {{"--png", "--text", "--png"}, 2, "--png is named more than once"},
      {{"--midi", "-s", "3", "--wav"}, 2, "'--wav' must come before the type option"},
      {{"--text", "--help"}, 2, "--help takes no other options"},
  };
  FileTree game;
  add_resource(game, 1, 5, 0, {0xFF});
  for (const auto& [args, status, text] : cases) {
    SCOPED_TRACE(args[0] + " ... " + args.back());
    ScratchRun run = run_in_scratch(game, args);
    EXPECT_EQ(run.result.status, status);
    const std::string& said = status == 0 ? run.result.out : run.result.err;
    EXPECT_NE(said.find(text), std::string::npos) << said;
    if (status != 0) {
      EXPECT_EQ(run.result.out, kBanner);
      EXPECT_NE(run.result.err.find("Try 'kesk --help'"), std::string::npos);
    }
    EXPECT_EQ(run.tree, game);
  }
  ScratchRun help = run_in_scratch(game, {"--help"});
  EXPECT_EQ(help.result.status, 0);
  EXPECT_EQ(help.result.out.rfind(kBanner + "Usage: kesk -l number", 0), 0u);
  for (const char* form : {"kesk --png -p number", "kesk --png -v ALL", "kesk --text -l ALL",
                           "kesk --midi -s number", "kesk --wav", "kesk --version", "kesk -a"}) {
    EXPECT_NE(help.result.out.find(form), std::string::npos) << form;
  }
  // One dash is the classic form: picture 5 is copied out.
  ScratchRun classic = run_in_scratch(game, {"-png", "5"});
  EXPECT_EQ(classic.result.out, kBanner + "Extracting picture.5... Done.\n");
  EXPECT_EQ(classic.tree["picture.5"], Bytes{0xFF});
}

}  // namespace
