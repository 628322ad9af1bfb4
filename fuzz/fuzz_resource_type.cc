// Fuzz target: the bulk walk over a directory file and its volume files
// (extract_resource_type). The input is a game in the layout of fuzz_support.h. Every
// outcome, the fatal ones included, is compared with what the walk must do: the exact
// standard output, the exit status, and every file left, each extracted file holding the
// volume's bytes from the resource's offset + 5, zero padded to its length.
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_support.h"

namespace {

std::string format(const char* pattern, const char* text, int number, int value = 0) {
  char line[160];
  snprintf(line, sizeof line, pattern, text, number, value);
  return line;
}

ExpectedOutcome expected_walk(const FuzzGame& game) {
  const char* type_name = kTypeNames[game.type];
  ExpectedOutcome expected;
  expected.tree = fuzz_game_files(game);
  if (game.output_blocked) {
    expected.tree[type_name] = bytes_of("in the way");
  }
  if (game.directory_missing) {
    expected.exited = true;
    expected.out = std::string("Cannot open ") + kDirectoryFiles[game.type] + ".";
    return expected;
  }
  expected.out = std::string("Extracting ") + type_name + " files... ";
  if (!game.output_blocked) {
    expected.tree[std::string(type_name) + "/"] = Bytes();
  }
  const Bytes& directory = game.directory;
  // A trailing partial entry is skipped, as is every entry with a 0xFF byte.
  for (size_t k = 0; 3 * k + 3 <= directory.size(); ++k) {
    const unsigned char* entry = &directory[3 * k];
    if (entry[0] == 0xFF || entry[1] == 0xFF || entry[2] == 0xFF) {
      continue;
    }
    uint64_t offset = 0;
    const Bytes* volume =
        expected_entry_volume(game, entry[0], entry[1], entry[2], &offset, expected);
    if (volume == nullptr) {
      return expected;
    }
    int length = expected_resource_length(*volume, offset);
    int index = static_cast<int>(k);
    if (length < 1 || length > 30000) {
      expected.out +=
          format("\nError! %s.%d - extreme filesize (%d bytes)!\n", type_name, index, length);
      continue;
    }
    std::string path = std::string(type_name) + "/" + type_name + "." + std::to_string(index);
    if (game.output_blocked) {
      expected.exited = true;
      expected.out += "Error!\nCannot open " + path + ".\n";
      return expected;
    }
    expected.tree[path] = expected_resource_data(*volume, offset, length);
  }
  expected.out += "Done.\n";
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzGame game = decode_fuzz_game(data, size, false);
  ExpectedOutcome expected = expected_walk(game);
  FileTree files = fuzz_game_files(game);
  if (game.output_blocked) {
    files[kTypeNames[game.type]] = bytes_of("in the way");
  }
  Outcome outcome = run_operation(files, Operation::kExtractResourceType, game.type, 0);
  expect_outcome(outcome, expected.exited, expected.out, expected.tree);
  return 0;
}
