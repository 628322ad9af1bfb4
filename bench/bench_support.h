// What the benchmark programs share beside their games: medians, verdicts, the peak of a
// massif heap profile, and the conditions a run was measured in.
#ifndef KESK_BENCH_BENCH_SUPPORT_H
#define KESK_BENCH_BENCH_SUPPORT_H

#include <string>
#include <vector>

double median(std::vector<double> values);

bool starts_with(const std::string& text, const std::string& prefix);

// The program's path made absolute: the benchmarks run it inside the games' directories.
std::string absolute_program_path(const char* path);

// "met" or "MISSED", as each target is printed.
const char* verdict(bool met);

// The largest useful heap size among the snapshots of a massif profile, with the allocator's
// overhead at that snapshot; false when the profile holds none.
bool massif_peak(const std::string& path, long& heap, long& extra);

// Points TMPDIR at /dev/shm where it is a writable directory, so that the games' files live
// in memory and the figures show the programs, not a disk.
void prefer_ram_file_system();

// The load averages over 1, 5 and 15 minutes, for judging how quiet the machine was.
std::string load_averages();

#endif  // KESK_BENCH_BENCH_SUPPORT_H
