// Writes the sample game into the directory named on the command line.
#include <cstdio>

#include "examples/sample_game.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: make_sample_game DIRECTORY\n");
    return 2;
  }
  write_tree(argv[1], sample_game());
  return 0;
}
