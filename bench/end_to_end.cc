// Times kesk -a against the floor program on large generated games and prints the medians,
// the per-resource cost and kesk's peak memory. With a valgrind path it also reads kesk's
// peak heap from a massif profile. The figures are printed, never judged by the exit status:
// it is 1 only when a run fails or kesk and the floor leave different files.
//
//   kesk_bench_end_to_end KESK FLOOR [--runs=R] [--sizes=300,3000] [--valgrind=PATH]
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_game.h"

namespace {

constexpr double kWallRatioTarget = 1.10;
constexpr double kFlatCostTolerance = 0.15;
constexpr long kHeapAllowance = 48 * 1024;

struct Options {
  std::string kesk;
  std::string floor;
  int runs = 7;
  std::vector<int> sizes = {300, 3000};
  std::string valgrind;
};

struct Measurement {
  int entries = 0;
  double kesk_wall = 0;
  double floor_wall = 0;
  double kesk_cpu = 0;
  double floor_cpu = 0;
  long kesk_rss_kib = 0;
  long floor_rss_kib = 0;
  double reopen = 0;  // one open and close of a volume file
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool parse_options(int argc, char** argv, Options& options) {
  if (argc < 3) {
    return false;
  }
  // The programs run in the game directories, so their paths must not be relative.
  char* kesk = realpath(argv[1], nullptr);
  char* floor = realpath(argv[2], nullptr);
  options.kesk = kesk != nullptr ? kesk : argv[1];
  options.floor = floor != nullptr ? floor : argv[2];
  free(kesk);
  free(floor);
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    if (starts_with(arg, "--runs=")) {
      options.runs = atoi(arg.c_str() + 7);
    } else if (starts_with(arg, "--valgrind=")) {
      options.valgrind = arg.substr(11);
    } else if (starts_with(arg, "--sizes=")) {
      options.sizes.clear();
      for (size_t at = 8; at < arg.size(); at = arg.find(',', at) + 1) {
        options.sizes.push_back(atoi(arg.c_str() + at));
        if (arg.find(',', at) == std::string::npos) {
          break;
        }
      }
    } else {
      return false;
    }
  }
  // Each size is compared with a game of one entry per type, so it must be larger.
  bool sizes_above_one = std::all_of(options.sizes.begin(), options.sizes.end(),
                                     [](int entries) { return entries > 1; });
  return options.runs > 0 && !options.sizes.empty() && sizes_above_one;
}

// Runs `work` in a child process and returns whether it exited with 0. The game data and
// the compared trees live only in the child, so this process stays small and its size does
// not show in the peak memory of the programs it starts.
template <typename Work>
bool in_child(Work work) {
  fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    int status = 1;
    try {
      status = work() ? 0 : 1;
    } catch (const std::exception& error) {
      fprintf(stderr, "%s\n", error.what());
    }
    fflush(stdout);
    _exit(status);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Truncates every file in the directory and those below it.
void empty_files(const std::string& directory) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) {
    return;
  }
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    std::string path = directory + "/" + name;
    struct stat info;
    if (name == "." || name == ".." || lstat(path.c_str(), &info) != 0) {
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      empty_files(path);
    } else {
      truncate(path.c_str(), 0);
    }
  }
  closedir(dir);
}

const char* const kOutputs[] = {"logic", "picture", "view", "sound", "object.new", "words.txt"};

// Moves the outputs of a run out of the game directory into a new directory `target`.
void move_outputs(const std::string& directory, const std::string& target) {
  mkdir(target.c_str(), 0755);
  for (const char* name : kOutputs) {
    rename((directory + "/" + name).c_str(), (target + "/" + name).c_str());
  }
}

// Moves the last run's outputs out of the game directory into a directory beside it and
// empties them, which frees their data but keeps their inodes until every timed run is
// over. Removing them at once would slow the next runs' file creations on some file
// systems: ext4 without a journal steps over each inode freed in the last minute or more
// when it looks for a free one.
void clear_outputs(const std::string& directory) {
  static int cleared = 0;
  std::string spent = directory + ".spent";
  mkdir(spent.c_str(), 0755);
  spent += "/" + std::to_string(cleared++);
  move_outputs(directory, spent);
  empty_files(spent);
}

RunResult run_on_fresh_outputs(const std::string& program, const std::string& directory,
                               const std::vector<std::string>& args) {
  clear_outputs(directory);
  RunOptions options;
  options.program = program;
  return run_kesk(directory, args, options);
}

bool check_kesk_run(const RunResult& run) {
  const std::string ending = "\nAll done!\n";
  bool good = run.status == 0 && run.err.empty() && run.out.find("Error") == std::string::npos &&
              run.out.size() >= ending.size() &&
              run.out.compare(run.out.size() - ending.size(), ending.size(), ending) == 0;
  if (!good) {
    fprintf(stderr, "kesk -a failed (status %d):\n%s%s\n", run.status, run.out.c_str(),
            run.err.c_str());
  }
  return good;
}

bool check_floor_run(const RunResult& run) {
  if (run.status != 0 || !run.err.empty()) {
    fprintf(stderr, "the floor failed (status %d): %s\n", run.status, run.err.c_str());
    return false;
  }
  return true;
}

bool same_trees(const std::string& left, const std::string& right) {
  FileTree a = read_tree(left);
  FileTree b = read_tree(right);
  if (a == b) {
    return true;
  }
  for (const auto& [name, contents] : a) {
    auto other = b.find(name);
    if (other == b.end() || other->second != contents) {
      fprintf(stderr, "kesk and the floor differ at %s\n", name.c_str());
      return false;
    }
  }
  fprintf(stderr, "the floor left files that kesk did not\n");
  return false;
}

// The mean time to open and close an existing volume file, which kesk does once for each
// entry and the floor once for the whole run: the part of kesk's cost that no buffering
// choice can remove.
double reopen_seconds(const std::string& directory) {
  constexpr int kReopens = 20000;
  std::string path = directory + "/vol.0";
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (int i = 0; i < kReopens; ++i) {
    FILE* volume = fopen(path.c_str(), "rb");
    if (volume != nullptr) {
      fclose(volume);
    }
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  return (static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) * 1e-9) /
         kReopens;
}

// Builds the game, warms up, checks that both programs leave the same files, then
// alternates the timed runs in the same directory, each on freshly cleared outputs.
bool measure(const Options& options, int entries, const std::string& base, Measurement& result) {
  std::string game_dir = base + "/game";
  bool built = in_child([&] {
    mkdir(game_dir.c_str(), 0755);
    write_tree(game_dir, make_bench_game(entries));
    return true;
  });
  if (!built || !check_kesk_run(run_on_fresh_outputs(options.kesk, game_dir, {"-a"}))) {
    return false;
  }
  move_outputs(game_dir, base + "/kesk-outputs");
  if (!check_floor_run(run_on_fresh_outputs(options.floor, game_dir, {}))) {
    return false;
  }
  move_outputs(game_dir, base + "/floor-outputs");
  if (!in_child([&] { return same_trees(base + "/kesk-outputs", base + "/floor-outputs"); })) {
    return false;
  }
  empty_files(base + "/kesk-outputs");
  empty_files(base + "/floor-outputs");

  std::vector<double> kesk_wall, floor_wall, kesk_cpu, floor_cpu;
  result.entries = entries;
  for (int run = 0; run < options.runs; ++run) {
    RunResult kesk = run_on_fresh_outputs(options.kesk, game_dir, {"-a"});
    RunResult floor = run_on_fresh_outputs(options.floor, game_dir, {});
    if (!check_kesk_run(kesk) || !check_floor_run(floor)) {
      return false;
    }
    kesk_wall.push_back(kesk.wall_seconds);
    kesk_cpu.push_back(kesk.cpu_seconds);
    floor_wall.push_back(floor.wall_seconds);
    floor_cpu.push_back(floor.cpu_seconds);
    result.kesk_rss_kib = std::max(result.kesk_rss_kib, kesk.peak_rss_kib);
    result.floor_rss_kib = std::max(result.floor_rss_kib, floor.peak_rss_kib);
  }
  result.reopen = reopen_seconds(game_dir);
  result.kesk_wall = median(kesk_wall);
  result.floor_wall = median(floor_wall);
  result.kesk_cpu = median(kesk_cpu);
  result.floor_cpu = median(floor_cpu);
  return true;
}

// The largest useful heap size among the snapshots of a massif profile, with the allocator's
// overhead at that snapshot.
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

struct HeapProfile {
  int entries = 0;
  long heap = -1;  // bytes requested at the peak; -1 when not profiled
  long extra = 0;  // the allocator's overhead at the peak
};

bool profile_heap(const Options& options, int entries, const std::string& base,
                  HeapProfile& result) {
  std::string game_dir = base + "/game";
  std::string profile = base + "/massif.out";
  RunResult run = run_on_fresh_outputs(options.valgrind, game_dir,
                                       {"--tool=massif", "--peak-inaccuracy=0.0",
                                        "--massif-out-file=" + profile, options.kesk, "-a"});
  result.entries = entries;
  if (run.status != 0 || !massif_peak(profile, result.heap, result.extra)) {
    fprintf(stderr, "massif failed (status %d): %s\n", run.status, run.err.c_str());
    return false;
  }
  return true;
}

void print_heap_profile(const HeapProfile& profile) {
  long limit = kHeapAllowance + static_cast<long>(bench_object_size());
  printf(
      "Peak heap of kesk -a at N = %d (valgrind --tool=massif): %ld bytes requested, %ld "
      "with the allocator's overhead\n",
      profile.entries, profile.heap, profile.heap + profile.extra);
  printf("  target: at most 48 KiB + the size of \"object\" (%zu) = %ld bytes: %s\n",
         bench_object_size(), limit, profile.heap <= limit ? "met" : "MISSED");
}

// What the scratch directory lies on, since file creation costs differ widely between
// file systems.
std::string file_system_of(const std::string& path) {
#ifdef __linux__
  struct statfs info;
  if (statfs(path.c_str(), &info) == 0) {
    switch (static_cast<unsigned long>(info.f_type)) {
      case 0x01021994ul:
        return "tmpfs";
      case 0xEF53ul:
        return "ext2/3/4";
      case 0x58465342ul:
        return "xfs";
      case 0x9123683Eul:
        return "btrfs";
      case 0x794C7630ul:
        return "overlayfs";
      default: {
        char hex[32];
        snprintf(hex, sizeof hex, "file system 0x%lx", static_cast<unsigned long>(info.f_type));
        return hex;
      }
    }
  }
#endif
  return "unknown file system";
}

// The cost of one resource with the fixed cost of a run (start-up, the object file and the
// vocabulary, measured on a game of one entry per type) taken out.
double marginal_cost(double wall, double fixed_wall, int entries) {
  return (wall - fixed_wall) / (4.0 * (entries - 1));
}

void print_measurements(const Options& options, const Measurement& fixed,
                        const std::vector<Measurement>& results) {
  printf("kesk -a against the floor: medians of %d alternating runs each, after a warm-up\n",
         options.runs);
  printf("%6s %9s | %10s %10s %6s | %10s %10s %6s | %9s %9s | %9s\n", "N", "resources", "kesk wall",
         "floor wall", "ratio", "kesk cpu", "floor cpu", "ratio", "kesk/res", "floor/res",
         "kesk RSS");
  for (const Measurement& m : results) {
    double resources = 4.0 * m.entries;
    printf(
        "%6d %9.0f | %8.1fms %8.1fms %6.3f | %8.1fms %8.1fms %6.3f | %7.2fus %7.2fus | %6ldKiB\n",
        m.entries, resources, m.kesk_wall * 1e3, m.floor_wall * 1e3, m.kesk_wall / m.floor_wall,
        m.kesk_cpu * 1e3, m.floor_cpu * 1e3, m.kesk_cpu / m.floor_cpu,
        m.kesk_wall / resources * 1e6, m.floor_wall / resources * 1e6, m.kesk_rss_kib);
  }
  printf(
      "Fixed cost of a run (N = 1: start-up, object and vocabulary): kesk %.2fms, floor "
      "%.2fms\n",
      fixed.kesk_wall * 1e3, fixed.floor_wall * 1e3);
  printf("Cost per resource without the fixed cost:\n");
  for (const Measurement& m : results) {
    printf("  N = %d: kesk %.2fus, floor %.2fus\n", m.entries,
           marginal_cost(m.kesk_wall, fixed.kesk_wall, m.entries) * 1e6,
           marginal_cost(m.floor_wall, fixed.floor_wall, m.entries) * 1e6);
  }
  printf(
      "The volume reopen for each entry (one fopen and fclose of an existing file), which "
      "the floor does not do:\n");
  for (const Measurement& m : results) {
    double floor_per_resource = m.floor_wall / (4.0 * m.entries);
    printf("  N = %d: %.2fus, %.0f%% of the floor's cost per resource\n", m.entries, m.reopen * 1e6,
           m.reopen / floor_per_resource * 100);
  }
  const Measurement& small = results.front();
  const Measurement& large = results.back();
  printf("  target: wall ratio at N = %d at most %.2f: %.3f, %s\n", large.entries, kWallRatioTarget,
         large.kesk_wall / large.floor_wall,
         large.kesk_wall / large.floor_wall <= kWallRatioTarget ? "met" : "MISSED");
  if (results.size() > 1) {
    double change = marginal_cost(large.kesk_wall, fixed.kesk_wall, large.entries) /
                        marginal_cost(small.kesk_wall, fixed.kesk_wall, small.entries) -
                    1;
    double floor_change = marginal_cost(large.floor_wall, fixed.floor_wall, large.entries) /
                              marginal_cost(small.floor_wall, fixed.floor_wall, small.entries) -
                          1;
    printf(
        "  target: kesk's cost per resource, without the fixed cost, at N = %d within %.0f%% "
        "of N = %d: %+.1f%%, %s "
        "(floor: %+.1f%%)\n",
        large.entries, kFlatCostTolerance * 100, small.entries, change * 100,
        change <= kFlatCostTolerance && change >= -kFlatCostTolerance ? "met" : "MISSED",
        floor_change * 100);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, options)) {
    fprintf(stderr, "usage: %s KESK FLOOR [--runs=R] [--sizes=300,3000] [--valgrind=PATH]\n",
            argv[0]);
    return 2;
  }
  std::vector<Measurement> results;
  std::vector<std::string> bases;
  HeapProfile heap;
  // A game of one entry per type gives the fixed cost of a run.
  bases.push_back(make_scratch_directory());
  Measurement fixed;
  bool good = measure(options, 1, bases.back(), fixed);
  for (size_t i = 0; i < options.sizes.size() && good; ++i) {
    bases.push_back(make_scratch_directory());
    Measurement result;
    good = measure(options, options.sizes[i], bases.back(), result);
    results.push_back(result);
  }
  if (good && !options.valgrind.empty()) {
    good = profile_heap(options, options.sizes.back(), bases.back(), heap);
  }
  std::string scratch = bases.front().substr(0, bases.front().rfind('/'));
  std::string file_system = file_system_of(bases.front());
  // Nothing is removed before every run is over (see clear_outputs).
  for (const std::string& base : bases) {
    remove_tree(base);
  }
  if (!good) {
    return 1;
  }
  printf("\nScratch directories in %s, on %s\n", scratch.c_str(), file_system.c_str());
  print_measurements(options, fixed, results);
  if (heap.heap >= 0) {
    print_heap_profile(heap);
  }
  return 0;
}
