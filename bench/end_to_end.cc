// Times kesk -a against the floor program on large generated games and prints the medians,
// the per-resource cost and kesk's peak memory; on the largest game it also times kesk on
// the same game with every input name in upper case against the lower-case one. Each round
// runs every game in turn, so that the machine's load falls on all the figures alike. With a
// valgrind path it reads kesk's peak heap from a massif profile. Each target is printed as
// met or MISSED, never judged by the exit status: it is 1 only when a run fails, or kesk
// and the floor, or kesk on the two spellings, leave different files.
//
// The games are written to /dev/shm where it exists, a RAM file system on Linux, so that
// the figures show the programs and not a disk; else to the usual temporary directory.
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
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_game.h"
#include "bench/bench_support.h"

namespace {

constexpr double kWallRatioTarget = 1.10;
constexpr double kUpperCaseRatioTarget = 1.05;
constexpr double kFlatCostTolerance = 0.15;
// kesk's heap holds 16 KiB beyond its largest resource and "object"; with resources of at
// most kBenchLongestResource bytes that stays within 48 KiB plus "object".
constexpr long kHeapAllowance = 48 * 1024;
static_assert(16 * 1024 + kBenchLongestResource <= kHeapAllowance,
              "the heap target must hold the benchmark game's largest resource");

struct Options {
  std::string kesk;
  std::string floor;
  int runs = 9;
  std::vector<int> sizes = {300, 3000};
  std::string valgrind;
};

// The medians of one side's timed runs, and the largest peak resident set among them.
struct Figures {
  double wall = 0;
  double cpu = 0;
  long peak_rss_kib = 0;
};

// The figures of two sides timed against each other on a game of `entries` entries per type:
// kesk and the floor, or kesk on lower-case and on upper-case names.
struct Comparison {
  int entries = 0;
  Figures first;
  Figures second;
};

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

// Moves a run's outputs out of the game directory into a new directory beside it, and gives
// that directory's path.
std::string set_outputs_aside(const std::string& directory) {
  static int set_aside = 0;
  std::string target = directory + ".aside";
  mkdir(target.c_str(), 0755);
  target += "/" + std::to_string(set_aside++);
  move_outputs(directory, target);
  return target;
}

// Sets the last run's outputs aside and empties them, which frees their data but keeps their
// inodes until every timed run is over. Removing them at once would slow the next runs' file
// creations on some file systems: ext4 without a journal steps over each inode freed in the
// last minute or more when it looks for a free one.
void clear_outputs(const std::string& directory) {
  empty_files(set_outputs_aside(directory));
}

RunResult run_on_fresh_outputs(const std::string& program, const std::string& directory,
                               const std::vector<std::string>& args) {
  clear_outputs(directory);
  RunOptions options;
  options.program = program;
  return run_kesk(directory, args, options);
}

// A program timed in a game directory: kesk -a, or the floor.
struct Contender {
  std::string label;
  std::string program;
  std::string directory;
  bool is_kesk;
};

struct Timings {
  std::vector<double> wall;
  std::vector<double> cpu;
  long peak_rss_kib = 0;
};

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

// One run on fresh outputs, checked, and added to `timings` when given.
bool run_contender(const Contender& contender, Timings* timings) {
  std::vector<std::string> args;
  if (contender.is_kesk) {
    args.push_back("-a");
  }
  RunResult run = run_on_fresh_outputs(contender.program, contender.directory, args);
  if (!(contender.is_kesk ? check_kesk_run(run) : check_floor_run(run))) {
    return false;
  }
  if (timings != nullptr) {
    timings->wall.push_back(run.wall_seconds);
    timings->cpu.push_back(run.cpu_seconds);
    timings->peak_rss_kib = std::max(timings->peak_rss_kib, run.peak_rss_kib);
  }
  return true;
}

// The files every run must leave, by these names whatever the case of the inputs' names.
const char* const kExpectedOutputs[] = {"logic/logic.0", "picture/picture.0", "view/view.0",
                                        "sound/sound.0", "object.new",        "words.txt"};

bool same_trees(const std::string& left, const std::string& right, const Contender& first,
                const Contender& second) {
  FileTree a = read_tree(left);
  FileTree b = read_tree(right);
  for (const char* name : kExpectedOutputs) {
    if (a.count(name) == 0) {
      fprintf(stderr, "%s left no %s\n", first.label.c_str(), name);
      return false;
    }
  }
  if (a == b) {
    return true;
  }
  for (const auto& [name, contents] : a) {
    auto other = b.find(name);
    if (other == b.end()) {
      fprintf(stderr, "%s left %s, %s did not\n", first.label.c_str(), name.c_str(),
              second.label.c_str());
      return false;
    }
    if (other->second != contents) {
      fprintf(stderr, "%s and %s differ at %s\n", first.label.c_str(), second.label.c_str(),
              name.c_str());
      return false;
    }
  }
  fprintf(stderr, "%s left files that %s did not\n", second.label.c_str(), first.label.c_str());
  return false;
}

// Runs each program once, which also warms up the caches, and checks that the two leave the
// same files. Only the lower-case output names are kept and compared.
bool same_outputs(const Contender& first, const Contender& second) {
  if (!run_contender(first, nullptr)) {
    return false;
  }
  std::string first_outputs = set_outputs_aside(first.directory);
  if (!run_contender(second, nullptr)) {
    return false;
  }
  std::string second_outputs = set_outputs_aside(second.directory);
  bool same = in_child([&] { return same_trees(first_outputs, second_outputs, first, second); });
  empty_files(first_outputs);
  empty_files(second_outputs);
  return same;
}

std::string upper_case(std::string name) {
  for (char& c : name) {
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

// Writes the benchmark game of `entries` entries per type into a new directory, with every
// file name in upper case when asked.
bool write_game(const std::string& directory, int entries, bool upper_case_names) {
  return in_child([&] {
    FileTree game = make_bench_game(entries);
    if (upper_case_names) {
      FileTree renamed;
      for (auto& [name, contents] : game) {
        renamed[upper_case(name)] = std::move(contents);
      }
      game = std::move(renamed);
    }
    mkdir(directory.c_str(), 0755);
    write_tree(directory, game);
    return true;
  });
}

// Two sides timed against each other, and their timings so far.
struct Pairing {
  int entries = 0;
  Contender first;
  Contender second;
  Timings first_times;
  Timings second_times;
};

// kesk (first) against the floor (second) on a game built in `base`/game; checks that the two
// leave the same files.
bool pair_with_floor(const Options& options, int entries, const std::string& base,
                     Pairing& pairing) {
  std::string game_dir = base + "/game";
  pairing.entries = entries;
  pairing.first = {"kesk", options.kesk, game_dir, true};
  pairing.second = {"the floor", options.floor, game_dir, false};
  return write_game(game_dir, entries, false) && same_outputs(pairing.first, pairing.second);
}

// kesk on the lower-case game that pair_with_floor() left in `base`/game (first) against kesk
// on the same game with upper-case names, built in `base`/upper (second); checks that kesk
// leaves the same files for both.
bool pair_name_cases(const Options& options, int entries, const std::string& base,
                     Pairing& pairing) {
  std::string upper_dir = base + "/upper";
  pairing.entries = entries;
  pairing.first = {"kesk on lower-case names", options.kesk, base + "/game", true};
  pairing.second = {"kesk on upper-case names", options.kesk, upper_dir, true};
  return write_game(upper_dir, entries, true) && same_outputs(pairing.first, pairing.second);
}

// Times every pairing in rounds: each round runs the two sides of each pairing in turn, each
// on freshly cleared outputs. A change in the machine's load then falls on every game size
// alike, which the comparison of costs per resource between sizes needs. The side that
// starts on a game finds less of it in the caches than the side after it, so the two take
// turns at starting.
bool time_in_rounds(std::vector<Pairing>& pairings, int runs) {
  for (int run = 0; run < runs; ++run) {
    for (Pairing& pairing : pairings) {
      bool first_starts = run % 2 == 0;
      Contender& starting = first_starts ? pairing.first : pairing.second;
      Contender& following = first_starts ? pairing.second : pairing.first;
      if (!run_contender(starting, first_starts ? &pairing.first_times : &pairing.second_times) ||
          !run_contender(following, first_starts ? &pairing.second_times : &pairing.first_times)) {
        return false;
      }
    }
  }
  return true;
}

Figures figures_of(const Timings& timings) {
  Figures figures;
  figures.wall = median(timings.wall);
  figures.cpu = median(timings.cpu);
  figures.peak_rss_kib = timings.peak_rss_kib;
  return figures;
}

Comparison comparison_of(const Pairing& pairing) {
  Comparison comparison;
  comparison.entries = pairing.entries;
  comparison.first = figures_of(pairing.first_times);
  comparison.second = figures_of(pairing.second_times);
  return comparison;
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
  printf(
      "  target: at most 48 KiB (16 KiB + the largest resource, %zu bytes at most) + the size "
      "of \"object\" (%zu) = %ld bytes: %s\n",
      kBenchLongestResource, bench_object_size(), limit, profile.heap <= limit ? "met" : "MISSED");
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

void print_measurements(const Options& options, const Comparison& fixed,
                        const std::vector<Comparison>& results) {
  printf(
      "kesk -a against the floor: medians of %d runs each, after a warm-up; each round runs "
      "both on every game in turn\n",
      options.runs);
  printf("%6s %9s | %10s %10s %6s | %10s %10s %6s | %9s %9s | %9s\n", "N", "resources", "kesk wall",
         "floor wall", "ratio", "kesk cpu", "floor cpu", "ratio", "kesk/res", "floor/res",
         "kesk RSS");
  for (const Comparison& m : results) {
    const Figures& kesk = m.first;
    const Figures& floor = m.second;
    double resources = 4.0 * m.entries;
    printf(
        "%6d %9.0f | %8.1fms %8.1fms %6.3f | %8.1fms %8.1fms %6.3f | %7.2fus %7.2fus | %6ldKiB\n",
        m.entries, resources, kesk.wall * 1e3, floor.wall * 1e3, kesk.wall / floor.wall,
        kesk.cpu * 1e3, floor.cpu * 1e3, kesk.cpu / floor.cpu, kesk.wall / resources * 1e6,
        floor.wall / resources * 1e6, kesk.peak_rss_kib);
  }
  printf(
      "Fixed cost of a run (N = 1: start-up, object and vocabulary): kesk %.2fms, floor "
      "%.2fms\n",
      fixed.first.wall * 1e3, fixed.second.wall * 1e3);
  printf("Cost per resource without the fixed cost, and what kesk spends beyond the floor:\n");
  for (const Comparison& m : results) {
    double kesk = marginal_cost(m.first.wall, fixed.first.wall, m.entries);
    double floor = marginal_cost(m.second.wall, fixed.second.wall, m.entries);
    printf("  N = %d: kesk %.2fus, floor %.2fus, kesk's extra %.2fus (%+.1f%% of the floor)\n",
           m.entries, kesk * 1e6, floor * 1e6, (kesk - floor) * 1e6, (kesk / floor - 1) * 100);
  }
  const Comparison& small = results.front();
  const Comparison& large = results.back();
  double ratio = large.first.wall / large.second.wall;
  printf("  target: wall ratio at N = %d at most %.2f: %.3f, %s\n", large.entries, kWallRatioTarget,
         ratio, verdict(ratio <= kWallRatioTarget));
  if (results.size() > 1) {
    double change = marginal_cost(large.first.wall, fixed.first.wall, large.entries) /
                        marginal_cost(small.first.wall, fixed.first.wall, small.entries) -
                    1;
    double floor_change = marginal_cost(large.second.wall, fixed.second.wall, large.entries) /
                              marginal_cost(small.second.wall, fixed.second.wall, small.entries) -
                          1;
    printf(
        "  target: kesk's cost per resource, without the fixed cost, at N = %d within %.0f%% "
        "of N = %d: %+.1f%%, %s (floor: %+.1f%%)\n",
        large.entries, kFlatCostTolerance * 100, small.entries, change * 100,
        verdict(change <= kFlatCostTolerance && change >= -kFlatCostTolerance), floor_change * 100);
  }
}

void print_name_case(const Options& options, const Comparison& m) {
  const Figures& lower = m.first;
  const Figures& upper = m.second;
  printf(
      "kesk -a on the N = %d game with upper-case input names (LOGDIR, VOL.0, OBJECT, ...) "
      "against lower-case: medians of %d runs each, in the same rounds; the same "
      "files, by lower-case names, from both\n",
      m.entries, options.runs);
  printf("  lower case: wall %.1fms, cpu %.1fms; upper case: wall %.1fms, cpu %.1fms\n",
         lower.wall * 1e3, lower.cpu * 1e3, upper.wall * 1e3, upper.cpu * 1e3);
  double ratio = upper.wall / lower.wall;
  printf("  target: wall ratio upper / lower case at most %.2f: %.3f, %s (cpu ratio %.3f)\n",
         kUpperCaseRatioTarget, ratio, verdict(ratio <= kUpperCaseRatioTarget),
         upper.cpu / lower.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, options)) {
    fprintf(stderr, "usage: %s KESK FLOOR [--runs=R] [--sizes=300,3000] [--valgrind=PATH]\n",
            argv[0]);
    return 2;
  }
  prefer_ram_file_system();
  std::string load_at_start = load_averages();
  // A game of one entry per type first, for the fixed cost of a run; then each size; then
  // the largest game's lower-case names against upper-case.
  std::vector<int> sizes = {1};
  sizes.insert(sizes.end(), options.sizes.begin(), options.sizes.end());
  std::vector<std::string> bases;
  std::vector<Pairing> pairings(sizes.size() + 1);
  bool good = true;
  for (size_t i = 0; i < sizes.size() && good; ++i) {
    bases.push_back(make_scratch_directory());
    good = pair_with_floor(options, sizes[i], bases.back(), pairings[i]);
  }
  good = good && pair_name_cases(options, sizes.back(), bases.back(), pairings.back());
  good = good && time_in_rounds(pairings, options.runs);
  HeapProfile heap;
  if (good && !options.valgrind.empty()) {
    good = profile_heap(options, sizes.back(), bases.back(), heap);
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
  printf("\nScratch directories in %s, on %s%s\n", scratch.c_str(), file_system.c_str(),
         file_system == "tmpfs" ? " (in memory)" : " (not a RAM file system)");
  printf("Load average (1, 5, 15 minutes): %s at the start, %s at the end\n", load_at_start.c_str(),
         load_averages().c_str());
  std::vector<Comparison> results;
  for (size_t i = 1; i < sizes.size(); ++i) {
    results.push_back(comparison_of(pairings[i]));
  }
  print_measurements(options, comparison_of(pairings.front()), results);
  print_name_case(options, comparison_of(pairings.back()));
  if (heap.heap >= 0) {
    print_heap_profile(heap);
  }
  return 0;
}
