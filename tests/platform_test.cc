// The POSIX platform layer in this process: spellings remembered across opens, and streams
// that cannot seek.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "tests/game_builder.h"

namespace {

// What the input of that name holds, or "(none)" when it cannot be opened.
std::string read_input(const char* name) {
  FILE* input = open_input_file(name);
  if (input == nullptr) {
    return "(none)";
  }
  char text[64] = {};
  size_t got = read_at(input, 0, text, sizeof text - 1);
  fclose(input);
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
  EXPECT_EQ(read_input("object"), "upper");
  ASSERT_EQ(unlink("Object"), 0);
  EXPECT_EQ(read_input("object"), "(none)");
  // Names too long to be remembered, and more names than are remembered, are still found.
  write_tree(".", {{"A-LONGER-INPUT-NAME", bytes_of("long")}});
  EXPECT_EQ(read_input("a-longer-input-name"), "long");
  for (int i = 0; i < 40; ++i) {
    write_tree(".", {{"F" + std::to_string(i), bytes_of(std::to_string(i))}});
  }
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(read_input(("f" + std::to_string(i)).c_str()), std::to_string(i));
  }
}

TEST_F(PlatformFiles, ReadsByPositionAndMeasuresOnlyWhatCanSeek) {
  write_tree(".", {{"vol.0", bytes_of("0123456789")}});
  FILE* volume = open_input_file("vol.0");
  ASSERT_NE(volume, nullptr);
  char text[8] = {};
  EXPECT_EQ(read_at(volume, 7, text, sizeof text), 3u);
  EXPECT_EQ(std::string(text, 3), "789");
  EXPECT_EQ(read_at(volume, 20, text, sizeof text), 0u);
  EXPECT_EQ(measure_file(volume), 10);
  fclose(volume);

  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  FILE* pipe_stream = fdopen(ends[0], "rb");
  EXPECT_EQ(measure_file(pipe_stream), -1);
  fclose(pipe_stream);
  close(ends[1]);
}
