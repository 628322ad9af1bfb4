// Times the images library on generated pictures and views: drawing apart from encoding, and
// the encoder against zlib's compress2 deflating the same rows at the same level. Then runs
// kesk --png on a game of those pictures and views, and with a valgrind path reads its peak
// heap from a massif profile. Each target is printed as met or MISSED, never judged by the
// exit status: it is 1 only when a run fails.
//
//   kesk_bench_drawing KESK [--valgrind=PATH] [--seconds=S]
//   kesk_bench_drawing --write-game DIRECTORY
//
// --seconds is the time given to each figure's repeated runs (0.25 by default); the second
// form only writes the game, for runs by hand.
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/image_inputs.h"
#include "images/images.h"

namespace {

constexpr double kDrawingTarget = 0.250;
constexpr double kResourceTarget = 0.250;
constexpr double kEncodingRatioTarget = 1.5;
constexpr long kHeapTarget = 512 * 1024;
constexpr int kMinimumRounds = 5;
constexpr int kMaximumRounds = 1000;
constexpr int kScreenWidth = 2 * kPictureWidth;

struct Options {
  std::string kesk;
  std::string valgrind;
  double seconds = 0.25;
};

// One image at a time, as kesk keeps them.
PictureScreens screens;
ViewSheet sheet;
PngEncoder encoder;
uint8_t image_row[kMaxSheetWidth];

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The times, in seconds, of several pieces of work timed in rounds: each round runs every
// piece once, so that a change in the machine's load falls on all of them alike. A first round
// warms up; then come at least kMinimumRounds, and more while the time given to each piece
// lasts. Gives each piece's times, round by round.
std::vector<std::vector<double>> time_in_rounds(double budget,
                                                const std::vector<std::function<void()>>& works) {
  std::vector<std::vector<double>> times(works.size());
  for (const auto& work : works) {
    work();
  }
  auto begin = std::chrono::steady_clock::now();
  double total_budget = budget * static_cast<double>(works.size());
  for (int round = 0;
       round < kMinimumRounds || (seconds_since(begin) < total_budget && round < kMaximumRounds);
       ++round) {
    for (size_t i = 0; i < works.size(); ++i) {
      auto start = std::chrono::steady_clock::now();
      works[i]();
      times[i].push_back(seconds_since(start));
    }
  }
  return times;
}

// The median of the ratios of two pieces' times taken in the same rounds.
double median_ratio(const std::vector<double>& numerators,
                    const std::vector<double>& denominators) {
  std::vector<double> ratios;
  for (size_t round = 0; round < numerators.size(); ++round) {
    ratios.push_back(numerators[round] / denominators[round]);
  }
  return median(ratios);
}

// Takes what the encoder has ready; keeps it when asked. Returns its size.
size_t take_ready(Bytes* kept) {
  size_t total = 0;
  const unsigned char* bytes;
  for (size_t size = take_png_bytes(&encoder, &bytes); size > 0;
       size = take_png_bytes(&encoder, &bytes)) {
    total += size;
    if (kept != nullptr) {
      kept->insert(kept->end(), bytes, bytes + size);
    }
  }
  return total;
}

void start_image(uint32_t width, uint32_t height, PngPalette palette) {
  if (!start_png(&encoder, width, height, palette)) {
    fprintf(stderr, "start_png failed\n");
    exit(1);
  }
}

size_t end_image(Bytes* kept) {
  finish_png(&encoder);
  size_t size = take_ready(kept);
  close_png(&encoder);
  return size;
}

// A screen as kesk writes it: each pixel doubled, then encoded. Returns the PNG's size.
size_t encode_screen(const uint8_t* screen, Bytes* kept) {
  start_image(kScreenWidth, kPictureHeight, kPngScreenColours);
  size_t size = take_ready(kept);
  for (int y = 0; y < kPictureHeight; ++y) {
    const uint8_t* pixels = screen + y * kPictureWidth;
    for (int x = 0; x < kPictureWidth; ++x) {
      image_row[2 * x] = image_row[2 * x + 1] = pixels[x];
    }
    put_png_row(&encoder, image_row);
    size += take_ready(kept);
  }
  return size + end_image(kept);
}

// The rows the encoder deflates: a filter byte, then two doubled pixels a byte.
void pack_screen(const uint8_t* screen, Bytes& rows) {
  for (int y = 0; y < kPictureHeight; ++y) {
    rows.push_back(0);
    for (int x = 0; x < kPictureWidth; ++x) {
      uint8_t pixel = screen[y * kPictureWidth + x];
      rows.push_back(static_cast<unsigned char>(pixel << 4 | pixel));
    }
  }
}

// The deflated data of a PNG: its IDAT chunks' contents, one after the other.
Bytes image_data(const Bytes& png) {
  Bytes data;
  for (size_t at = 8; at + 12 <= png.size();) {
    size_t length =
        static_cast<size_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    if (std::equal(png.begin() + at + 4, png.begin() + at + 8, "IDAT")) {
      data.insert(data.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    }
    at += 12 + length;
  }
  return data;
}

// zlib's compress2 on one image's rows, into `out`, at the level the encoder takes for an image
// of that size.
void deflate_rows(const Bytes& rows, uint32_t width, uint32_t height, Bytes& out) {
  uLongf size = compressBound(rows.size());
  out.resize(size);
  if (compress2(out.data(), &size, rows.data(), rows.size(),
                png_compression_level(width, height)) != Z_OK) {
    fprintf(stderr, "compress2 failed\n");
    exit(1);
  }
  out.resize(size);
}

struct Figures {
  std::string name;
  size_t bytes = 0;
  double draw = 0;           // drawing the picture, or decoding the whole sheet
  double encode = 0;         // encoding every image of the resource from its pixels
  double compress = 0;       // compress2 of the same rows
  double ratio = 0;          // encoding over compress2, round by round
  double together = 0;       // drawing and encoding, as kesk does them
  size_t png_bytes = 0;      // every image of the resource
  bool same_stream = false;  // the encoder deflated exactly what compress2 did
  uint32_t width = 0;
  uint32_t height = 0;
};

Figures time_picture(const ImageInput& input, double budget) {
  Figures figures;
  figures.name = input.name;
  figures.bytes = input.data.size();
  figures.width = kScreenWidth;
  figures.height = kPictureHeight;
  const uint8_t* data = input.data.data();
  size_t length = input.data.size();
  draw_picture(data, length, &screens);
  Bytes visual_rows;
  Bytes priority_rows;
  pack_screen(screens.visual, visual_rows);
  pack_screen(screens.priority, priority_rows);
  Bytes visual_deflated;
  Bytes priority_deflated;
  std::vector<std::vector<double>> times =
      time_in_rounds(budget, {[&] { draw_picture(data, length, &screens); },
                              [&] {
                                encode_screen(screens.visual, nullptr);
                                encode_screen(screens.priority, nullptr);
                              },
                              [&] {
                                deflate_rows(visual_rows, 320, 168, visual_deflated);
                                deflate_rows(priority_rows, 320, 168, priority_deflated);
                              }});
  figures.draw = median(times[0]);
  figures.encode = median(times[1]);
  figures.compress = median(times[2]);
  figures.ratio = median_ratio(times[1], times[2]);
  figures.together = figures.draw + figures.encode;
  Bytes visual_png;
  Bytes priority_png;
  figures.png_bytes = encode_screen(screens.visual, &visual_png);
  figures.png_bytes += encode_screen(screens.priority, &priority_png);
  figures.same_stream =
      image_data(visual_png) == visual_deflated && image_data(priority_png) == priority_deflated;
  return figures;
}

void decode_sheet(const Bytes& view, Bytes* pixels) {
  start_view_sheet(view.data(), view.size(), &sheet);
  for (uint32_t y = 0; y < sheet.height; ++y) {
    next_view_sheet_row(&sheet, image_row);
    if (pixels != nullptr) {
      pixels->insert(pixels->end(), image_row, image_row + sheet.width);
    }
  }
}

// The sheet decoded and encoded row by row, as kesk does it.
size_t draw_sheet(const Bytes& view, Bytes* kept) {
  start_view_sheet(view.data(), view.size(), &sheet);
  start_image(sheet.width, sheet.height, kPngSpriteColours);
  size_t size = take_ready(kept);
  for (uint32_t y = 0; y < sheet.height; ++y) {
    next_view_sheet_row(&sheet, image_row);
    put_png_row(&encoder, image_row);
    size += take_ready(kept);
  }
  return size + end_image(kept);
}

Figures time_view(const ImageInput& input, double budget) {
  Figures figures;
  figures.name = input.name;
  figures.bytes = input.data.size();
  Bytes pixels;
  decode_sheet(input.data, &pixels);
  figures.width = sheet.width;
  figures.height = sheet.height;
  Bytes rows;
  rows.reserve(pixels.size() + sheet.height);
  for (uint32_t y = 0; y < sheet.height; ++y) {
    rows.push_back(0);
    auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * sheet.width;
    rows.insert(rows.end(), row, row + sheet.width);
  }
  Bytes deflated;
  auto encode_pixels = [&] {
    start_image(figures.width, figures.height, kPngSpriteColours);
    take_ready(nullptr);
    for (uint32_t y = 0; y < figures.height; ++y) {
      put_png_row(&encoder, &pixels[static_cast<size_t>(y) * figures.width]);
      take_ready(nullptr);
    }
    end_image(nullptr);
  };
  std::vector<std::vector<double>> times = time_in_rounds(
      budget,
      {[&] { decode_sheet(input.data, nullptr); }, [&] { draw_sheet(input.data, nullptr); },
       encode_pixels, [&] { deflate_rows(rows, figures.width, figures.height, deflated); }});
  figures.draw = median(times[0]);
  figures.together = median(times[1]);
  figures.encode = median(times[2]);
  figures.compress = median(times[3]);
  figures.ratio = median_ratio(times[2], times[3]);
  Bytes png;
  figures.png_bytes = draw_sheet(input.data, &png);
  figures.same_stream = image_data(png) == deflated;
  return figures;
}

double ms(double seconds) {
  return seconds * 1e3;
}

void print_pictures(const std::vector<Figures>& pictures) {
  printf(
      "Pictures: draw_picture alone; encoding both 320 x 168 screens, pixels doubled; "
      "compress2 of the same rows; ratio: encoding / compress2, median over the rounds\n");
  printf("  %-15s %6s | %9s | %9s %9s %6s | %9s | %6s\n", "picture", "bytes", "draw", "encode",
         "compress2", "ratio", "total", "PNGs");
  for (const Figures& f : pictures) {
    printf("  %-15s %6zu | %7.3fms | %7.3fms %7.3fms %6.2f | %7.3fms | %6zu%s\n", f.name.c_str(),
           f.bytes, ms(f.draw), ms(f.encode), ms(f.compress), f.ratio, ms(f.together), f.png_bytes,
           f.same_stream ? "" : " (not compress2's stream)");
  }
}

void print_views(const std::vector<Figures>& views) {
  printf(
      "Views: the sheet decoded alone, decoded and encoded, encoded alone from its rows; "
      "compress2 of the same rows; ratio as above\n");
  printf("  %-15s %6s %13s %10s | %9s %9s | %9s %9s %6s | %8s\n", "view", "bytes", "sheet",
         "pixels", "decode", "total", "encode", "compress2", "ratio", "PNG");
  for (const Figures& f : views) {
    char size[32];
    snprintf(size, sizeof size, "%u x %u", f.width, f.height);
    printf("  %-15s %6zu %13s %10llu | %7.3fms %7.3fms | %7.3fms %7.3fms %6.2f | %8zu%s\n",
           f.name.c_str(), f.bytes, size, static_cast<unsigned long long>(f.width) * f.height,
           ms(f.draw), ms(f.together), ms(f.encode), ms(f.compress), f.ratio, f.png_bytes,
           f.same_stream ? "" : " (not compress2's stream)");
  }
}

void print_targets(const std::vector<Figures>& pictures, const std::vector<Figures>& views) {
  const Figures* slowest_drawing = &pictures.front();
  for (const Figures& f : pictures) {
    if (f.draw > slowest_drawing->draw) {
      slowest_drawing = &f;
    }
  }
  printf("  target: the slowest picture drawn in under %.0f ms: %s, %.1f ms, %s\n",
         ms(kDrawingTarget), slowest_drawing->name.c_str(), ms(slowest_drawing->draw),
         verdict(slowest_drawing->draw < kDrawingTarget));
  std::vector<const Figures*> all;
  for (const Figures& f : pictures) {
    all.push_back(&f);
  }
  for (const Figures& f : views) {
    all.push_back(&f);
  }
  const Figures* slowest = all.front();
  std::string over;
  for (const Figures* f : all) {
    if (f->together > slowest->together) {
      slowest = f;
    }
    if (f->together >= kResourceTarget) {
      over += (over.empty() ? "" : ", ") + f->name;
    }
  }
  printf("  target: every resource drawn and encoded in under %.0f ms: slowest %s, %.1f ms, %s%s\n",
         ms(kResourceTarget), slowest->name.c_str(), ms(slowest->together), verdict(over.empty()),
         over.empty() ? "" : (" (over: " + over + ")").c_str());
  for (const Figures* f : all) {
    printf("  target: encoding %s at most %.1f x compress2: %.2f, %s\n", f->name.c_str(),
           kEncodingRatioTarget, f->ratio, verdict(f->ratio <= kEncodingRatioTarget));
  }
}

// --- kesk --png on the game ---------------------------------------------------------------

// Every PNG that kesk --png must leave in the game directory.
std::vector<std::string> expected_images() {
  std::vector<std::string> names;
  for (size_t n = 0; n < bench_pictures().size(); ++n) {
    names.push_back("picture/picture." + std::to_string(n) + ".png");
    names.push_back("picture/picture." + std::to_string(n) + ".priority.png");
  }
  for (size_t n = 0; n < bench_views().size(); ++n) {
    names.push_back("view/view." + std::to_string(n) + ".png");
  }
  return names;
}

// Runs `program` with `args` in the game directory on fresh outputs, and checks that the run
// ended well and left every image.
bool run_png(const std::string& game, const std::string& program,
             const std::vector<std::string>& args, RunResult& run) {
  remove_tree(game + "/picture");
  remove_tree(game + "/view");
  RunOptions options;
  options.program = program;
  run = run_kesk(game, args, options);
  bool good = run.status == 0 && run.out.find("Error") == std::string::npos;
  for (const std::string& name : expected_images()) {
    struct stat info;
    if (good && (stat((game + "/" + name).c_str(), &info) != 0 || info.st_size == 0)) {
      fprintf(stderr, "kesk --png left no %s\n", name.c_str());
      good = false;
    }
  }
  if (!good) {
    fprintf(stderr, "%s --png failed (status %d):\n%s%s\n", program.c_str(), run.status,
            run.out.c_str(), run.err.c_str());
  }
  return good;
}

// Times kesk --png on the game (the median of three runs) and profiles its heap; false when
// a run fails.
bool run_kesk_on_game(const Options& options) {
  std::string game = make_scratch_directory();
  write_tree(game, make_image_game());
  std::vector<double> walls;
  RunResult run;
  bool good = true;
  for (int i = 0; i < 3 && good; ++i) {
    good = run_png(game, options.kesk, {"--png"}, run);
    walls.push_back(run.wall_seconds);
  }
  long heap = -1;
  long extra = 0;
  if (good && !options.valgrind.empty()) {
    std::string profile = game + ".massif";
    good = run_png(game, options.valgrind,
                   {"--tool=massif", "--peak-inaccuracy=0.0", "--massif-out-file=" + profile,
                    options.kesk, "--png"},
                   run) &&
           massif_peak(profile, heap, extra);
    unlink(profile.c_str());
  }
  remove_tree(game);
  if (!good) {
    return false;
  }
  std::sort(walls.begin(), walls.end());
  printf("kesk --png on a game of these pictures and views: wall %.1f ms (median of 3)\n",
         ms(walls[1]));
  if (heap >= 0) {
    printf(
        "Peak heap of kesk --png (valgrind --tool=massif): %ld bytes requested, %ld with "
        "the allocator's overhead\n",
        heap, heap + extra);
    printf("  target: at most %ld KiB: %s\n", kHeapTarget / 1024, verdict(heap <= kHeapTarget));
  }
  return true;
}

bool parse_options(int argc, char** argv, Options& options) {
  if (argc < 2) {
    return false;
  }
  options.kesk = absolute_program_path(argv[1]);
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (starts_with(arg, "--valgrind=")) {
      options.valgrind = arg.substr(11);
    } else if (starts_with(arg, "--seconds=")) {
      options.seconds = atof(arg.c_str() + 10);
    } else {
      return false;
    }
  }
  return options.seconds >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-game") {
    mkdir(argv[2], 0755);
    write_tree(argv[2], make_image_game());
    return 0;
  }
  Options options;
  if (!parse_options(argc, argv, options)) {
    fprintf(stderr,
            "usage: %s KESK [--valgrind=PATH] [--seconds=S]\n"
            "       %s --write-game DIRECTORY\n",
            argv[0], argv[0]);
    return 2;
  }
  prefer_ram_file_system();
  std::string load_at_start = load_averages();
  std::vector<Figures> pictures;
  for (const ImageInput& input : bench_pictures()) {
    pictures.push_back(time_picture(input, options.seconds));
  }
  std::vector<Figures> views;
  for (const ImageInput& input : bench_views()) {
    views.push_back(time_view(input, options.seconds));
  }
  printf(
      "\nDrawing and encoding, one thread: medians of at least %d runs, more while %.2f s "
      "lasts for each figure; the figures of one input are timed in turns\n",
      kMinimumRounds, options.seconds);
  print_pictures(pictures);
  print_views(views);
  print_targets(pictures, views);
  fflush(stdout);
  bool good = run_kesk_on_game(options);
  printf("Load average (1, 5, 15 minutes): %s at the start, %s at the end\n", load_at_start.c_str(),
         load_averages().c_str());
  return good ? 0 : 1;
}
