// Large valid games for the benchmarks, built with the shared game builder.
#ifndef KESK_BENCH_BENCH_GAME_H
#define KESK_BENCH_BENCH_GAME_H

#include <cstddef>

#include "tests/game_builder.h"

// Every volume stays under this size, so the 20-bit offsets always reach.
constexpr size_t kBenchVolumeLimit = 1u << 20;

// The longest resource of a benchmark game.
constexpr size_t kBenchLongestResource = 30000;

// Four types of `entries` present resources each, 1 to kBenchLongestResource bytes long,
// stored over the sixteen volumes in entry order, at whatever offsets they fall on (entries
// holding a 0xFF byte among them). Once every volume is full, the remaining entries point at
// resources stored earlier, so a large game shares resources between entries.
// Also an enciphered "object" and a "words.tok" of a few thousand words.
FileTree make_bench_game(int entries);

// The size of the "object" that make_bench_game writes.
size_t bench_object_size();

// A "words.tok" of `words` words over the 26 letters. When `last_letter_bytes` is non-zero,
// the list of Z is grown to at least that many bytes, which makes a file far beyond the
// 64 KiB that the letter index can address at the start of a list.
Bytes bench_vocabulary(int words, size_t last_letter_bytes);

#endif  // KESK_BENCH_BENCH_GAME_H
