// Fuzz target: the bulk walk over a directory file and its volume files
// (extract_resource_type). The input is a game in the layout of fuzz_support.h; the output
// an obstacle stands at is chosen among the files the walk writes, and the type directory
// itself is the place of a link to a directory outside. Every outcome, the fatal ones
// included, is compared with what the walk must do: the exact standard output, the exit
// status, and every file left, in the game directory and beside it, each extracted file
// holding the volume's bytes from the resource's offset + 5, zero padded to its length.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_support.h"

namespace {

// Where the walk cannot create its files: nowhere in the type directory, or at one path.
struct Blocked {
  bool type_directory = false;
  std::string path;
};

std::string format(const char* pattern, const char* text, int number, int value = 0) {
  char line[160];
  snprintf(line, sizeof line, pattern, text, number, value);
  return line;
}

std::string output_path(int type, int index) {
  return std::string(kTypeNames[type]) + "/" + kTypeNames[type] + "." + std::to_string(index);
}

// An entry of three 0xFF bytes is absent; one or two of them make a location like any other.
// A trailing partial entry is never visited (see whole_entries).
bool is_skipped(const Bytes& directory, size_t k) {
  const unsigned char* entry = &directory[3 * k];
  return entry[0] == 0xFF && entry[1] == 0xFF && entry[2] == 0xFF;
}

size_t whole_entries(const FuzzGame& game) {
  return game.directory_missing ? 0 : game.directory.size() / 3;
}

// The volume files the entries name, in the order the walk first meets them.
std::vector<unsigned> used_volumes(const FuzzGame& game) {
  std::vector<unsigned> volumes;
  for (size_t k = 0; k < whole_entries(game); ++k) {
    unsigned volume = game.directory[3 * k] >> 4;
    if (!is_skipped(game.directory, k) &&
        std::find(volumes.begin(), volumes.end(), volume) == volumes.end()) {
      volumes.push_back(volume);
    }
  }
  return volumes;
}

// `game` is the game as the walk can read it. The entries written are added to `written`
// when it is given.
ExpectedOutcome expected_walk(const FuzzGame& game, const Scene& scene, const Blocked& blocked,
                              std::vector<int>* written = nullptr) {
  const char* type_name = kTypeNames[game.type];
  ExpectedOutcome expected = unchanged_scene(scene);
  if (game.directory_missing) {
    expected.exited = true;
    expected.out = std::string("Cannot open ") + kDirectoryFiles[game.type] + ".";
    return expected;
  }
  expected.out = std::string("Extracting ") + type_name + " files... ";
  if (!blocked.type_directory) {
    expected.tree[std::string(type_name) + "/"] = Bytes();
  }
  for (size_t k = 0; k < whole_entries(game); ++k) {
    if (is_skipped(game.directory, k)) {
      continue;
    }
    const unsigned char* entry = &game.directory[3 * k];
    uint64_t offset = 0;
    const Bytes* volume =
        expected_entry_volume(game, entry[0], entry[1], entry[2], &offset, expected);
    if (volume == nullptr) {
      return expected;
    }
    int length = expected_resource_length(*volume, offset);
    int index = static_cast<int>(k);
    // Every length from 1 to the 65535 the field holds is taken.
    if (length < 1) {
      expected.out +=
          format("\nError! %s.%d - extreme filesize (%d bytes)!\n", type_name, index, length);
      continue;
    }
    std::string path = output_path(game.type, index);
    if (blocked.type_directory || path == blocked.path) {
      expected.exited = true;
      expected.out += "Error!\nCannot open " + path + ".\n";
      return expected;
    }
    expected.tree[path] = expected_resource_data(*volume, offset, length);
    if (written != nullptr) {
      written->push_back(index);
    }
  }
  expected.out += "Done.\n";
  return expected;
}

// The output an obstacle stands at: the type directory for a link to a directory outside,
// else the file of an entry chosen by the place among those the walk writes.
std::string obstacle_path(const FuzzGame& game) {
  if (game.obstacle == Obstacle::kDirectoryLinkOutside) {
    return kTypeNames[game.type];
  }
  std::vector<int> written;
  expected_walk(game, Scene(), Blocked(), &written);
  int index = written.empty() ? static_cast<int>(game.place) : written[game.place % written.size()];
  return output_path(game.type, index);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzGame game = decode_fuzz_game(data, size, false);
  std::vector<unsigned> volumes = used_volumes(game);
  Scene scene = extraction_scene(game, volumes);
  Blocked blocked;
  if (game.output_blocked) {
    scene.files[kTypeNames[game.type]] = bytes_of("in the way");
    blocked.type_directory = true;
  } else if (game.obstacle != Obstacle::kNone && !is_input_obstacle(game.obstacle)) {
    std::string path = obstacle_path(game);
    place_output_obstacle(scene, game.obstacle, path, linked_input(game, scene));
    blocked.type_directory = game.obstacle == Obstacle::kDirectoryLinkOutside;
    if (blocks_output(game.obstacle)) {
      blocked.path = path;
    }
  }
  ExpectedOutcome expected = expected_walk(readable_game(game, volumes), scene, blocked);
  Outcome outcome = run_operation(scene, Operation::kExtractResourceType, game.type, 0);
  expect_outcome(outcome, expected);
  return 0;
}
