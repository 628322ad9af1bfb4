// "kesk -a" run on small complete games and on games with files missing.
#include <gtest/gtest.h>

#include "tests/game_builder.h"

static const std::string kStart =
    "KESK - AGI system extractor\n\nPlease wait while extracting...\n";
static const std::string kTypeLines[4] = {
    "Extracting logic files... Done.\n",
    "Extracting picture files... Done.\n",
    "Extracting view files... \nError! view.0 - extreme filesize (0 bytes)!\nDone.\n",
    "Extracting sound files... Done.\n",
};
static const std::string kObjectLine = "Converting decrypted object file to object.new... Done.\n";
static const std::string kVocabularyLine = "Converting words.tok to words.txt... Done.\n";
static const std::string kEnd = "\nAll done!\n";

static const Bytes kObjectText = bytes_of("lamp, brass key, rope");
static const Bytes kListing = bytes_of(
    "*** A\n007 anyone\n008 anyword\n*** B\n300 bye\n*** C\n*** D\n*** E\n*** F\n*** G\n*** H\n"
    "*** I\n*** J\n*** K\n*** L\n*** M\n*** N\n*** O\n*** P\n*** Q\n*** R\n*** S\n*** T\n"
    "*** U\n*** V\n*** W\n*** X\n*** Y\n*** Z\n");

// Two volumes, logic entry 1 absent, view 0 of length 0 and the two side files.
static FileTree sample_game() {
  FileTree game;
  add_resource(game, 0, 0, 0, bytes_of("logic zero"));
  add_resource(game, 0, 2, 1, pattern_bytes(300, 2));
  add_resource(game, 1, 0, 1, pattern_bytes(1000, 3));
  add_resource(game, 2, 0, 0, Bytes(), 0);
  add_resource(game, 2, 1, 0, pattern_bytes(30000, 4));
  add_resource(game, 3, 0, 1, bytes_of("sound"));
  game["object"] = object_cipher(kObjectText);
  game["words.tok"] = vocabulary_file({{{0, "anyone", 7}, {3, "word", 8}}, {{0, "bye", 300}}});
  return game;
}

// What the extraction of the first `types` types adds to the game.
static FileTree extracted(int types) {
  const FileTree by_type[4] = {
      {{"logic/", {}},
       {"logic/logic.0", bytes_of("logic zero")},
       {"logic/logic.2", pattern_bytes(300, 2)}},
      {{"picture/", {}}, {"picture/picture.0", pattern_bytes(1000, 3)}},
      {{"view/", {}}, {"view/view.1", pattern_bytes(30000, 4)}},
      {{"sound/", {}}, {"sound/sound.0", bytes_of("sound")}},
  };
  FileTree files;
  for (int type = 0; type < types; ++type) {
    files.insert(by_type[type].begin(), by_type[type].end());
  }
  return files;
}

static FileTree merged(FileTree tree, const FileTree& more) {
  tree.insert(more.begin(), more.end());
  return tree;
}

static void expect_run(const FileTree& game, const std::string& argument, const std::string& out,
                       int status, const FileTree& left) {
  ScratchRun run = run_in_scratch(game, {argument});
  EXPECT_EQ(run.result.out, out) << argument;
  EXPECT_EQ(run.result.status, status) << argument;
  EXPECT_EQ(run.result.err, "") << argument;
  EXPECT_EQ(run.tree, left) << argument;
}

TEST(ExtractEverything, RunsEveryStepForEachArgumentForm) {
  const FileTree game = sample_game();
  const FileTree left =
      merged(merged(game, extracted(4)), {{"object.new", kObjectText}, {"words.txt", kListing}});
  for (const char* argument : {"-a", "/a", "xa", "-abc"}) {
    expect_run(game, argument,
               kStart + kTypeLines[0] + kTypeLines[1] + kTypeLines[2] + kTypeLines[3] +
                   kObjectLine + kVocabularyLine + kEnd,
               0, left);
  }
}

TEST(ExtractEverything, StopsAtAFatalFailureAndGoesOnPastConverterFailures) {
  FileTree no_sound_directory = sample_game();
  no_sound_directory.erase("snddir");
  expect_run(no_sound_directory, "-a",
             kStart + kTypeLines[0] + kTypeLines[1] + kTypeLines[2] + "Cannot open snddir.", 1,
             merged(no_sound_directory, extracted(3)));

  // Picture 1 lies in a volume the game does not have.
  FileTree missing_volume = sample_game();
  add_resource(missing_volume, 1, 1, 2, bytes_of("lost"));
  missing_volume.erase("vol.2");
  expect_run(missing_volume, "-a",
             kStart + kTypeLines[0] + "Extracting picture files... Error!\nCannot open vol.2.", 1,
             merged(merged(missing_volume, extracted(1)),
                    {{"picture/", {}}, {"picture/picture.0", pattern_bytes(1000, 3)}}));

  FileTree no_object = sample_game();
  no_object.erase("object");
  expect_run(no_object, "-a",
             kStart + kTypeLines[0] + kTypeLines[1] + kTypeLines[2] + kTypeLines[3] +
                 "Couldn't open file: object\n" + kVocabularyLine + kEnd,
             0, merged(no_object, merged(extracted(4), {{"words.txt", kListing}})));

  FileTree no_vocabulary = sample_game();
  no_vocabulary.erase("words.tok");
  expect_run(no_vocabulary, "-a",
             kStart + kTypeLines[0] + kTypeLines[1] + kTypeLines[2] + kTypeLines[3] + kObjectLine +
                 "Couldn't open file: words.tok\n" + kEnd,
             0, merged(no_vocabulary, merged(extracted(4), {{"object.new", kObjectText}})));
}
