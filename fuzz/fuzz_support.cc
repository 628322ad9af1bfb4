#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "converters/converters.h"
#include "resources/resources.h"

// --- Routing of exit, fdopen and fclose -----------------------------------------------

namespace {

constexpr int kMostOpenStreams = 8;

bool in_run = false;
sigjmp_buf exit_jump;
int exit_status = 0;
FILE* open_streams[kMostOpenStreams];
int open_stream_count = 0;

}  // namespace

extern "C" {

[[noreturn]] void __real_exit(int status);
FILE* __real_fdopen(int descriptor, const char* mode);
int __real_fclose(FILE* stream);

[[noreturn]] void __wrap_exit(int status) {
  if (!in_run) {
    __real_exit(status);
  }
  in_run = false;
  exit_status = status;
  siglongjmp(exit_jump, 1);
}

FILE* __wrap_fdopen(int descriptor, const char* mode) {
  FILE* stream = __real_fdopen(descriptor, mode);
  if (in_run && stream != nullptr) {
    if (open_stream_count == kMostOpenStreams) {
      fprintf(stderr, "more than %d streams open at once\n", kMostOpenStreams);
      abort();
    }
    open_streams[open_stream_count++] = stream;
  }
  return stream;
}

int __wrap_fclose(FILE* stream) {
  for (int i = 0; i < open_stream_count; ++i) {
    if (open_streams[i] == stream) {
      open_streams[i] = open_streams[--open_stream_count];
      break;
    }
  }
  return __real_fclose(stream);
}

}  // extern "C"

// --- Runs that wait ------------------------------------------------------------------

namespace {

// A run takes well under a millisecond. One that waits (opening a FIFO for reading, say,
// which waits for a writer) is interrupted by a signal of the harness's own after this long,
// every second after that, and fails: without it the wait would end only at libFuzzer's
// alarm, which also interrupts it, and the outcome could pass for a file that cannot be
// opened.
constexpr time_t kLongestRunSeconds = 2;

volatile sig_atomic_t run_waited = 0;
timer_t run_timer;

void note_wait(int) {
  run_waited = 1;
}

void set_up_run_timer() {
  struct sigaction action = {};
  action.sa_handler = note_wait;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // without SA_RESTART, so that a wait ends with EINTR
  sigevent event = {};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGRTMIN;
  if (sigaction(SIGRTMIN, &action, nullptr) != 0 ||
      timer_create(CLOCK_MONOTONIC, &event, &run_timer) != 0) {
    perror("cannot set up the run timer");
    abort();
  }
}

void set_run_timer(time_t first, time_t every) {
  itimerspec setting = {};
  setting.it_value.tv_sec = first;
  setting.it_interval.tv_sec = every;
  timer_settime(run_timer, 0, &setting, nullptr);
}

}  // namespace

// --- The scratch directory -----------------------------------------------------------

namespace {

// The working directory of every run, made once per process and emptied after each run,
// and the directory beside it that links of a run may lead to.
std::string game_directory;
std::string outside_directory;
// libFuzzer names its corpus and findings relative to the directory it started in.
std::string start_directory;

void remove_scratch() {
  std::string base = game_directory.substr(0, game_directory.rfind('/'));
  remove_tree(base);
}

void set_up_process() {
  if (!game_directory.empty()) {
    return;
  }
  char here[4096];
  if (getcwd(here, sizeof here) == nullptr) {
    perror("cannot find the working directory");
    abort();
  }
  start_directory = here;
  std::string base = make_scratch_directory();
  game_directory = base + "/game";
  outside_directory = base + "/outside";
  atexit(remove_scratch);
  set_up_run_timer();
  if (mkdir(game_directory.c_str(), 0755) != 0 || mkdir(outside_directory.c_str(), 0755) != 0) {
    perror("cannot make the scratch directories");
    abort();
  }
}

// Removes what a run left in `directory`, deepest names first, so the next run starts
// empty. A link is removed itself, never what it leads to.
void empty_directory(const std::string& directory, const FileTree& tree) {
  for (auto item = tree.rbegin(); item != tree.rend(); ++item) {
    std::string path = directory + "/" + item->first;
    bool is_directory = !item->first.empty() && item->first.back() == '/';
    if ((is_directory ? rmdir(path.c_str()) : unlink(path.c_str())) != 0) {
      perror(path.c_str());
      abort();
    }
  }
}

// Descriptors beyond the streams: the directory that a bulk walk creates its files in.
constexpr int kWatchedDescriptors = 256;

void note_open_descriptors(bool* open_now) {
  for (int descriptor = 0; descriptor < kWatchedDescriptors; ++descriptor) {
    open_now[descriptor] = fcntl(descriptor, F_GETFD) != -1;
  }
}

// Closes every descriptor that was not open before the run; returns how many there were.
int close_new_descriptors(const bool* open_before) {
  bool open_now[kWatchedDescriptors];
  note_open_descriptors(open_now);
  int closed = 0;
  for (int descriptor = 0; descriptor < kWatchedDescriptors; ++descriptor) {
    if (open_now[descriptor] && !open_before[descriptor]) {
      close(descriptor);
      ++closed;
    }
  }
  return closed;
}

// Only a symbolic link leads out of the game directory; a run without one leaves the
// directory beside it as it was, and that needs no look.
bool reaches_outside(const Scene& scene) {
  if (!scene.outside.empty()) {
    return true;
  }
  for (const SpecialFile& special : scene.specials) {
    if (special.kind == SpecialFile::kSymbolicLink) {
      return true;
    }
  }
  return false;
}

void start_operation(Operation operation, int type, int number) {
  switch (operation) {
    case Operation::kExtractResource:
      extract_resource(type, number);
      break;
    case Operation::kExtractResourceType:
      extract_resource_type(type);
      break;
    case Operation::kConvertObjectFile:
      convert_object_file();
      break;
    case Operation::kConvertVocabulary:
      convert_vocabulary();
      break;
  }
}

}  // namespace

Outcome run_operation(const Scene& scene, Operation operation, int type, int number) {
  set_up_process();
  if (chdir(game_directory.c_str()) != 0) {
    perror("cannot enter the working directory");
    abort();
  }
  write_tree(game_directory, scene.files);
  make_special_files(game_directory, scene.specials);
  write_tree(outside_directory, scene.outside);
  // Standard output goes to memory for the run.
  char* out_text = nullptr;
  size_t out_size = 0;
  FILE* real_stdout = stdout;
  stdout = open_memstream(&out_text, &out_size);
  if (stdout == nullptr) {
    stdout = real_stdout;
    perror("open_memstream");
    abort();
  }

  Outcome outcome = {false, 0, "", {}, {}};
  bool open_before[kWatchedDescriptors];
  note_open_descriptors(open_before);
  open_stream_count = 0;
  exit_status = 0;
  run_waited = 0;
  set_run_timer(kLongestRunSeconds, 1);
  in_run = true;
  if (sigsetjmp(exit_jump, 0) == 0) {
    start_operation(operation, type, number);
    in_run = false;
  } else {
    outcome.exited = true;
    outcome.status = exit_status;
  }
  set_run_timer(0, 0);
  // The platform closes what a fatal road leaves open; here that is done for it.
  int left_open = open_stream_count;
  while (open_stream_count > 0) {
    __wrap_fclose(open_streams[open_stream_count - 1]);
  }
  left_open += close_new_descriptors(open_before);
  __real_fclose(stdout);
  stdout = real_stdout;
  outcome.out.assign(out_text, out_size);
  free(out_text);

  outcome.tree = read_tree(game_directory);
  empty_directory(game_directory, outcome.tree);
  if (reaches_outside(scene)) {
    outcome.outside = read_tree(outside_directory);
    empty_directory(outside_directory, outcome.outside);
  }
  if (chdir(start_directory.c_str()) != 0) {
    perror("cannot go back to the starting directory");
    abort();
  }
  if (run_waited) {
    fuzz_failure("the operation waited", outcome, "");
  }
  if (!outcome.exited && left_open > 0) {
    fuzz_failure("the operation returned with files still open", outcome, "");
  }
  return outcome;
}

// libFuzzer writes a finding into the current directory unless told otherwise, and during a
// run that is the scratch directory. So a finding goes to the starting directory instead,
// unless the command line names a place.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static const char kOption[] = "-artifact_prefix=";
  for (int i = 1; i < *argc; ++i) {
    if (strncmp((*argv)[i], kOption, sizeof kOption - 1) == 0) {
      return 0;
    }
  }
  char here[4096];
  if (getcwd(here, sizeof here) == nullptr) {
    return 0;
  }
  static std::string prefix = std::string(kOption) + here + "/";
  static std::vector<char*> arguments(*argv, *argv + *argc);
  arguments.push_back(&prefix[0]);
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
  return 0;
}

// --- Checking outcomes ---------------------------------------------------------------

static std::string quoted(const std::string& text) {
  std::string result = "\"";
  for (unsigned char c : text) {
    if (c == '\n') {
      result += "\\n";
    } else if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      char escape[8];
      snprintf(escape, sizeof escape, "\\x%02x", c);
      result += escape;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result + "\"";
}

static void print_tree(const char* title, const FileTree& tree) {
  fprintf(stderr, "%s:\n", title);
  for (const auto& [name, contents] : tree) {
    fprintf(stderr, "  %s (%zu bytes)\n", name.c_str(), contents.size());
  }
}

void fuzz_failure(const char* what, const Outcome& outcome, const std::string& expected_out) {
  fprintf(stderr, "\n*** kesk fuzz check failed: %s\n", what);
  fprintf(stderr, "ended through exit: %s, status %d\n", outcome.exited ? "yes" : "no",
          outcome.status);
  fprintf(stderr, "standard output: %s\n", quoted(outcome.out).c_str());
  if (!expected_out.empty()) {
    fprintf(stderr, "expected output: %s\n", quoted(expected_out).c_str());
  }
  print_tree("files left", outcome.tree);
  abort();
}

// Aborts unless `found` is `expected`, naming the files that differ.
static void expect_tree(const Outcome& outcome, const char* what, const FileTree& found,
                        const FileTree& expected, const std::string& expected_out) {
  if (found == expected) {
    return;
  }
  print_tree("expected files", expected);
  if (&found != &outcome.tree) {
    print_tree("files found", found);
  }
  for (const auto& [name, contents] : expected) {
    auto item = found.find(name);
    if (item != found.end() && item->second != contents) {
      fprintf(stderr, "contents of %s differ\n", name.c_str());
    }
  }
  fuzz_failure(what, outcome, expected_out);
}

void expect_outcome(const Outcome& outcome, const ExpectedOutcome& expected) {
  if (outcome.exited != expected.exited || (expected.exited && outcome.status != 1)) {
    fuzz_failure(expected.exited ? "expected exit status 1" : "expected a normal return", outcome,
                 expected.out);
  }
  if (outcome.out != expected.out) {
    fuzz_failure("unexpected standard output", outcome, expected.out);
  }
  expect_tree(outcome, "unexpected files left", outcome.tree, expected.tree, expected.out);
  expect_tree(outcome, "unexpected files left beside the game directory", outcome.outside,
              expected.outside, expected.out);
}

// --- The input layout ----------------------------------------------------------------

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t position;
};

bool at_end(const Reader& reader) {
  return reader.position >= reader.size;
}

unsigned read_byte(Reader& reader) {
  return at_end(reader) ? 0 : reader.data[reader.position++];
}

constexpr unsigned kObstacleFollows = 0x40;

Obstacle obstacle_of(unsigned field) {
  return field < kObstacleCount ? static_cast<Obstacle>(field) : Obstacle::kNone;
}

bool is_volume_obstacle(Obstacle obstacle) {
  return obstacle == Obstacle::kVolumeFifo || obstacle == Obstacle::kVolumeDirectory;
}

void read_into(Reader& reader, size_t count, Bytes& bytes) {
  size_t available = reader.size - reader.position;
  size_t taken = count < available ? count : available;
  bytes.insert(bytes.end(), reader.data + reader.position, reader.data + reader.position + taken);
  reader.position += taken;
}

}  // namespace

FuzzGame decode_fuzz_game(const uint8_t* data, size_t size, bool with_number) {
  Reader reader = {data, size, 0};
  FuzzGame game;
  unsigned flags = read_byte(reader);
  game.type = static_cast<int>(flags & 3);
  game.directory_missing = (flags & 4) != 0;
  game.output_blocked = (flags & 8) != 0;
  game.spelling = static_cast<Spelling>((flags >> 4) & 3);
  if ((flags & kObstacleFollows) != 0) {
    unsigned obstacle = read_byte(reader);
    game.obstacle = obstacle_of(obstacle & 0x0F);
    game.place = obstacle >> 4;
  }
  if (with_number) {
    unsigned first = read_byte(reader);
    uint32_t number = first;
    if (first >= 0xF0) {
      number = 0;
      for (int i = 0; i < 4; ++i) {
        number = (number << 8) | read_byte(reader);
      }
    }
    game.number = static_cast<int>(number & 0x7FFFFFFFu);
  }
  read_into(reader, read_byte(reader), game.directory);
  while (!at_end(reader)) {
    unsigned volume = read_byte(reader) & 0x0F;
    unsigned high = read_byte(reader);
    unsigned low = read_byte(reader);
    read_into(reader, high * 256 + low, game.volumes[volume]);
  }
  return game;
}

Bytes encode_fuzz_game(const FuzzGame& game, bool with_number) {
  Bytes input;
  bool with_obstacle = game.obstacle != Obstacle::kNone || game.place != 0;
  input.push_back(static_cast<unsigned char>(
      (game.type & 3) | (game.directory_missing ? 4 : 0) | (game.output_blocked ? 8 : 0) |
      (static_cast<unsigned>(game.spelling) << 4) | (with_obstacle ? kObstacleFollows : 0)));
  if (with_obstacle) {
    input.push_back(static_cast<unsigned char>((game.place & 0x0F) << 4 |
                                               static_cast<unsigned>(game.obstacle)));
  }
  if (with_number) {
    if (game.number >= 0 && game.number < 0xF0) {
      input.push_back(static_cast<unsigned char>(game.number));
    } else {
      uint32_t number = static_cast<uint32_t>(game.number);
      input.insert(
          input.end(),
          {0xF0, static_cast<unsigned char>(number >> 24), static_cast<unsigned char>(number >> 16),
           static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number)});
    }
  }
  size_t directory_length = game.directory.size() < 255 ? game.directory.size() : 255;
  input.push_back(static_cast<unsigned char>(directory_length));
  input.insert(input.end(), game.directory.begin(), game.directory.begin() + directory_length);
  for (const auto& [volume, bytes] : game.volumes) {
    size_t start = 0;
    do {
      size_t length = bytes.size() - start < 0xFFFF ? bytes.size() - start : 0xFFFF;
      input.insert(input.end(),
                   {static_cast<unsigned char>(volume & 0x0F),
                    static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
      input.insert(input.end(), bytes.begin() + start, bytes.begin() + start + length);
      start += length;
    } while (start < bytes.size());
  }
  return input;
}

FuzzGame fuzz_game_from_tree(const FileTree& tree, int type) {
  FuzzGame game;
  game.type = type;
  auto directory = tree.find(kDirectoryFiles[type]);
  if (directory != tree.end()) {
    game.directory = directory->second;
  } else {
    game.directory_missing = true;
  }
  for (unsigned volume = 0; volume < 16; ++volume) {
    auto found = tree.find("vol." + std::to_string(volume));
    if (found != tree.end()) {
      game.volumes[volume] = found->second;
    }
  }
  return game;
}

SideSetup decode_side_setup(unsigned byte) {
  SideSetup setup;
  setup.spelling = static_cast<Spelling>(byte & 3);
  setup.obstacle = obstacle_of((byte >> 2) & 0x0F);
  if (is_volume_obstacle(setup.obstacle)) {
    setup.obstacle = Obstacle::kNone;
  }
  return setup;
}

unsigned char encode_side_setup(const SideSetup& setup) {
  return static_cast<unsigned char>(static_cast<unsigned>(setup.spelling) |
                                    static_cast<unsigned>(setup.obstacle) << 2);
}

FileTree fuzz_game_files(const FuzzGame& game) {
  FileTree files;
  if (!game.directory_missing) {
    files[kDirectoryFiles[game.type]] = game.directory;
  }
  for (const auto& [volume, bytes] : game.volumes) {
    files["vol." + std::to_string(volume)] = bytes;
  }
  return files;
}

// --- Scenes ----------------------------------------------------------------------------

namespace {

char upper_case(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char lower_case(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The second of two spellings, every letter in the other case than in the first: it comes
// after the first in byte order.
std::string decoy_name(const std::string& name) {
  std::string decoy = name;
  for (size_t i = 0; i < decoy.size(); ++i) {
    decoy[i] = i == 0 ? lower_case(decoy[i]) : upper_case(decoy[i]);
  }
  return decoy;
}

// What the decoy holds: every byte of the input inverted, so that reading it instead tells,
// and something readable where the input has nothing to invert or is no regular file.
Bytes decoy_contents(const Bytes* input) {
  if (input == nullptr || input->empty()) {
    return bytes_of("decoy");
  }
  Bytes decoy = *input;
  for (unsigned char& byte : decoy) {
    byte = static_cast<unsigned char>(~byte);
  }
  return decoy;
}

bool is_input_name(const std::string& name) {
  if (name == "object" || name == "words.tok") {
    return true;
  }
  for (const char* directory_file : kDirectoryFiles) {
    if (name == directory_file) {
      return true;
    }
  }
  for (unsigned volume = 0; volume < 16; ++volume) {
    if (name == "vol." + std::to_string(volume)) {
      return true;
    }
  }
  return false;
}

bool is_directory_name(const std::string& name) {
  return !name.empty() && name.back() == '/';
}

// The way up from `path` of the game directory to the game directory itself.
std::string way_up_from(const std::string& path) {
  std::string way;
  for (char c : path) {
    if (c == '/') {
      way += "../";
    }
  }
  return way;
}

// A link's contents from `path` of the game directory to `name` of the directory beside it.
std::string outside_target(const std::string& path, const std::string& name) {
  return way_up_from(path) + "../outside/" + name;
}

void add_link(Scene& scene, const std::string& path, const std::string& target) {
  scene.specials.push_back({SpecialFile::kSymbolicLink, path, target});
}

// The volume file that a volume obstacle replaces.
unsigned obstacle_volume(const FuzzGame& game, const std::vector<unsigned>& used_volumes) {
  return used_volumes.empty() ? game.place : used_volumes[game.place % used_volumes.size()];
}

}  // namespace

FileTree scene_tree(const Scene& scene) {
  FileTree tree = scene.files;
  for (const SpecialFile& special : scene.specials) {
    switch (special.kind) {
      case SpecialFile::kSymbolicLink:
        tree[special.name] = bytes_of("-> " + special.target);
        break;
      case SpecialFile::kHardLink:
        tree[special.name] = scene.files.at(special.target);
        break;
      case SpecialFile::kFifo:
        tree[special.name] = bytes_of("<fifo>");
        break;
    }
  }
  return tree;
}

std::string spelled_name(const std::string& name, Spelling spelling) {
  std::string spelled = name;
  for (size_t i = 0; i < spelled.size(); ++i) {
    bool upper = spelling == Spelling::kUpper || (spelling != Spelling::kLower && i == 0);
    spelled[i] = upper ? upper_case(spelled[i]) : lower_case(spelled[i]);
  }
  return spelled;
}

void spell_inputs(Scene& scene, Spelling spelling) {
  if (spelling == Spelling::kLower) {
    return;
  }
  bool decoys = spelling == Spelling::kTwoSpellings;
  FileTree files;
  for (const auto& [key, contents] : scene.files) {
    bool directory = is_directory_name(key);
    std::string name = directory ? key.substr(0, key.size() - 1) : key;
    if (!is_input_name(name)) {
      files[key] = contents;
      continue;
    }
    files[spelled_name(name, spelling) + (directory ? "/" : "")] = contents;
    if (decoys) {
      files[decoy_name(name)] = decoy_contents(directory ? nullptr : &contents);
    }
  }
  for (SpecialFile& special : scene.specials) {
    if (special.kind == SpecialFile::kFifo && is_input_name(special.name)) {
      if (decoys) {
        files[decoy_name(special.name)] = decoy_contents(nullptr);
      }
      special.name = spelled_name(special.name, spelling);
    }
  }
  scene.files = files;
}

bool is_input_obstacle(Obstacle obstacle) {
  return obstacle == Obstacle::kInputFifo || obstacle == Obstacle::kInputDirectory ||
         is_volume_obstacle(obstacle);
}

void place_input_obstacle(Scene& scene, Obstacle obstacle, const std::string& name) {
  scene.files.erase(name);
  if (obstacle == Obstacle::kInputFifo || obstacle == Obstacle::kVolumeFifo) {
    scene.specials.push_back({SpecialFile::kFifo, name, ""});
  } else {
    scene.files[name + "/"] = Bytes();
  }
}

void place_output_obstacle(Scene& scene, Obstacle obstacle, const std::string& path,
                           const std::string& input) {
  if (obstacle == Obstacle::kNone || is_input_obstacle(obstacle)) {
    return;
  }
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) {
    scene.files[path.substr(0, slash + 1)] = Bytes();
  }
  switch (obstacle) {
    case Obstacle::kOutputLinkOutside:
      scene.outside["kept"] = bytes_of("a file beside the game, never to be written");
      add_link(scene, path, outside_target(path, "kept"));
      break;
    case Obstacle::kOutputLinkInput:
      add_link(scene, path, way_up_from(path) + input);
      break;
    case Obstacle::kOutputHardLink:
      if (scene.files.count(input) != 0) {
        scene.specials.push_back({SpecialFile::kHardLink, path, input});
      }
      break;
    case Obstacle::kOutputDanglingLink:
      add_link(scene, path, outside_target(path, "absent"));
      break;
    case Obstacle::kOutputFifo:
      scene.specials.push_back({SpecialFile::kFifo, path, ""});
      break;
    case Obstacle::kOutputDirectory:
      scene.files[path + "/"] = Bytes();
      break;
    case Obstacle::kDirectoryLinkOutside:
      scene.outside["elsewhere/"] = Bytes();
      add_link(scene, path, outside_target(path, "elsewhere"));
      break;
    default:
      break;
  }
}

bool blocks_output(Obstacle obstacle) {
  return obstacle == Obstacle::kOutputFifo || obstacle == Obstacle::kOutputDirectory;
}

Scene extraction_scene(const FuzzGame& game, const std::vector<unsigned>& used_volumes) {
  Scene scene = {fuzz_game_files(game), {}, {}};
  if (is_volume_obstacle(game.obstacle)) {
    place_input_obstacle(scene, game.obstacle,
                         "vol." + std::to_string(obstacle_volume(game, used_volumes)));
  } else if (is_input_obstacle(game.obstacle)) {
    place_input_obstacle(scene, game.obstacle, kDirectoryFiles[game.type]);
  }
  spell_inputs(scene, game.spelling);
  return scene;
}

FuzzGame readable_game(const FuzzGame& game, const std::vector<unsigned>& used_volumes) {
  FuzzGame readable = game;
  if (is_volume_obstacle(game.obstacle)) {
    readable.volumes.erase(obstacle_volume(game, used_volumes));
  } else if (is_input_obstacle(game.obstacle)) {
    readable.directory_missing = true;
  }
  return readable;
}

std::string linked_input(const FuzzGame& game, const Scene& scene) {
  std::vector<std::string> names = {kDirectoryFiles[game.type]};
  for (const auto& [volume, bytes] : game.volumes) {
    names.push_back("vol." + std::to_string(volume));
  }
  std::vector<std::string> regular;
  for (const std::string& name : names) {
    std::string spelled = spelled_name(name, game.spelling);
    if (scene.files.count(spelled) != 0) {
      regular.push_back(spelled);
    }
  }
  if (regular.empty()) {
    return spelled_name(kDirectoryFiles[game.type], game.spelling);
  }
  return regular[game.place % regular.size()];
}

Scene side_scene(const std::string& input, const Bytes& bytes, const std::string& output,
                 const SideSetup& setup) {
  Scene scene = {{{input, bytes}}, {}, {}};
  if (is_input_obstacle(setup.obstacle)) {
    place_input_obstacle(scene, setup.obstacle, input);
  }
  spell_inputs(scene, setup.spelling);
  place_output_obstacle(scene, setup.obstacle, output, spelled_name(input, setup.spelling));
  return scene;
}

// --- Models ----------------------------------------------------------------------------

std::string expected_side_refusal(const SideSetup& setup, const std::string& input) {
  if (is_input_obstacle(setup.obstacle)) {
    return "Couldn't open file: " + input + "\n";
  }
  return blocks_output(setup.obstacle) ? "Couldn't create outfile!\n" : "";
}

ExpectedOutcome unchanged_scene(const Scene& scene) {
  ExpectedOutcome expected;
  expected.tree = scene_tree(scene);
  expected.outside = scene.outside;
  return expected;
}

int expected_resource_length(const Bytes& volume, uint64_t offset) {
  int low = offset + 3 < volume.size() ? volume[offset + 3] : 0xFF;
  int high = offset + 4 < volume.size() ? volume[offset + 4] : -1;
  return high * 256 + low;
}

const Bytes* expected_entry_volume(const FuzzGame& game, unsigned b0, unsigned b1, unsigned b2,
                                   uint64_t* offset, ExpectedOutcome& expected) {
  unsigned volume = b0 >> 4;
  *offset = (static_cast<uint64_t>(b0 & 0x0F) << 16) | (b1 << 8) | b2;
  auto found = game.volumes.find(volume);
  if (found == game.volumes.end()) {
    expected.exited = true;
    expected.out += "Error!\nCannot open vol." + std::to_string(volume) + ".";
    return nullptr;
  }
  return &found->second;
}

Bytes expected_resource_data(const Bytes& volume, uint64_t offset, int length) {
  Bytes data(static_cast<size_t>(length), 0);
  for (size_t i = 0; i < data.size() && offset + 5 + i < volume.size(); ++i) {
    data[i] = volume[offset + 5 + i];
  }
  return data;
}
