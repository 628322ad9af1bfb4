// The object-file cipher, and "kesk -o" run on object files built byte by byte.
#include <gtest/gtest.h>

#include "converters/converters.h"
#include "tests/game_builder.h"

static const std::string kBanner = "KESK - AGI system extractor\n\n";

TEST(XorObjectBuffer, RepeatsTheKeyEveryElevenBytes) {
  Bytes data(12, 0);
  xor_object_buffer(data.data(), data.size());
  EXPECT_EQ(data, (Bytes{0x41, 0x76, 0x69, 0x73, 0x20, 0x44, 0x75, 0x72, 0x67, 0x61, 0x6E, 0x41}));
}

TEST(XorObjectBuffer, MatchesTheCipherAcrossBlockEdgesAndUndoesItself) {
  for (size_t length : {0, 1, 175, 176, 177, 5000}) {
    Bytes input = pattern_bytes(length, static_cast<uint32_t>(length));
    Bytes data = input;
    xor_object_buffer(data.data(), length);
    EXPECT_EQ(data, object_cipher(input)) << length;
    xor_object_buffer(data.data(), length);
    EXPECT_EQ(data, input) << length;
  }
}

// The label comes from the sixth byte as read; a file without one counts as enciphered.
TEST(ConvertObjectFile, LabelsFromTheSixthByteAndWritesTheCipheredFile) {
  struct Case {
    Bytes object;
    const char* label;
  };
  Bytes large = pattern_bytes(5000, 7);
  large[5] = 0;
  const Case cases[] = {
      {{1, 2, 3, 4, 5, 6}, "decrypted"},
      {{1, 2, 3, 4, 5, 0, 7, 8, 9, 10, 11, 12}, "encrypted"},
      {{0x41}, "encrypted"},
      {{1, 2, 3, 4, 5}, "encrypted"},
      {object_cipher(bytes_of(std::string("lamp\0\0key\0", 10))), "decrypted"},
      {large, "encrypted"},
  };
  for (const Case& c : cases) {
    // An old, longer object.new is replaced whole.
    ScratchRun run =
        run_in_scratch({{"object", c.object}, {"object.new", Bytes(9000, 'x')}}, {"-o"});
    EXPECT_EQ(run.result.out,
              kBanner + "Converting " + c.label + " object file to object.new... Done.\n");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.tree, (FileTree{{"object", c.object}, {"object.new", object_cipher(c.object)}}))
        << c.object.size();
  }
}

TEST(ConvertObjectFile, FailuresReturnWithStatusZero) {
  const Bytes object = {9, 8, 7, 6, 5, 4, 3};
  const Bytes large = pattern_bytes(20000, 4);
  const Bytes ciphered = object_cipher(large);
  struct Case {
    FileTree game;
    long file_size_limit;
    std::string out;
    FileTree left;
  };
  const Case cases[] = {
      {{{"object", {}}}, 0, "Read error!\n", {{"object", {}}, {"object.new", {}}}},
      {{}, 0, "Couldn't open file: object\n", {}},
      {{{"object", object}, {"object.new/", {}}},
       0,
       "Couldn't create outfile!\n",
       {{"object", object}, {"object.new/", {}}}},
      // A write refused by the file system past its first kWriteLimit bytes.
      {{{"object", large}},
       kWriteLimit,
       "Converting decrypted object file to object.new... Error!\nWrite error!\n",
       {{"object", large},
        {"object.new", Bytes(ciphered.begin(), ciphered.begin() + kWriteLimit)}}},
  };
  for (const Case& c : cases) {
    RunOptions options;
    options.file_size_limit = c.file_size_limit;
    ScratchRun run = run_in_scratch(c.game, {"-o"}, {}, options);
    EXPECT_EQ(run.result.out, kBanner + c.out);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.tree, c.left) << c.out;
  }
}
