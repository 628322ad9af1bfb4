// Fuzz target: the single extraction (extract_resource) with an arbitrary resource number.
// The input is a game in the layout of fuzz_support.h, number included. Every outcome, the
// fatal ones included, is compared with what the extraction must do: the exact standard
// output, the exit status, and every file left, the extracted file holding the volume's
// bytes from the resource's offset + 5, zero padded to its length of 0 to 30000.
#include <cstdint>

#include "fuzz/fuzz_support.h"

namespace {

// An entry byte beyond the end of the directory file reads as 0xFF.
unsigned entry_byte(const Bytes& directory, uint64_t position) {
  return position < directory.size() ? directory[position] : 0xFF;
}

ExpectedOutcome expected_extraction(const FuzzGame& game, const std::string& output_name) {
  ExpectedOutcome expected;
  expected.tree = fuzz_game_files(game);
  if (game.output_blocked) {
    expected.tree[output_name + "/"] = Bytes();
  }
  if (game.directory_missing) {
    expected.exited = true;
    expected.out = std::string("Cannot open ") + kDirectoryFiles[game.type] + "\n";
    return expected;
  }
  expected.out = "Extracting " + output_name + "... ";
  uint64_t position = static_cast<uint64_t>(game.number) * 3;
  unsigned b0 = entry_byte(game.directory, position);
  unsigned b1 = entry_byte(game.directory, position + 1);
  unsigned b2 = entry_byte(game.directory, position + 2);
  if (b0 == 0xFF && b1 == 0xFF && b2 == 0xFF) {
    expected.exited = true;
    expected.out += "Error!\nFile doesn't exist.\n";
    return expected;
  }
  uint64_t offset = 0;
  const Bytes* volume = expected_entry_volume(game, b0, b1, b2, &offset, expected);
  if (volume == nullptr) {
    return expected;
  }
  int length = expected_resource_length(*volume, offset);
  if (length < 0 || length > 30000) {
    expected.out += std::string("Error!\n ") + output_name + " - file too big!\nDone.\n";
    return expected;
  }
  if (game.output_blocked) {
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
  ExpectedOutcome expected = expected_extraction(game, output_name);
  FileTree files = fuzz_game_files(game);
  if (game.output_blocked) {
    files[output_name + "/"] = Bytes();
  }
  Outcome outcome = run_operation(files, Operation::kExtractResource, game.type, game.number);
  expect_outcome(outcome, expected.exited, expected.out, expected.tree);
  return 0;
}
