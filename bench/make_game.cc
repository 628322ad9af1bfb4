// Writes the benchmark game of N entries per type into a directory, for runs by hand:
//   kesk_make_bench_game N DIRECTORY
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "bench/bench_game.h"

int main(int argc, char** argv) {
  if (argc != 3 || atoi(argv[1]) < 1) {
    fprintf(stderr, "usage: %s N DIRECTORY\n", argv[0]);
    return 2;
  }
  mkdir(argv[2], 0755);
  write_tree(argv[2], make_bench_game(atoi(argv[1])));
  return 0;
}
