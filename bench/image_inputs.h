// Pictures and views for the drawing benchmark, as the raw bytes of their resources: typical
// ones, large well-formed ones, and ones built to make drawing as slow as their size allows.
// Every input is the same on every run.
#ifndef KESK_BENCH_IMAGE_INPUTS_H
#define KESK_BENCH_IMAGE_INPUTS_H

#include <string>
#include <vector>

#include "tests/game_builder.h"

struct ImageInput {
  std::string name;
  std::string what;  // how it was built, in a few words
  Bytes data;
};

std::vector<ImageInput> bench_pictures();
std::vector<ImageInput> bench_views();

// A game holding bench_pictures() as pictures 0, 1, ... and bench_views() as views 0, 1, ...
// in "vol.0", with their "picdir" and "viewdir".
FileTree make_image_game();

#endif  // KESK_BENCH_IMAGE_INPUTS_H
