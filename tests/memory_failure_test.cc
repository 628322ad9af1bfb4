// The out-of-memory roads, reached by making exactly one allocation size fail in the kesk
// child through a preloaded allocator shim.
#include <gtest/gtest.h>

#include <cstdlib>

#include "logics/logics.h"
#include "sounds/sounds.h"
#include "tests/game_builder.h"

#if defined(__SANITIZE_ADDRESS__)
#define KESK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESK_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

constexpr int kFailingSize = 777;

// The shim needs glibc's dynamic loader; a sanitizer runtime must come first in the
// preload list, and a Windows binary under Wine does not load it at all.
bool shim_unavailable() {
#ifdef KESK_ADDRESS_SANITIZER
  return true;
#else
  const char* wrapper = getenv("KESK_WRAPPER");
  return wrapper != nullptr && *wrapper != '\0';
#endif
}

RunOptions failing_allocation(int size) {
  RunOptions options;
  options.environment = {std::string("LD_PRELOAD=") + KESK_FAILING_ALLOCATOR,
                         "KESK_FAIL_ALLOCATION_SIZE=" + std::to_string(size)};
  return options;
}

}  // namespace

TEST(MemoryFailure, SingleExtractionEndsWithStatusOne) {
  if (shim_unavailable()) {
    GTEST_SKIP() << "the allocator shim needs an uninstrumented Linux kesk";
  }
  FileTree game;
  add_resource(game, 2, 3, 0, pattern_bytes(kFailingSize, 1));
  ScratchRun outcome = run_in_scratch(game, {"-v", "3"}, {}, failing_allocation(kFailingSize));
  EXPECT_EQ(outcome.result.out,
            "KESK - AGI system extractor\n\nExtracting view.3... Error!\nNot enough memory!\n");
  EXPECT_EQ(outcome.result.status, 1);
  EXPECT_EQ(outcome.result.err, "");
  EXPECT_EQ(outcome.tree, game);

  // With the shim loaded but another size failing, the same extraction succeeds.
  outcome = run_in_scratch(game, {"-v", "3"}, {}, failing_allocation(kFailingSize + 1));
  EXPECT_EQ(outcome.result.out, "KESK - AGI system extractor\n\nExtracting view.3... Done.\n");
  EXPECT_EQ(outcome.result.status, 0);
  FileTree expected = game;
  expected["view.3"] = pattern_bytes(kFailingSize, 1);
  EXPECT_EQ(outcome.tree, expected);
}

TEST(MemoryFailure, BulkExtractionStopsAtTheResourceThatDoesNotFit) {
  if (shim_unavailable()) {
    GTEST_SKIP() << "the allocator shim needs an uninstrumented Linux kesk";
  }
  FileTree game;
  add_resource(game, 1, 0, 0, pattern_bytes(100, 2));
  add_resource(game, 1, 1, 0, pattern_bytes(kFailingSize, 3));
  add_resource(game, 1, 2, 0, pattern_bytes(200, 4));
  ScratchRun outcome = run_in_scratch(game, {"-p", "ALL"}, {}, failing_allocation(kFailingSize));
  EXPECT_EQ(
      outcome.result.out,
      "KESK - AGI system extractor\n\nExtracting picture files... Error!\nNot enough memory!\n");
  EXPECT_EQ(outcome.result.status, 1);
  EXPECT_EQ(outcome.result.err, "");
  FileTree expected = game;
  expected["picture/"] = Bytes();
  expected["picture/picture.0"] = pattern_bytes(100, 2);
  EXPECT_EQ(outcome.tree, expected);
}

TEST(MemoryFailure, ObjectConverterReportsAndTheFullRunGoesOn) {
  if (shim_unavailable()) {
    GTEST_SKIP() << "the allocator shim needs an uninstrumented Linux kesk";
  }
  FileTree game;
  for (int type = 0; type < 4; ++type) {
    game[kDirectoryFiles[type]] = Bytes();
  }
  game["object"] = pattern_bytes(kFailingSize, 5);
  game["words.tok"] = vocabulary_file({{}, {{0, "bag", 12}}});

  ScratchRun outcome = run_in_scratch(game, {"-o"}, {}, failing_allocation(kFailingSize));
  EXPECT_EQ(outcome.result.out,
            "KESK - AGI system extractor\n\nCouldn't allocate 777 bytes of memory!\n");
  EXPECT_EQ(outcome.result.status, 0);
  EXPECT_EQ(outcome.result.err, "");
  FileTree expected = game;
  expected["object.new"] = Bytes();
  EXPECT_EQ(outcome.tree, expected);

  outcome = run_in_scratch(game, {"-a"}, {}, failing_allocation(kFailingSize));
  EXPECT_EQ(outcome.result.out,
            "KESK - AGI system extractor\n\n"
            "Please wait while extracting...\n"
            "Extracting logic files... Done.\n"
            "Extracting picture files... Done.\n"
            "Extracting view files... Done.\n"
            "Extracting sound files... Done.\n"
            "Couldn't allocate 777 bytes of memory!\n"
            "Converting words.tok to words.txt... Done.\n"
            "\nAll done!\n");
  EXPECT_EQ(outcome.result.status, 0);
  for (const char* directory : {"logic/", "picture/", "view/", "sound/"}) {
    expected[directory] = Bytes();
  }
  std::string listing;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    listing += std::string("*** ") + letter + "\n" + (letter == 'B' ? "012 bag\n" : "");
  }
  expected["words.txt"] = bytes_of(listing);
  EXPECT_EQ(outcome.tree, expected);
}

// The texts' and sounds' work areas: one that cannot be had ends the run before its file is
// made; side-file tables that cannot be had leave numbers in the texts.
TEST(MemoryFailure, FormatsWithoutTheirWorkAreas) {
  if (shim_unavailable()) {
    GTEST_SKIP() << "the allocator shim needs an uninstrumented Linux kesk";
  }
  FileTree game;
  add_resource(game, 0, 0, 0, logic_data({0x5C, 0x01, 0x00}, {}));
  add_resource(game, 3, 0, 0, {0x08, 0x00, 0xFF, 0xFF});
  game["object"] = object_cipher(object_table({{"?", 0}, {"lamp", 1}}));
  const std::string banner = "KESK - AGI system extractor\n\n";
  ScratchRun text = run_in_scratch(game, {"--text", "-l", "0"}, {},
                                   failing_allocation(static_cast<int>(logic_text_size())));
  EXPECT_EQ(text.result.out, banner + "Decoding logic.0... Error!\nNot enough memory!\n");
  EXPECT_EQ(text.result.status, 1);
  EXPECT_EQ(text.tree, game);
  ScratchRun midi = run_in_scratch(game, {"--midi", "-s", "0"}, {},
                                   failing_allocation(static_cast<int>(midi_writer_size())));
  EXPECT_EQ(midi.result.out, banner + "Converting sound.0 to MIDI... Error!\nNot enough memory!\n");
  EXPECT_EQ(midi.result.status, 1);
  EXPECT_EQ(midi.tree, game);
  int tables = static_cast<int>(logic_side_files_size(0, game["object"].size()));
  ScratchRun numbers = run_in_scratch(game, {"--text", "-l", "0"}, {}, failing_allocation(tables));
  EXPECT_EQ(numbers.result.status, 0);
  EXPECT_EQ(text_of(numbers.tree["logic.0.txt"]), "get(i1);\nreturn();\n");
}
