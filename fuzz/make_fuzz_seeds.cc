// Writes the seed corpus of every fuzz target into <directory>/<target>/, from games built
// with the test-data builder:   make_fuzz_seeds fuzz/corpus
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"

namespace {

std::string corpus_root;

void write_seed(const char* target, const char* name, const Bytes& bytes) {
  std::string directory = corpus_root + "/" + target;
  mkdir(directory.c_str(), 0755);
  write_tree(directory, {{name, bytes}});
}

void write_game_seed(const char* target, const std::string& name, const FuzzGame& game) {
  write_seed(target, name.c_str(), encode_fuzz_game(game, std::string(target) == "resource"));
}

// The object and vocabulary targets' inputs: the setup byte, then the file.
void write_side_seed(const char* target, const std::string& name, const Bytes& file,
                     const SideSetup& setup = SideSetup()) {
  Bytes input = {encode_side_setup(setup)};
  input.insert(input.end(), file.begin(), file.end());
  write_seed(target, name.c_str(), input);
}

// Seed names of the obstacles, in the order of Obstacle.
const char* const kObstacleNames[kObstacleCount] = {
    "no-obstacle",   "link-outside",    "link-to-input",    "hard-link",
    "dangling-link", "output-fifo",     "output-directory", "directory-link-outside",
    "input-fifo",    "input-directory", "volume-fifo",      "volume-directory",
};
const char* const kSpellingNames[4] = {"lower-case", "upper-case", "capitalized", "two-spellings"};

// Three resources over two volumes, with entry 1 absent.
FileTree three_resources(int type) {
  FileTree game;
  add_resource(game, type, 0, 0, pattern_bytes(40, 1));
  add_resource(game, type, 2, 1, pattern_bytes(7, 2));
  add_resource(game, type, 3, 0, bytes_of("resource three"));
  return game;
}

// Lengths the walk refuses, 0 and a record cut short inside its length field, beside
// 30001 and 65535, which it takes; one entry with a single 0xFF byte.
FileTree refused_lengths(int type) {
  FileTree game;
  add_resource(game, type, 0, 0, Bytes(), 0);
  add_resource(game, type, 1, 0, pattern_bytes(3, 3), 30001);
  add_resource(game, type, 2, 0, pattern_bytes(12, 4));
  set_entry(game, type, 3, {0x00, 0xFF, 0x10});
  Bytes& volume = game["vol.0"];
  set_entry(game, type, 4, directory_entry(0, static_cast<uint32_t>(volume.size())));
  volume.insert(volume.end(), {0x01, 0x02, 0x03, 0x30});
  add_resource(game, type, 5, 1, pattern_bytes(6, 5), 65535);
  return game;
}

// Resources at offsets whose entries hold 0xFF bytes without being absent: 00 01 FF and
// F0 00 FF (volume 15), around an absent entry FF FF FF.
FileTree entries_with_ff_bytes(int type) {
  FileTree game;
  add_resource_at(game, type, 0, 0, 0x1FF, pattern_bytes(9, 8));
  set_entry(game, type, 1, {0xFF, 0xFF, 0xFF});
  add_resource_at(game, type, 2, 15, 0xFF, pattern_bytes(4, 9));
  return game;
}

// A declared length beyond the end of the volume, and a trailing partial entry.
FileTree short_volume(int type) {
  FileTree game;
  add_resource(game, type, 0, 2, pattern_bytes(20, 5), 30000);
  game[kDirectoryFiles[type]].push_back(0x20);
  return game;
}

void write_extraction_seeds(const char* target) {
  write_game_seed(target, "three-resources", fuzz_game_from_tree(three_resources(1), 1));
  write_game_seed(target, "refused-lengths", fuzz_game_from_tree(refused_lengths(0), 0));
  write_game_seed(target, "short-volume", fuzz_game_from_tree(short_volume(2), 2));
  write_game_seed(target, "ff-bytes", fuzz_game_from_tree(entries_with_ff_bytes(3), 3));

  FileTree missing_volume = three_resources(3);
  missing_volume.erase("vol.1");
  write_game_seed(target, "missing-volume", fuzz_game_from_tree(missing_volume, 3));

  FuzzGame blocked = fuzz_game_from_tree(three_resources(2), 2);
  blocked.output_blocked = true;
  write_game_seed(target, "output-blocked", blocked);

  FileTree no_directory;
  no_directory["vol.0"] = volume_record(pattern_bytes(9, 6));
  write_game_seed(target, "no-directory", fuzz_game_from_tree(no_directory, 0));

  FileTree last_volume;
  add_resource(last_volume, 0, 0, 15, pattern_bytes(30, 7));
  set_entry(last_volume, 0, 1, {0xFF, 0x00, 0x00});
  write_game_seed(target, "volume-15", fuzz_game_from_tree(last_volume, 0));

  FuzzGame empty = fuzz_game_from_tree(FileTree{{"snddir", Bytes()}}, 3);
  write_game_seed(target, "empty-directory", empty);
}

// Every spelling and every obstacle, on a game that writes three resources; with the place
// choosing the second candidate, a FIFO for the second volume file and, in upper case, a link
// to the first volume file at the second output; and in two spellings, a FIFO for the
// directory file and a directory for a volume file, with a readable decoy beside each.
void write_obstacle_seeds(const char* target) {
  FuzzGame game = fuzz_game_from_tree(three_resources(1), 1);
  for (int spelling = 1; spelling < 4; ++spelling) {
    game.spelling = static_cast<Spelling>(spelling);
    write_game_seed(target, kSpellingNames[spelling], game);
  }
  game.spelling = Spelling::kLower;
  for (unsigned obstacle = 1; obstacle < kObstacleCount; ++obstacle) {
    game.obstacle = static_cast<Obstacle>(obstacle);
    write_game_seed(target, kObstacleNames[obstacle], game);
  }
  game.place = 1;
  game.obstacle = Obstacle::kVolumeFifo;
  write_game_seed(target, "volume-fifo-second", game);
  game.obstacle = Obstacle::kOutputLinkInput;
  game.spelling = Spelling::kUpper;
  write_game_seed(target, "upper-case-link-to-volume", game);
  game.place = 0;
  game.spelling = Spelling::kTwoSpellings;
  for (Obstacle obstacle : {Obstacle::kInputFifo, Obstacle::kVolumeDirectory}) {
    game.obstacle = obstacle;
    write_game_seed(target,
                    std::string("two-spellings-") + kObstacleNames[static_cast<unsigned>(obstacle)],
                    game);
  }
}

// Every spelling and every obstacle that has a place at a conversion's files.
void write_side_obstacle_seeds(const char* target, const Bytes& file) {
  for (int spelling = 1; spelling < 4; ++spelling) {
    SideSetup setup;
    setup.spelling = static_cast<Spelling>(spelling);
    write_side_seed(target, kSpellingNames[spelling], file, setup);
  }
  for (unsigned obstacle = 1; obstacle < kObstacleCount; ++obstacle) {
    SideSetup setup;
    setup.obstacle = static_cast<Obstacle>(obstacle);
    // The volume obstacles have no place there and decode as none.
    if (decode_side_setup(encode_side_setup(setup)).obstacle == setup.obstacle) {
      write_side_seed(target, kObstacleNames[obstacle], file, setup);
    }
  }
  SideSetup both;
  both.spelling = Spelling::kTwoSpellings;
  both.obstacle = Obstacle::kInputFifo;
  write_side_seed(target, "two-spellings-input-fifo", file, both);
}

void write_single_extraction_numbers() {
  FuzzGame game = fuzz_game_from_tree(three_resources(1), 1);
  game.number = 3;
  write_game_seed("resource", "number-3", game);
  game.number = 900;
  write_game_seed("resource", "number-900", game);
  game.number = 0x7FFFFFFF;
  write_game_seed("resource", "largest-number", game);
  FuzzGame refused = fuzz_game_from_tree(refused_lengths(0), 0);
  refused.number = 1;
  write_game_seed("resource", "length-30001", refused);
  refused.number = 4;
  write_game_seed("resource", "cut-length", refused);
  refused.number = 5;
  write_game_seed("resource", "length-65535", refused);
}

void write_vocabulary_seeds() {
  std::vector<std::vector<WordRecord>> letters(26);
  letters[0] = compress_words({{"a", 1}, {"about", 5}, {"above", 5}, {"act", 1234}});
  letters[11] = {{0, "look", 12}, {3, "s", 300}};
  letters[19] = compress_words({{"take", 20}, {"talk", 21}, {"the", 0}});
  write_side_seed("vocabulary", "three-letters", vocabulary_file(letters));

  std::vector<std::vector<WordRecord>> only_b(26);
  only_b[1] = compress_words({{"bag", 7}, {"bags", 7}, {"book", 65535}});
  write_side_seed("vocabulary", "only-b", vocabulary_file(only_b));

  // A prefix reaching past the previous word, a word longer than the buffer, and a prefix
  // count beyond the buffer.
  std::vector<std::vector<WordRecord>> odd(26);
  odd[2] = {{0, "cab", 3}, {6, "x", 4}, {0, std::string(60, 'c'), 5}, {60, "z", 6}};
  write_side_seed("vocabulary", "odd-prefixes", vocabulary_file(odd));

  Bytes cut = vocabulary_file(letters);
  cut.resize(cut.size() - 3);
  cut.back() &= 0x7F;
  write_side_seed("vocabulary", "cut-inside-word", cut);
  write_side_seed("vocabulary", "short-index", Bytes(30, 0));
  write_side_obstacle_seeds("vocabulary", vocabulary_file(letters));
}

void write_object_seeds() {
  write_side_seed("object_file", "plain", bytes_of(std::string("key\0lamp\0rope\0old map", 21)));
  write_side_seed("object_file", "sixth-byte-zero", {'l', 'a', 'm', 'p', 's', 0, 'k', 'e', 'y'});
  write_side_seed("object_file", "enciphered", object_cipher(bytes_of("a small brass key")));
  write_side_seed("object_file", "twelve-bytes", pattern_bytes(12, 8));
  write_side_seed("object_file", "five-bytes", bytes_of("tiny!"));
  write_side_seed("object_file", "empty", Bytes());
  write_side_obstacle_seeds("object_file", bytes_of("a small brass key"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: make_fuzz_seeds <corpus directory>\n");
    return 2;
  }
  corpus_root = argv[1];
  mkdir(corpus_root.c_str(), 0755);
  for (const char* target : {"resource_type", "resource"}) {
    write_extraction_seeds(target);
    write_obstacle_seeds(target);
  }
  write_single_extraction_numbers();
  write_vocabulary_seeds();
  write_object_seeds();
  return 0;
}
