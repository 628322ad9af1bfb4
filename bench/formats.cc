// Times the formats kesk turns resources into. Logics as source text: kesk --text -l ALL
// against the plain copies of kesk -l ALL on a game of logics like real ones, then one logic
// made to give a large text. Sounds: kesk --wav and kesk --midi on sounds lasting 25 minutes
// in all, and --wav on a sound of the longest duration played. With a valgrind path it reads
// each format's peak heap from a massif profile. Each target is printed as met or MISSED,
// never judged by the exit status: it is 1 only when a run fails or leaves a file missing or
// of the wrong size.
//
// The games are written to /dev/shm where it exists, a RAM file system on Linux, so that the
// figures show kesk and not a disk. Every run's outputs are removed as soon as it is checked:
// the WAV files run to a hundred megabytes.
//
//   kesk_bench_formats KESK [--valgrind=PATH] [--runs=R]
//   kesk_bench_formats --write-games DIRECTORY
//
// --runs is the number of timed runs of each text figure (9 by default); each sound figure
// takes the median of 3. The second form only writes the games, each in a directory of its
// own, for runs by hand.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_game.h"
#include "bench/bench_support.h"

namespace {

constexpr double kTextRatioTarget = 2.0;
constexpr double kLargeTextTarget = 0.250;
constexpr double kWavTarget = 2.5;
constexpr double kMidiTarget = 0.050;
constexpr long kHeapTarget = 512 * 1024;
constexpr int kSoundRuns = 3;

constexpr int kLogics = 100;
constexpr int kWords = 500;
constexpr int kItems = 40;
constexpr size_t kLongestResource = 65535;
// The logic of the large text: ifs this deep, their innermost blocks full of get actions
// naming items of long names that are all escapes.
constexpr int kLargeDepth = 40;
constexpr int kLargeItems = 200;
constexpr int kLargeItemName = 64;
constexpr int kGetsPerNest = 1000;

constexpr int kTicksPerSecond = 60;
constexpr long long kWavHeader = 44;
constexpr long long kWavBytesPerTick = 1470;  // 735 samples of 16 bits
constexpr int kSounds = 5;
constexpr uint32_t kSoundTicks = 5 * 60 * kTicksPerSecond;
// Heap use does not depend on a sound's length, and massif is slow: one minute is profiled.
constexpr uint32_t kProfiledTicks = 60 * kTicksPerSecond;
constexpr uint32_t kLongestSound = 65535;

struct Options {
  std::string kesk;
  std::string valgrind;
  int runs = 9;
};

// A fixed sequence, so that every run builds the same games.
struct Random {
  std::mt19937 engine;
  explicit Random(uint32_t seed) : engine(seed) {}
  int below(int n) { return static_cast<int>(engine() % static_cast<uint32_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool one_in(int n) { return below(n) == 0; }
  // 2 to `most` bytes, and no more than `room`, for a block.
  size_t block_length(size_t room, int most) {
    return static_cast<size_t>(
        between(2, std::max(2, static_cast<int>(std::min<size_t>(room, most)))));
  }
};

// --- Logics ---------------------------------------------------------------------------------

// The groups of the words in a "words.tok": after the 26 letter offsets come the letters'
// lists, one after the other, up to a closing 0 byte; a record is a prefix count, characters
// up to one with bit 7 set, and a big-endian group.
std::vector<int> word_groups(const Bytes& words) {
  std::set<int> groups;
  for (size_t at = 52; at + 3 < words.size();) {
    ++at;
    while (words[at] < 0x80) {
      ++at;
    }
    groups.insert(words[at + 1] << 8 | words[at + 2]);
    at += 3;
  }
  return std::vector<int>(groups.begin(), groups.end());
}

// Writes a logic's code as the games' own compilers lay it out: ifs whose tests end in FF and
// whose blocks start with their length, actions with their arguments, else blocks (the if's
// block ending in a jump over them) and the odd goto back to an earlier statement.
struct CodeMaker {
  Random& random;
  const std::vector<int>& groups;
  int messages;  // print names messages 1 to this, in turn, as a room shows each of its texts
  int items;
  Bytes code;
  std::vector<size_t> statements;  // the starts of the outermost statements, goto targets
  int last_message = 0;

  void byte(int value) { code.push_back(static_cast<unsigned char>(value)); }
  int next_message() {
    last_message = last_message % messages + 1;
    return last_message;
  }
  void word(size_t value) {
    byte(value & 0xFF);
    byte(value >> 8 & 0xFF);
  }
  // A block's length before it, filled in by end_block.
  size_t start_block() {
    word(0);
    return code.size();
  }
  void end_block(size_t start) {
    size_t length = code.size() - start;
    code[start - 2] = static_cast<unsigned char>(length & 0xFF);
    code[start - 1] = static_cast<unsigned char>(length >> 8);
  }

  void said(int count) {
    byte(0x0E);
    byte(count);
    for (int i = 0; i < count; ++i) {
      word(static_cast<size_t>(groups[random.below(static_cast<int>(groups.size()))]));
    }
  }

  void test() {
    if (random.one_in(4)) {
      byte(0xFD);  // not
    }
    switch (random.below(5)) {
      case 0:  // isset f
        byte(0x07);
        byte(random.below(256));
        break;
      case 1:  // equaln v n
        byte(0x01);
        byte(random.below(256));
        byte(random.below(256));
        break;
      case 2:  // greatern v n
        byte(0x05);
        byte(random.below(256));
        byte(random.below(256));
        break;
      case 3:  // has i
        byte(0x09);
        byte(random.below(items));
        break;
      default:
        said(random.between(1, 4));
    }
  }

  // An if's tests, some of them in an or-group.
  void condition() {
    byte(0xFF);
    for (int tests = random.between(1, 3); tests > 0; --tests) {
      if (random.one_in(4)) {
        byte(0xFC);
        for (int alternatives = random.between(2, 3); alternatives > 0; --alternatives) {
          test();
        }
        byte(0xFC);
      } else {
        test();
      }
    }
    byte(0xFF);
  }

  // About one action in twelve shows a message, so that a logic of dozens of messages shows
  // each once or twice, as real rooms do.
  void action() {
    // The other actions, in turn for the kinds 7 and above.
    static const int kOthers[] = {1, 2, 3, 4, 5, 7};
    int kind = random.below(24);
    switch (kind < 7 ? kind : kOthers[(kind - 7) % 6]) {
      case 0:  // print m
        byte(0x65);
        byte(next_message());
        break;
      case 1:  // set f
        byte(0x0C);
        byte(random.below(256));
        break;
      case 2:  // assignn v n
        byte(0x03);
        byte(random.below(256));
        byte(random.below(256));
        break;
      case 3:  // get i
        byte(0x5C);
        byte(random.below(items));
        break;
      case 4:  // load.pic v
        byte(0x18);
        byte(random.below(256));
        break;
      case 5:  // position o n n
        byte(0x25);
        byte(random.below(16));
        byte(random.below(160));
        byte(random.below(168));
        break;
      case 6:  // print.at m n n n
        byte(0x97);
        byte(next_message());
        byte(random.between(1, 20));
        byte(random.between(1, 30));
        byte(random.between(10, 36));
        break;
      default:  // increment v
        byte(0x01);
        byte(random.below(256));
    }
  }

  // A jump back to an earlier outermost statement, followed by an action, so that it never
  // ends a block, where a jump would stand for an else.
  void go_back() {
    size_t target = statements[random.below(static_cast<int>(statements.size()))];
    byte(0xFE);
    word((target - (code.size() + 2)) & 0xFFFF);
    action();
  }

  // Statements until the code reaches `end` bytes; ifs nest at most `depth` deeper.
  void block(int depth, size_t end, bool outermost) {
    while (code.size() < end) {
      if (outermost) {
        statements.push_back(code.size());
      }
      int kind = random.below(16);
      if (kind < 5 && depth > 0) {
        if_statement(depth - 1, end - code.size());
      } else if (kind == 5 && !statements.empty() && random.one_in(16)) {
        go_back();
      } else {
        action();
      }
    }
  }

  void if_statement(int depth, size_t room) {
    condition();
    size_t start = start_block();
    block(depth, code.size() + random.block_length(room, 1500), false);
    if (random.one_in(3)) {
      byte(0xFE);
      size_t otherwise = start_block();
      end_block(start);
      block(depth, code.size() + random.block_length(room, 500), false);
      end_block(otherwise);
    } else {
      end_block(start);
    }
  }
};

// 20 to 60 messages of 10 to 120 characters, with the odd new line.
std::vector<std::string> make_messages(Random& random) {
  std::vector<std::string> messages(random.between(20, 60));
  for (std::string& text : messages) {
    for (int length = random.between(10, 120); length > 0; --length) {
      text.push_back(random.one_in(50) ? '\n' : static_cast<char>(random.between(0x20, 0x7E)));
    }
  }
  return messages;
}

// kItems items of distinct names, in assorted rooms.
Bytes make_object_file(Random& random) {
  const char* const kinds[] = {"rusty", "brass", "small", "red", "silver", "broken", "magic"};
  const char* const things[] = {"key", "lamp", "rope", "coin", "map", "sword", "bottle", "ring"};
  std::vector<std::pair<std::string, int>> items = {{"?", 0}};
  for (int item = 1; item < kItems; ++item) {
    items.emplace_back(std::string("a ") + kinds[item % 7] + " " + things[item / 7 % 8],
                       random.below(120));
  }
  return object_cipher(object_table(items));
}

struct LogicGame {
  FileTree tree;
  std::vector<size_t> sizes;  // each logic's data
  size_t code = 0;            // bytes of code in all
  size_t messages = 0;        // messages in all
};

// kLogics logics of 1 to 8 KB of code, ifs nested up to 6 deep, and their messages.
LogicGame make_logic_game(const Bytes& words, const std::vector<int>& groups) {
  LogicGame game;
  Random random(20250611u);
  for (int number = 0; number < kLogics; ++number) {
    std::vector<std::string> messages = make_messages(random);
    CodeMaker maker{random, groups, static_cast<int>(messages.size()), kItems, {}, {}};
    maker.block(6, static_cast<size_t>(random.between(1024, 8192)), true);
    maker.byte(0x00);  // return
    Bytes data = logic_data(maker.code, messages);
    add_resource(game.tree, 0, number, static_cast<unsigned>(number / 25), data);
    game.sizes.push_back(data.size());
    game.code += maker.code.size();
    game.messages += messages.size();
  }
  game.tree["object"] = make_object_file(random);
  game.tree["words.tok"] = words;
  return game;
}

// One logic of the longest length: ifs nested kLargeDepth deep, each testing long said lists,
// around kGetsPerNest get actions, over and over; every item's name is kLargeItemName bytes
// of 80-FF, each of which the text writes as an escape.
FileTree make_large_text_game(const Bytes& words, const std::vector<int>& groups) {
  Random random(65535u);
  CodeMaker maker{random, groups, 0, kLargeItems, {}, {}};
  // The code's length, the code, and a message section of no messages fill the resource.
  size_t code_length = kLongestResource - 2 - 3;
  size_t nest = kLargeDepth * (6 + 2 * 30) + 2 * kGetsPerNest;  // at most
  while (maker.code.size() + nest < code_length) {
    std::vector<size_t> starts;
    for (int level = 0; level < kLargeDepth; ++level) {
      maker.byte(0xFF);
      maker.said(random.between(10, 30));
      maker.byte(0xFF);
      starts.push_back(maker.start_block());
    }
    for (int i = 0; i < kGetsPerNest; ++i) {
      maker.byte(0x5C);
      maker.byte(random.below(kLargeItems));
    }
    for (auto start = starts.rbegin(); start != starts.rend(); ++start) {
      maker.end_block(*start);
    }
  }
  while (maker.code.size() + 3 <= code_length) {
    maker.byte(0x5C);
    maker.byte(random.below(kLargeItems));
  }
  if (maker.code.size() + 1 < code_length) {
    maker.byte(0x1A);  // show.pic
  }
  maker.byte(0x00);
  std::vector<std::pair<std::string, int>> items;
  for (int item = 0; item < kLargeItems; ++item) {
    std::string name;
    for (int i = 0; i < kLargeItemName; ++i) {
      name.push_back(static_cast<char>(random.between(0x80, 0xFF)));
    }
    items.emplace_back(name, item % 100);
  }
  FileTree game;
  add_resource(game, 0, 0, 0, logic_data(maker.code, {}));
  game["object"] = object_cipher(object_table(items));
  game["words.tok"] = words;
  return game;
}

// --- Sounds ---------------------------------------------------------------------------------

// One voice of notes of `shortest` to `longest` ticks adding up to `ticks`, closed by FF FF.
// Tone voices play assorted dividers; the noise voice goes through its eight controls.
Bytes make_voice(Random& random, int voice, uint32_t ticks, int shortest, int longest) {
  Bytes notes;
  for (uint32_t played = 0; played < ticks;) {
    uint32_t duration = std::min<uint32_t>(random.between(shortest, longest), ticks - played);
    played += duration;
    int attenuation = random.below(16);
    notes.push_back(static_cast<unsigned char>(duration & 0xFF));
    notes.push_back(static_cast<unsigned char>(duration >> 8));
    if (voice == 3) {
      notes.push_back(0);
      notes.push_back(static_cast<unsigned char>(0xE0 | random.below(8)));
      notes.push_back(static_cast<unsigned char>(0xF0 | attenuation));
    } else {
      int divider = random.between(30, 1000);
      notes.push_back(static_cast<unsigned char>(divider >> 4 & 0x3F));
      notes.push_back(static_cast<unsigned char>(0x80 | voice << 5 | (divider & 0xF)));
      notes.push_back(static_cast<unsigned char>(0x90 | voice << 5 | attenuation));
    }
  }
  notes.push_back(0xFF);
  notes.push_back(0xFF);
  return notes;
}

// A sound's data: four little-endian offsets of its voices, then the voices.
Bytes make_sound(const std::vector<Bytes>& voices) {
  Bytes data;
  size_t offset = 2 * voices.size();
  for (const Bytes& voice : voices) {
    data.push_back(static_cast<unsigned char>(offset & 0xFF));
    data.push_back(static_cast<unsigned char>(offset >> 8));
    offset += voice.size();
  }
  for (const Bytes& voice : voices) {
    data.insert(data.end(), voice.begin(), voice.end());
  }
  return data;
}

// `sounds` sounds whose longest voices last `ticks` each, of notes of 5 to 30 ticks.
FileTree make_sound_game(int sounds, uint32_t ticks) {
  Random random(1500u + ticks);
  FileTree game;
  for (int number = 0; number < sounds; ++number) {
    int longest = random.below(4);
    std::vector<Bytes> voices;
    for (int voice = 0; voice < 4; ++voice) {
      uint32_t length = voice == longest ? ticks : ticks - random.below(60);
      voices.push_back(make_voice(random, voice, length, 5, 30));
    }
    add_resource(game, 3, number, 0, make_sound(voices));
  }
  return game;
}

// One sound whose first voice runs past the last tick played: notes of 10,000 ticks.
FileTree make_longest_sound_game() {
  Random random(65535u);
  std::vector<Bytes> voices = {
      make_voice(random, 0, 70000, 10000, 10000), make_voice(random, 1, 30000, 2000, 6000),
      make_voice(random, 2, 3000, 5, 30), make_voice(random, 3, 600, 5, 30)};
  FileTree game;
  add_resource(game, 3, 0, 0, make_sound(voices));
  return game;
}

// --- Runs -----------------------------------------------------------------------------------

// A file a run must leave, relative to the game directory.
struct Expected {
  std::string path;
  long long size;  // -1: any size but 0
};

// One kind of kesk run on a game, and its figures.
struct Job {
  std::string label;
  std::string game;
  std::vector<std::string> args;
  std::vector<Expected> outputs;
  double wall = 0;     // the median of the timed runs
  long long made = 0;  // the bytes of its outputs
};

long long file_size(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Runs `program` (kesk, or valgrind running kesk) with `args` in the job's game, checks that
// it ended well and left every expected file, then removes whatever it wrote.
bool run_job(Job& job, const std::string& program, const std::vector<std::string>& args,
             RunResult& run) {
  RunOptions options;
  options.program = program;
  run = run_kesk(job.game, args, options);
  bool good = run.status == 0 && run.out.find("Error") == std::string::npos;
  job.made = 0;
  for (const Expected& output : job.outputs) {
    std::string path = job.game + "/" + output.path;
    long long size = file_size(path);
    if (good && (output.size < 0 ? size <= 0 : size != output.size)) {
      fprintf(stderr, "%s left %s of %lld bytes (expected %lld; -1: none, or any but 0)\n",
              job.label.c_str(), output.path.c_str(), size, output.size);
      good = false;
    }
    job.made += std::max(size, 0LL);
    unlink(path.c_str());
  }
  remove_tree(job.game + "/logic");
  remove_tree(job.game + "/sound");
  if (!good) {
    fprintf(stderr, "%s failed (status %d):\n%s%s\n", job.label.c_str(), run.status,
            run.out.c_str(), run.err.c_str());
  }
  return good;
}

// Times the jobs in rounds, each round running every job once, the job that starts a round
// taking turns; before them, an untimed run of each. Sets each job's median wall time.
bool time_jobs(const std::string& kesk, std::vector<Job>& jobs, int runs) {
  std::vector<std::vector<double>> walls(jobs.size());
  RunResult run;
  for (Job& job : jobs) {
    if (!run_job(job, kesk, job.args, run)) {
      return false;
    }
  }
  for (int round = 0; round < runs; ++round) {
    for (size_t turn = 0; turn < jobs.size(); ++turn) {
      size_t i = (turn + static_cast<size_t>(round)) % jobs.size();
      if (!run_job(jobs[i], kesk, jobs[i].args, run)) {
        return false;
      }
      walls[i].push_back(run.wall_seconds);
    }
  }
  for (size_t i = 0; i < jobs.size(); ++i) {
    jobs[i].wall = median(walls[i]);
  }
  return true;
}

struct Heap {
  long peak = -1;  // bytes requested at the peak; -1 when not profiled
  long extra = 0;  // the allocator's overhead there
};

// The job's run under massif, when a valgrind path is given; false when the run fails.
bool profile_heap(const Options& options, Job& job, Heap& heap) {
  if (options.valgrind.empty()) {
    return true;
  }
  std::string profile = job.game + ".massif";
  std::vector<std::string> args = {"--tool=massif", "--peak-inaccuracy=0.0",
                                   "--massif-out-file=" + profile, options.kesk};
  args.insert(args.end(), job.args.begin(), job.args.end());
  RunResult run;
  bool good =
      run_job(job, options.valgrind, args, run) && massif_peak(profile, heap.peak, heap.extra);
  unlink(profile.c_str());
  return good;
}

void print_heap(const std::string& what, const Heap& heap) {
  if (heap.peak < 0) {
    return;
  }
  printf(
      "Peak heap of %s (valgrind --tool=massif): %ld bytes requested, %ld with the "
      "allocator's overhead\n",
      what.c_str(), heap.peak, heap.peak + heap.extra);
  printf("  target: at most %ld KiB: %s\n", kHeapTarget / 1024, verdict(heap.peak <= kHeapTarget));
}

double ms(double seconds) {
  return seconds * 1e3;
}

// --- The figures ----------------------------------------------------------------------------

bool bench_texts(const Options& options) {
  Bytes words = bench_vocabulary(kWords, 0);
  std::vector<int> groups = word_groups(words);
  std::string game = make_scratch_directory();
  std::string large = make_scratch_directory();
  LogicGame logics = make_logic_game(words, groups);
  write_tree(game, logics.tree);
  write_tree(large, make_large_text_game(words, groups));
  std::vector<Job> pair = {{"kesk -l ALL", game, {"-l", "ALL"}, {}},
                           {"kesk --text -l ALL", game, {"--text", "-l", "ALL"}, {}}};
  for (int number = 0; number < kLogics; ++number) {
    std::string name = "logic/logic." + std::to_string(number);
    pair[0].outputs.push_back({name, static_cast<long long>(logics.sizes[number])});
    pair[1].outputs.push_back({name + ".txt", -1});
  }
  std::vector<Job> single = {
      {"kesk --text -l 0", large, {"--text", "-l", "0"}, {{"logic.0.txt", -1}}}};
  Heap heap;
  bool good = time_jobs(options.kesk, pair, options.runs) &&
              time_jobs(options.kesk, single, options.runs) && profile_heap(options, pair[1], heap);
  remove_tree(game);
  remove_tree(large);
  if (!good) {
    return false;
  }
  const Job& plain = pair[0];
  const Job& text = pair[1];
  printf(
      "Logics as text: %d logics, %zu bytes of code and %zu messages in all; words.tok of %d "
      "words, object of %d items; medians of %d runs each, in turns\n",
      kLogics, logics.code, logics.messages, kWords, kItems, options.runs);
  printf("  %s: wall %.1f ms, %lld bytes; %s: wall %.1f ms, %lld bytes of text\n",
         plain.label.c_str(), ms(plain.wall), plain.made, text.label.c_str(), ms(text.wall),
         text.made);
  double ratio = text.wall / plain.wall;
  printf("  target: %s at most %.1f x %s: %.2f, %s\n", text.label.c_str(), kTextRatioTarget,
         plain.label.c_str(), ratio, verdict(ratio <= kTextRatioTarget));
  const Job& big = single[0];
  printf(
      "One logic of %zu bytes made for a large text (ifs %d deep testing said lists of 10-30 "
      "words, around get actions naming %d items of %d-byte names of bytes 80-FF)\n",
      kLongestResource, kLargeDepth, kLargeItems, kLargeItemName);
  printf("  %s: wall %.1f ms (median of %d), %lld bytes of text\n", big.label.c_str(), ms(big.wall),
         options.runs, big.made);
  printf("  target: under %.0f ms: %s\n", ms(kLargeTextTarget),
         verdict(big.wall < kLargeTextTarget));
  print_heap(text.label + " on the game of " + std::to_string(kLogics) + " logics", heap);
  return true;
}

std::vector<Expected> sound_outputs(int sounds, const char* extension, long long size) {
  std::vector<Expected> outputs;
  for (int number = 0; number < sounds; ++number) {
    outputs.push_back({"sound/sound." + std::to_string(number) + extension, size});
  }
  return outputs;
}

bool bench_sounds(const Options& options) {
  std::string game = make_scratch_directory();
  std::string longest = make_scratch_directory();
  std::string profiled = make_scratch_directory();
  write_tree(game, make_sound_game(kSounds, kSoundTicks));
  write_tree(longest, make_longest_sound_game());
  write_tree(profiled, make_sound_game(1, kProfiledTicks));
  long long wav_size = kWavHeader + kWavBytesPerTick * kSoundTicks;
  long long longest_size = kWavHeader + kWavBytesPerTick * kLongestSound;
  std::vector<Job> wav = {{"kesk --wav -s ALL",
                           game,
                           {"--wav", "-s", "ALL"},
                           sound_outputs(kSounds, ".wav", wav_size)}};
  std::vector<Job> midi = {
      {"kesk --midi -s ALL", game, {"--midi", "-s", "ALL"}, sound_outputs(kSounds, ".mid", -1)}};
  std::vector<Job> wav_longest = {
      {"kesk --wav -s 0", longest, {"--wav", "-s", "0"}, {{"sound.0.wav", longest_size}}}};
  Job wav_profiled = {"kesk --wav -s ALL",
                      profiled,
                      {"--wav", "-s", "ALL"},
                      sound_outputs(1, ".wav", kWavHeader + kWavBytesPerTick * kProfiledTicks)};
  Heap wav_heap;
  Heap midi_heap;
  bool good =
      time_jobs(options.kesk, wav, kSoundRuns) && time_jobs(options.kesk, midi, kSoundRuns) &&
      time_jobs(options.kesk, wav_longest, kSoundRuns) &&
      profile_heap(options, wav_profiled, wav_heap) && profile_heap(options, midi[0], midi_heap);
  remove_tree(game);
  remove_tree(longest);
  remove_tree(profiled);
  if (!good) {
    return false;
  }
  double played = static_cast<double>(kSounds) * kSoundTicks / kTicksPerSecond;
  printf(
      "Sounds: %d sounds of %u ticks, %.0f minutes in all, of notes of 5-30 ticks; medians of "
      "%d runs\n",
      kSounds, kSoundTicks, played / 60, kSoundRuns);
  printf("  %s: wall %.2f s, %lld bytes of WAV, %.0f times faster than played\n",
         wav[0].label.c_str(), wav[0].wall, wav[0].made, played / wav[0].wall);
  printf("  target: under %.1f s: %s\n", kWavTarget, verdict(wav[0].wall < kWavTarget));
  printf("  %s: wall %.1f ms, %lld bytes of MIDI\n", midi[0].label.c_str(), ms(midi[0].wall),
         midi[0].made);
  printf("  target: under %.0f ms: %s\n", ms(kMidiTarget), verdict(midi[0].wall < kMidiTarget));
  double longest_played = static_cast<double>(kLongestSound) / kTicksPerSecond;
  printf(
      "  %s on one sound of %u ticks, the most played: wall %.2f s, %lld bytes of WAV, %.0f "
      "times faster than played\n",
      wav_longest[0].label.c_str(), kLongestSound, wav_longest[0].wall, wav_longest[0].made,
      longest_played / wav_longest[0].wall);
  print_heap(wav_profiled.label + " on one sound of " + std::to_string(kProfiledTicks) + " ticks",
             wav_heap);
  print_heap(midi[0].label + " on the sounds of 25 minutes", midi_heap);
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
    } else if (starts_with(arg, "--runs=")) {
      options.runs = atoi(arg.c_str() + 7);
    } else {
      return false;
    }
  }
  return options.runs > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-games") {
    std::string directory = argv[2];
    Bytes words = bench_vocabulary(kWords, 0);
    std::vector<int> groups = word_groups(words);
    const std::pair<const char*, FileTree> games[] = {
        {"/logics", make_logic_game(words, groups).tree},
        {"/large-text", make_large_text_game(words, groups)},
        {"/sounds", make_sound_game(kSounds, kSoundTicks)},
        {"/longest-sound", make_longest_sound_game()}};
    mkdir(directory.c_str(), 0755);
    for (const auto& [name, game] : games) {
      mkdir((directory + name).c_str(), 0755);
      write_tree(directory + name, game);
    }
    return 0;
  }
  Options options;
  if (!parse_options(argc, argv, options)) {
    fprintf(stderr,
            "usage: %s KESK [--valgrind=PATH] [--runs=R]\n"
            "       %s --write-games DIRECTORY\n",
            argv[0], argv[0]);
    return 2;
  }
  prefer_ram_file_system();
  std::string load_at_start = load_averages();
  bool good = bench_texts(options);
  fflush(stdout);
  good = bench_sounds(options) && good;
  printf("Load average (1, 5, 15 minutes): %s at the start, %s at the end\n", load_at_start.c_str(),
         load_averages().c_str());
  return good ? 0 : 1;
}
