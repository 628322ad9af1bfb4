// "kesk -l/-p/-v/-s N" run on games built byte by byte.
#include <gtest/gtest.h>

#include "tests/game_builder.h"

static const std::string kBanner = "KESK - AGI system extractor\n\n";
static const char* const kOptions[4] = {"-l", "-p", "-v", "-s"};

namespace {

struct Case {
  FileTree game;
  std::string number;
  std::string out;  // after the banner
  int status;
  FileTree added;  // to the game, in the tree left behind
  long file_size_limit = 0;
};

Bytes zero_padded(Bytes data, size_t length) {
  data.resize(length, 0);
  return data;
}

// Logic resource 0 alone in vol.0.
FileTree logic_zero(const Bytes& data, long declared_length = -1) {
  FileTree game;
  add_resource(game, 0, 0, 0, data, declared_length);
  return game;
}

void expect_logic_runs(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    RunOptions options;
    options.file_size_limit = c.file_size_limit;
    ScratchRun run = run_in_scratch(c.game, {"-l", c.number}, {}, options);
    FileTree left = c.game;
    left.insert(c.added.begin(), c.added.end());
    EXPECT_EQ(run.result.out, kBanner + c.out) << c.out;
    EXPECT_EQ(run.result.status, c.status) << c.out;
    EXPECT_EQ(run.result.err, "") << c.out;
    EXPECT_EQ(run.tree, left) << c.out;
  }
}

}  // namespace

TEST(ExtractResource, CopiesTheDataOfEachTypeWithoutTheHeader) {
  for (int type = 0; type < 4; ++type) {
    const unsigned volume = 5 * type;  // 0, 5, 10, 15
    const std::string output = std::string(kTypeNames[type]) + ".3";
    const Bytes data = pattern_bytes(200 + type, 10 + type);
    FileTree game;
    add_resource(game, type, 1, volume, pattern_bytes(50, type));
    add_resource(game, (type + 1) % 4, 3, volume, bytes_of("other type"));
    add_resource(game, type, 3, volume, data);
    game[output] = Bytes(9000, 'x');  // an older, longer file is replaced whole
    ScratchRun run = run_in_scratch(game, {kOptions[type], "3"});
    FileTree left = game;
    left[output] = data;
    EXPECT_EQ(run.result.out, kBanner + "Extracting " + output + "... Done.\n") << output;
    EXPECT_EQ(run.result.status, 0) << output;
    EXPECT_EQ(run.result.err, "") << output;
    EXPECT_EQ(run.tree, left) << output;
  }
}

TEST(ExtractResource, DecodesPartlyAbsentEntriesAndChecksTheLength) {
  // 0x00 0xFF 0x10 is a location for this operation: vol.0 at 0xFF10.
  FileTree partial = {{"vol.0", Bytes(0xFF10, 0xAA)}};
  Bytes record = volume_record(bytes_of("found"));
  partial["vol.0"].insert(partial["vol.0"].end(), record.begin(), record.end());
  set_entry(partial, 0, 2, {0x00, 0xFF, 0x10});
  const Bytes cut_data = pattern_bytes(40, 5);
  const Bytes padded = zero_padded(cut_data, 100);
  const std::string too_big = "Extracting logic.0... Error!\n logic.0 - file too big!\nDone.\n";
  expect_logic_runs({
      {partial, "2", "Extracting logic.2... Done.\n", 0, {{"logic.2", bytes_of("found")}}},
      {logic_zero({}, 0), "0", "Extracting logic.0... Done.\n", 0, {{"logic.0", {}}}},
      {logic_zero(pattern_bytes(30000, 1)),
       "0",
       "Extracting logic.0... Done.\n",
       0,
       {{"logic.0", pattern_bytes(30000, 1)}}},
      // The volume ends 60 bytes early: the declared length still comes out, zero-filled.
      {logic_zero(cut_data, 100), "0", "Extracting logic.0... Done.\n", 0, {{"logic.0", padded}}},
      // Every length the field holds is taken, up to 65535.
      {logic_zero(pattern_bytes(30001, 2)),
       "0",
       "Extracting logic.0... Done.\n",
       0,
       {{"logic.0", pattern_bytes(30001, 2)}}},
      {logic_zero(pattern_bytes(65535, 3)),
       "0",
       "Extracting logic.0... Done.\n",
       0,
       {{"logic.0", pattern_bytes(65535, 3)}}},
      // Declared 65535 in a volume that ends after 40 bytes of data.
      {logic_zero(cut_data, 65535),
       "0",
       "Extracting logic.0... Done.\n",
       0,
       {{"logic.0", zero_padded(cut_data, 65535)}}},
      // Cut inside the length field: -1 with both bytes missing, -240 with only the high one.
      {{{"logdir", {0, 0, 0}}, {"vol.0", {1, 2, 3}}}, "0", too_big, 0, {}},
      {{{"logdir", {0, 0, 0}}, {"vol.0", {1, 2, 3, 0x10}}}, "0", too_big, 0, {}},
  });
}

TEST(ExtractResource, EndsWithStatusOneOnEveryFatalRoad) {
  const Bytes data = bytes_of("ten bytes!");
  FileTree gap = logic_zero(data);
  add_resource(gap, 0, 2, 0, data);
  // Three times this number wraps round to position 2 in 32 bits, where the bytes
  // 0x00 0x00 0x00 would locate resource 0.
  FileTree wrap = logic_zero(data);
  set_entry(wrap, 0, 1, {0x00, 0x00, 0x00});
  FileTree short_directory = {{"logdir", Bytes(300, 0)}, {"vol.0", volume_record(data)}};
  // Only one byte 0xFF: a location in vol.15, not an absent resource.
  FileTree far_volume = {{"vol.0", volume_record(data)}};
  set_entry(far_volume, 0, 0, {0xFF, 0x00, 0x00});
  FileTree missing_volume = logic_zero(data);
  set_entry(missing_volume, 0, 0, directory_entry(3, 0));
  FileTree blocked = logic_zero(data);
  blocked["logic.0/"] = {};
  const std::string absent = "... Error!\nFile doesn't exist.\n";
  const std::string write_error = "Extracting logic.0... Error!\nWrite error!\n";
  const Bytes large = pattern_bytes(30000, 7);
  const FileTree cut_short = {{"logic.0", Bytes(large.begin(), large.begin() + kWriteLimit)}};
  expect_logic_runs({
      {gap, "1", "Extracting logic.1" + absent, 1, {}},
      {short_directory, "900", "Extracting logic.900" + absent, 1, {}},
      {wrap, "1431655766", "Extracting logic.1431655766" + absent, 1, {}},
      {wrap, "2147483647", "Extracting logic.2147483647" + absent, 1, {}},
      {{{"vol.0", volume_record(data)}}, "0", "Cannot open logdir\n", 1, {}},
      {far_volume, "0", "Extracting logic.0... Error!\nCannot open vol.15.", 1, {}},
      {missing_volume, "0", "Extracting logic.0... Error!\nCannot open vol.3.", 1, {}},
      {blocked, "0", "Extracting logic.0... Error!\nCannot open logic.0.\n", 1, {}},
      // A write that the file system refuses; an empty resource writes nothing.
      {logic_zero(large), "0", write_error, 1, cut_short, kWriteLimit},
      {logic_zero({}, 0), "0", "Extracting logic.0... Done.\n", 0, {{"logic.0", {}}}, kWriteLimit},
  });
}
