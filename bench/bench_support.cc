#include "bench/bench_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

const char* verdict(bool met) {
  return met ? "met" : "MISSED";
}

std::string absolute_program_path(const char* path) {
  char* absolute = realpath(path, nullptr);
  std::string result = absolute != nullptr ? absolute : path;
  free(absolute);
  return result;
}

bool massif_peak(const std::string& path, long& heap, long& extra) {
  std::ifstream profile(path);
  std::string line;
  long snapshot_heap = 0;
  heap = -1;
  while (std::getline(profile, line)) {
    if (starts_with(line, "mem_heap_B=")) {
      snapshot_heap = atol(line.c_str() + 11);
    } else if (starts_with(line, "mem_heap_extra_B=") && snapshot_heap > heap) {
      heap = snapshot_heap;
      extra = atol(line.c_str() + 17);
    }
  }
  return heap >= 0;
}

void prefer_ram_file_system() {
  struct stat info;
  if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) && access("/dev/shm", W_OK) == 0) {
    setenv("TMPDIR", "/dev/shm", 1);
  }
}

std::string load_averages() {
  double load[3];
  if (getloadavg(load, 3) != 3) {
    return "unknown";
  }
  char text[64];
  snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
  return text;
}
