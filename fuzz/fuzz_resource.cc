// Fuzz target: the single extraction (extract_resource) with an arbitrary resource number.
// The input is a game in the layout of fuzz_support.h, number included; the output an
// obstacle stands at is the one file the extraction writes. Every outcome, the fatal ones
// included, is compared with what the extraction must do: the exact standard output, the
// exit status, and every file left, in the game directory and beside it, the extracted file
// holding the volume's bytes from the resource's offset + 5, zero padded to its length of 0
// to 65535.
#include <cstdint>

#include "fuzz/fuzz_support.h"

namespace {

struct Entry {
  unsigned b0, b1, b2;
};

// An entry byte beyond the end of the directory file reads as 0xFF.
unsigned entry_byte(const Bytes& directory, uint64_t position) {
  return position < directory.size() ? directory[position] : 0xFF;
}

Entry numbered_entry(const FuzzGame& game) {
  uint64_t position = static_cast<uint64_t>(game.number) * 3;
  return {entry_byte(game.directory, position), entry_byte(game.directory, position + 1),
          entry_byte(game.directory, position + 2)};
}

bool is_absent(const Entry& entry) {
  return entry.b0 == 0xFF && entry.b1 == 0xFF && entry.b2 == 0xFF;
}

// The volume file the extraction opens, if any.
std::vector<unsigned> used_volumes(const FuzzGame& game) {
  Entry entry = numbered_entry(game);
  if (game.directory_missing || is_absent(entry)) {
    return {};
  }
  return {entry.b0 >> 4};
}

// `game` is the game as the extraction can read it; `output_blocked` tells that the output
// cannot be created.
ExpectedOutcome expected_extraction(const FuzzGame& game, const Scene& scene, bool output_blocked,
                                    const std::string& output_name) {
  ExpectedOutcome expected = unchanged_scene(scene);
  if (game.directory_missing) {
    expected.exited = true;
    expected.out = std::string("Cannot open ") + kDirectoryFiles[game.type] + "\n";
    return expected;
  }
  expected.out = "Extracting " + output_name + "... ";
  Entry entry = numbered_entry(game);
  if (is_absent(entry)) {
    expected.exited = true;
    expected.out += "Error!\nFile doesn't exist.\n";
    return expected;
  }
  uint64_t offset = 0;
  const Bytes* volume =
      expected_entry_volume(game, entry.b0, entry.b1, entry.b2, &offset, expected);
  if (volume == nullptr) {
    return expected;
  }
  // Every length the field holds is taken; only a volume file that ends inside the field,
  // which gives a negative length, is refused.
  int length = expected_resource_length(*volume, offset);
  if (length < 0) {
    expected.out += std::string("Error!\n ") + output_name + " - file too big!\nDone.\n";
    return expected;
  }
  if (output_blocked) {
    expected.exited = true;
    expected.out += "Error!\nCannot open " + output_name + ".\n";
    return expected;
  }
  expected.tree[output_name] = expected_resource_data(*volume, offset, length);
  expected.out += "Done.\n";
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzGame game = decode_fuzz_game(data, size, true);
  std::string output_name = std::string(kTypeNames[game.type]) + "." + std::to_string(game.number);
  std::vector<unsigned> volumes = used_volumes(game);
  Scene scene = extraction_scene(game, volumes);
  if (game.output_blocked) {
    scene.files[output_name + "/"] = Bytes();
  } else {
    place_output_obstacle(scene, game.obstacle, output_name, linked_input(game, scene));
  }
  bool output_blocked = game.output_blocked || blocks_output(game.obstacle);
  ExpectedOutcome expected =
      expected_extraction(readable_game(game, volumes), scene, output_blocked, output_name);
  Outcome outcome = run_operation(scene, Operation::kExtractResource, game.type, game.number);
  expect_outcome(outcome, expected);
  return 0;
}
