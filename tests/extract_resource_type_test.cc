// "kesk -l/-p/-v/-s ALL" run on games built byte by byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/game_builder.h"

static const std::string kBanner = "KESK - AGI system extractor\n\n";
static const char* const kOptions[4] = {"-l", "-p", "-v", "-s"};

static std::string length_error(const std::string& type_name, int index, int length) {
  return "\nError! " + type_name + "." + std::to_string(index) + " - extreme filesize (" +
         std::to_string(length) + " bytes)!\n";
}

static void expect_run(const FileTree& game, const std::string& option, const std::string& out,
                       int status, const FileTree& added,
                       const std::vector<SpecialFile>& specials = {},
                       const RunOptions& options = RunOptions()) {
  ScratchRun run = run_in_scratch(game, {option, "ALL"}, specials, options);
  FileTree left = game;
  left.insert(added.begin(), added.end());
  EXPECT_EQ(run.result.out, kBanner + out) << option;
  EXPECT_EQ(run.result.status, status) << option;
  EXPECT_EQ(run.result.err, "") << option;
  EXPECT_EQ(run.tree, left) << option;
}

TEST(ExtractResourceType, SkipsAbsentEntriesAndReportsExtremeLengths) {
  for (int type = 0; type < 4; ++type) {
    const std::string name = kTypeNames[type];
    const Bytes cut_data = pattern_bytes(40, 9);
    Bytes padded = cut_data;
    padded.resize(100, 0);
    FileTree game;
    add_resource(game, type, 0, 0, pattern_bytes(30, type));
    add_resource(game, type, 2, 0, pattern_bytes(1, type));  // entry 1 stays 0xFF 0xFF 0xFF
    add_resource(game, type, 4, 0, {}, 0);
    add_resource(game, type, 5, 0, pattern_bytes(30001, type));
    add_resource(game, type, 6, 0, pattern_bytes(30000, type));
    game["vol.1"] = {1, 2, 3};  // ends before the length field
    set_entry(game, type, 7, directory_entry(1, 0));
    game["vol.2"] = {1, 2, 3, 0x10};  // ends inside it
    set_entry(game, type, 8, directory_entry(2, 0));
    add_resource(game, type, 9, 3, cut_data, 100);  // vol.3 ends 60 bytes early
    // An entry of three 0xFF bytes after a present one: absent, as entry 1.
    set_entry(game, type, 11, {0xFF, 0xFF, 0xFF});
    add_resource(game, type, 10, 4, bytes_of("ten"));
    // A trailing partial entry of one or two bytes, skipped whatever its bytes.
    const Bytes partial = type % 2 == 0 ? Bytes{0x00, 0x00} : Bytes{0x30};
    game[kDirectoryFiles[type]].insert(game[kDirectoryFiles[type]].end(), partial.begin(),
                                       partial.end());
    expect_run(game, kOptions[type],
               "Extracting " + name + " files... " + length_error(name, 4, 0) +
                   length_error(name, 7, -1) + length_error(name, 8, -240) + "Done.\n",
               0,
               {{name + "/", {}},
                {name + "/" + name + ".0", pattern_bytes(30, type)},
                {name + "/" + name + ".2", pattern_bytes(1, type)},
                {name + "/" + name + ".5", pattern_bytes(30001, type)},
                {name + "/" + name + ".6", pattern_bytes(30000, type)},
                {name + "/" + name + ".9", padded},
                {name + "/" + name + ".10", bytes_of("ten")}});
  }
}

// Real games store resources at offsets whose middle or low byte is 0xFF, and in volume 15
// with offset bits set to all ones in the first byte: each such entry is a location.
TEST(ExtractResourceType, ExtractsEntriesHoldingOneOrTwoFFBytes) {
  const Bytes entries[] = {{0x00, 0x01, 0xFF}, {0x00, 0xFF, 0x36}, {0x00, 0xFF, 0xFF},
                           {0xFF, 0x00, 0x00}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0x10}};
  FileTree game;
  FileTree added = {{"sound/", {}}};
  for (int number = 0; number < 6; ++number) {
    const Bytes& entry = entries[number];
    uint32_t offset = static_cast<uint32_t>((entry[0] & 0x0F) << 16 | entry[1] << 8 | entry[2]);
    Bytes data = pattern_bytes(10 + number, 40 + number);
    add_resource_at(game, 3, number, entry[0] >> 4, offset, data);
    added["sound/sound." + std::to_string(number)] = data;
  }
  ASSERT_EQ(game["snddir"], (Bytes{0x00, 0x01, 0xFF, 0x00, 0xFF, 0x36, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
                                   0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x10}));
  expect_run(game, "-s", "Extracting sound files... Done.\n", 0, added);
  // The single extraction finds the same resources.
  ScratchRun single = run_in_scratch(game, {"-s", "4"});
  EXPECT_EQ(single.result.out, kBanner + "Extracting sound.4... Done.\n");
  EXPECT_EQ(single.tree["sound.4"], added["sound/sound.4"]);
}

// The length field holds up to 65535, and every length from 1 up is extracted whole.
TEST(ExtractResourceType, ExtractsTheLongestLengthTheFieldHolds) {
  FileTree game;
  add_resource(game, 2, 0, 0, pattern_bytes(65535, 1));
  add_resource(game, 2, 1, 0, pattern_bytes(30895, 2));
  expect_run(game, "-v", "Extracting view files... Done.\n", 0,
             {{"view/", {}},
              {"view/view.0", pattern_bytes(65535, 1)},
              {"view/view.1", pattern_bytes(30895, 2)}});
}

TEST(ExtractResourceType, MakesTheTypeDirectoryWithMode0755) {
  mode_t saved = umask(0);  // so that the mode asked for shows unmasked
  std::string directory = make_scratch_directory();
  write_tree(directory, {{"viewdir", {}}});
  RunResult result = run_kesk(directory, {"-v", "ALL"});
  int mode = file_mode(directory + "/view");
  FileTree tree = read_tree(directory);
  remove_tree(directory);
  umask(saved);
  EXPECT_EQ(result.out, kBanner + "Extracting view files... Done.\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  // Windows has no POSIX mode bits: its _mkdir takes none, so there is no 0755 to check.
  if (!running_windows_binary()) {
    EXPECT_EQ(mode, 0755);
  }
  EXPECT_EQ(tree, (FileTree{{"viewdir", {}}, {"view/", {}}}));
}

// Only a regular file is a directory file: a directory of that name cannot be opened, and
// the walk never starts.
TEST(ExtractResourceType, RefusesADirectoryInPlaceOfTheDirectoryFile) {
  RunOptions options;
  options.time_limit_seconds = 20;
  expect_run({{"logdir/", {}}}, "-l", "Cannot open logdir.", 1, {}, {}, options);
}

TEST(ExtractResourceType, EndsWithStatusOneOnEveryFatalRoad) {
  const Bytes data = bytes_of("data");
  FileTree game;
  add_resource(game, 0, 0, 0, data);
  add_resource(game, 0, 1, 4, data);
  add_resource(game, 0, 2, 0, data);
  game.erase("vol.4");
  expect_run(game, "-l", "Extracting logic files... Error!\nCannot open vol.4.", 1,
             {{"logic/", {}}, {"logic/logic.0", data}});
  expect_run(game, "-s", "Cannot open snddir.", 1, {});

  // A file in the way of the type's directory: only an accepted length reaches it.
  FileTree blocked = {{"picture", bytes_of("in the way")}};
  add_resource(blocked, 1, 0, 0, {}, 0);
  add_resource(blocked, 1, 1, 0, data);
  expect_run(blocked, "-p",
             "Extracting picture files... " + length_error("picture", 0, 0) +
                 "Error!\nCannot open picture/picture.1.\n",
             1, {});

  // A write refused by the file system, at the second output of a type directory that
  // already exists.
  const Bytes large = pattern_bytes(20000, 3);
  FileTree full = {{"view/", {}}};
  add_resource(full, 2, 0, 0, data);
  add_resource(full, 2, 1, 0, large);
  add_resource(full, 2, 2, 0, data);
  RunOptions limited;
  limited.file_size_limit = kWriteLimit;
  expect_run(
      full, "-v", "Extracting view files... Error!\nWrite error!\n", 1,
      {{"view/view.0", data}, {"view/view.1", Bytes(large.begin(), large.begin() + kWriteLimit)}},
      {}, limited);
}
