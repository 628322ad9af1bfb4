// Keeps the committed sample game in step with its generator, and shows what kesk -a
// makes of it.
#include <gtest/gtest.h>

#include <set>

#include "examples/sample_game.h"

TEST(SampleGame, CommittedFilesMatchTheGenerator) {
  FileTree committed = read_tree(KESK_SAMPLE_GAME_DIR);
  FileTree generated = sample_game();
  ASSERT_EQ(committed.size(), generated.size());
  for (const auto& [name, contents] : generated) {
    ASSERT_EQ(committed.count(name), 1u) << name;
    EXPECT_TRUE(committed[name] == contents) << name << " differs: run make_sample_game";
  }
}

TEST(SampleGame, FullRunExtractsEverything) {
  std::string directory = make_scratch_directory();
  FileTree game = sample_game();
  write_tree(directory, game);

  RunResult run = run_kesk(directory, {"-a"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "KESK - AGI system extractor\n\n"
            "Please wait while extracting...\n"
            "Extracting logic files... Done.\n"
            "Extracting picture files... Done.\n"
            "Extracting view files... \nError! view.1 - extreme filesize (0 bytes)!\n"
            "Done.\n"
            "Extracting sound files... Done.\n"
            "Converting decrypted object file to object.new... Done.\n"
            "Converting words.tok to words.txt... Done.\n"
            "\nAll done!\n");

  FileTree after = read_tree(directory);
  std::set<std::string> names;
  for (const auto& [name, contents] : after) {
    names.insert(name);
    if (game.count(name) != 0) {
      EXPECT_TRUE(contents == game[name]) << name << " changed";
    }
  }
  std::set<std::string> expected;
  for (const auto& [name, contents] : game) {
    expected.insert(name);
  }
  for (const char* name :
       {"logic/", "logic/logic.0", "logic/logic.1", "logic/logic.2", "logic/logic.5", "picture/",
        "picture/picture.0", "picture/picture.1", "view/", "view/view.0", "view/view.2", "sound/",
        "sound/sound.0", "sound/sound.2", "object.new", "words.txt"}) {
    expected.insert(name);
  }
  EXPECT_EQ(names, expected);
  EXPECT_NE(text_of(after["object.new"]).find(std::string("brass key\0oil lamp", 18)),
            std::string::npos);
  EXPECT_EQ(text_of(after["words.txt"]).substr(0, 56),
            "*** A\n000 a\n001 all\n000 an\n001 and\n001 anyword\n*** B\n012");
  remove_tree(directory);
}

// The images and the tune the README shows are the sample's own, as kesk writes them.
TEST(SampleGame, DocumentedFilesAreWhatKeskWrites) {
  std::string directory = make_scratch_directory();
  write_tree(directory, sample_game());
  RunResult run = run_kesk(directory, {"--png", "--text", "--midi", "--wav"});
  EXPECT_EQ(run.status, 0);
  FileTree after = read_tree(directory);
  FileTree documented = read_tree(KESK_DOCS_DIR);
  EXPECT_TRUE(after["picture/picture.0.png"] == documented["sample-picture.png"]);
  EXPECT_TRUE(after["picture/picture.0.priority.png"] == documented["sample-priority.png"]);
  EXPECT_TRUE(after["view/view.0.png"] == documented["sample-view.png"]);
  EXPECT_TRUE(after["sound/sound.0.mid"] == documented["sample-tune.mid"]);
  EXPECT_TRUE(after["sound/sound.0.wav"] == documented["sample-tune.wav"]);
  // The room's script reads as its author would have typed it.
  std::string room = text_of(after["logic/logic.0.txt"]);
  EXPECT_NE(room.find("if (said(\"get\", \"key\") && !has(\"brass key\")) {\n"), std::string::npos)
      << room;
  EXPECT_EQ(text_of(after["objects.txt"]).substr(0, 32), "000 000 \"?\"\n001 000 \"brass key\"\n");
  remove_tree(directory);
}
