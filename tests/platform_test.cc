// The POSIX platform layer in this process: spellings remembered across opens, reads by
// position, and streams that cannot seek.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "tests/game_builder.h"

namespace {

// What the input of that name holds, read through a stream, or "(none)" when it cannot be
// opened.
std::string read_input(const char* name) {
  FILE* input = open_input_file(name);
  if (input == nullptr) {
    return "(none)";
  }
  char text[64] = {};
  size_t got = fread(text, 1, sizeof text - 1, input);
  fclose(input);
  return std::string(text, got);
}

// The same, read by position.
std::string read_positioned(const char* name) {
  PositionedInput input;
  if (!open_positioned_input(name, &input)) {
    return "(none)";
  }
  char text[64] = {};
  size_t got = read_at(input, 0, text, sizeof text - 1);
  close_positioned_input(&input);
  return std::string(text, got);
}

// Runs the checks in a fresh scratch directory made the working directory.
class InScratch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(start_, sizeof start_), nullptr);
    scratch_ = make_scratch_directory();
    ASSERT_EQ(chdir(scratch_.c_str()), 0);
  }
  void TearDown() override {
    EXPECT_EQ(chdir(start_), 0);
    remove_tree(scratch_);
  }
  std::string scratch_;
  char start_[4096];
};

using PlatformFiles = InScratch;

}  // namespace

TEST_F(PlatformFiles, FollowsASpellingThatChangesBetweenOpens) {
  write_tree(".", {{"OBJECT", bytes_of("upper")}});
  EXPECT_EQ(read_input("object"), "upper");
  // The spelling found first has gone: the directory is looked through again.
  ASSERT_EQ(rename("OBJECT", "Object"), 0);
  EXPECT_EQ(read_positioned("object"), "upper");
  ASSERT_EQ(unlink("Object"), 0);
  EXPECT_EQ(read_input("object"), "(none)");
  EXPECT_EQ(read_positioned("object"), "(none)");
  // Names too long to be remembered, and more names than are remembered, are still found.
  write_tree(".", {{"A-LONGER-INPUT-NAME", bytes_of("long")}});
  EXPECT_EQ(read_input("a-longer-input-name"), "long");
  for (int i = 0; i < 40; ++i) {
    write_tree(".", {{"F" + std::to_string(i), bytes_of(std::to_string(i))}});
  }
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(read_positioned(("f" + std::to_string(i)).c_str()), std::to_string(i));
  }
}

// A spelling found once is opened first for the rest of the run; the exact name is tried
// again only when that spelling has gone.
TEST_F(PlatformFiles, OpensARememberedSpellingBeforeTheExactName) {
  write_tree(".", {{"VOL.0", bytes_of("upper")}, {"VOL.1", bytes_of("one")}});
  EXPECT_EQ(read_positioned("vol.0"), "upper");
  // A file of the exact name made after the spelling was found is not seen while the
  // spelling is there.
  write_tree(".", {{"vol.0", bytes_of("lower")}});
  EXPECT_EQ(read_positioned("vol.0"), "upper");
  EXPECT_EQ(read_input("vol.0"), "upper");
  // Once it has gone, the exact name is opened, and from then on first.
  ASSERT_EQ(unlink("VOL.0"), 0);
  EXPECT_EQ(read_positioned("vol.0"), "lower");
  write_tree(".", {{"VOL.0", bytes_of("upper again")}});
  EXPECT_EQ(read_positioned("vol.0"), "lower");
  EXPECT_EQ(read_input("vol.0"), "lower");
  // A remembered spelling that is no longer a regular file is no input, and no other
  // spelling is tried in its place.
  EXPECT_EQ(read_input("vol.1"), "one");
  ASSERT_EQ(unlink("VOL.1"), 0);
  ASSERT_EQ(mkdir("VOL.1", 0755), 0);
  write_tree(".", {{"Vol.1", bytes_of("capitalized")}});
  EXPECT_EQ(read_positioned("vol.1"), "(none)");
  EXPECT_EQ(read_input("vol.1"), "(none)");
}

TEST_F(PlatformFiles, ReadsByPositionAndMeasuresOnlyWhatCanSeek) {
  write_tree(".", {{"vol.0", bytes_of("0123456789")}});
  PositionedInput volume;
  ASSERT_TRUE(open_positioned_input("vol.0", &volume));
  char text[8] = {};
  EXPECT_EQ(read_at(volume, 7, text, sizeof text), 3u);
  EXPECT_EQ(std::string(text, 3), "789");
  EXPECT_EQ(read_at(volume, 2, text, 4), 4u);
  EXPECT_EQ(std::string(text, 4), "2345");
  EXPECT_EQ(read_at(volume, 20, text, sizeof text), 0u);
  close_positioned_input(&volume);

  FILE* stream = open_input_file("vol.0");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(measure_file(stream), 10);
  fclose(stream);
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  FILE* pipe_stream = fdopen(ends[0], "rb");
  EXPECT_EQ(measure_file(pipe_stream), -1);
  fclose(pipe_stream);
  close(ends[1]);
}
