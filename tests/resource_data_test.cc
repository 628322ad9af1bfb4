// Resources read into memory in this process, as the single extraction and the bulk walk
// read them before writing: exact lengths, zero padding, refused lengths and skipped entries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/resources.h"
#include "tests/game_builder.h"

namespace {

Bytes contents(const ResourceData& data) {
  return data.bytes == nullptr ? Bytes() : Bytes(data.bytes, data.bytes + data.length);
}

// Lays out the game in a fresh scratch directory made the working directory for the test,
// and checks afterwards that reading left the game as it was.
class InMemory : public ::testing::Test {
 protected:
  void lay_out(const FileTree& game) {
    game_ = game;
    ASSERT_NE(getcwd(start_, sizeof start_), nullptr);
    scratch_ = make_scratch_directory();
    write_tree(scratch_, game);
    ASSERT_EQ(chdir(scratch_.c_str()), 0);
  }
  void TearDown() override {
    if (scratch_.empty()) {
      return;
    }
    EXPECT_EQ(chdir(start_), 0);
    EXPECT_EQ(read_tree(scratch_), game_) << "reading changed the game's files";
    remove_tree(scratch_);
  }
  FileTree game_;
  std::string scratch_;
  char start_[4096];
};

}  // namespace

TEST_F(InMemory, LoadsExactlyTheDeclaredLengthOrRefusesANegativeOne) {
  FileTree game;
  add_resource(game, 2, 0, 0, pattern_bytes(300, 1));
  add_resource(game, 2, 1, 1, pattern_bytes(40000, 3));
  add_resource(game, 2, 3, 0, {}, 0);
  game["vol.2"] = {1, 2, 3, 0x10};  // ends inside the length field
  set_entry(game, 2, 4, directory_entry(2, 0));
  add_resource(game, 2, 5, 3, pattern_bytes(20, 2), 50);  // vol.3 ends 30 bytes early
  lay_out(game);

  struct Case {
    int number;
    bool loaded;
    Bytes data;
  };
  Bytes padded = pattern_bytes(20, 2);
  padded.resize(50, 0);
  const Case cases[] = {
      {0, true, pattern_bytes(300, 1)},
      {1, true, pattern_bytes(40000, 3)},
      {3, true, {}},
      {4, false, {}},
      {5, true, padded},
  };
  std::string printed;
  std::string expected;
  for (const Case& c : cases) {
    ::testing::internal::CaptureStdout();
    ResourceData data = {nullptr, 99};
    bool loaded = load_resource(2, c.number, "<%s %d> ", &data);
    printed += ::testing::internal::GetCapturedStdout();
    expected += "<view " + std::to_string(c.number) + "> ";
    if (!c.loaded) {
      expected += "Error!\n view." + std::to_string(c.number) + " - file too big!\n";
    }
    EXPECT_EQ(loaded, c.loaded) << c.number;
    EXPECT_EQ(data.length, c.data.size()) << c.number;
    EXPECT_EQ(contents(data), c.data) << c.number;
    // An empty resource holds no memory.
    EXPECT_EQ(data.bytes == nullptr, c.data.empty()) << c.number;
    release_resource(&data);
    EXPECT_EQ(data.bytes, nullptr);
    EXPECT_EQ(data.length, 0u);
  }
  EXPECT_EQ(printed, expected);
}

TEST_F(InMemory, WalksThePresentEntriesInOrderAndStaysOver) {
  FileTree game;
  add_resource(game, 1, 0, 0, pattern_bytes(10, 1));
  set_entry(game, 1, 1, {0xFF, 0xFF, 0xFF});
  add_resource_at(game, 1, 2, 0, 0x1FF, pattern_bytes(65535, 2));
  add_resource(game, 1, 3, 1, {}, 0);
  add_resource(game, 1, 4, 1, pattern_bytes(7, 4), 30);
  game["picdir"].push_back(0x00);  // a trailing partial entry
  lay_out(game);

  ::testing::internal::CaptureStdout();
  ResourceWalk walk;
  start_resource_walk(1, "[%s] ", &walk);
  std::vector<std::pair<int, Bytes>> found;
  int index = -1;
  ResourceData data;
  while (next_walk_resource(&walk, &index, &data)) {
    found.emplace_back(index, contents(data));
    release_resource(&data);
  }
  EXPECT_EQ(data.bytes, nullptr);
  EXPECT_EQ(data.length, 0u);
  // Once over, the walk gives nothing more.
  EXPECT_FALSE(next_walk_resource(&walk, &index, &data));
  finish_resource_walk(&walk);
  std::string printed = ::testing::internal::GetCapturedStdout();

  Bytes padded = pattern_bytes(7, 4);
  padded.resize(30, 0);
  const std::vector<std::pair<int, Bytes>> expected = {
      {0, pattern_bytes(10, 1)}, {2, pattern_bytes(65535, 2)}, {4, padded}};
  EXPECT_EQ(found, expected);
  EXPECT_EQ(printed, "[picture] \nError! picture.3 - extreme filesize (0 bytes)!\n");
}
