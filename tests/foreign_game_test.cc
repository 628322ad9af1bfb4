// kesk on game directories as they arrive from elsewhere: input names in DOS upper case,
// links planted at the output names, and FIFOs and directories where files should be.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/game_builder.h"

namespace {

const std::string kBanner = "KESK - AGI system extractor\n\n";

// Every type, two volumes, "object" and "words.tok".
FileTree small_game() {
  FileTree game;
  add_resource(game, 0, 0, 0, bytes_of("logic zero"));
  add_resource(game, 0, 2, 1, pattern_bytes(300, 2));
  add_resource(game, 1, 0, 1, pattern_bytes(1000, 3));
  add_resource(game, 2, 1, 0, pattern_bytes(3000, 4));
  add_resource(game, 3, 0, 1, bytes_of("sound"));
  game["object"] = object_cipher(bytes_of("lamp, brass key, rope"));
  game["words.tok"] = vocabulary_file({{{0, "anyone", 7}}, {{0, "bye", 300}}});
  return game;
}

std::string upper_case(std::string name) {
  for (char& c : name) {
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

FileTree with_upper_case_names(const FileTree& game) {
  FileTree upper;
  for (const auto& [name, contents] : game) {
    upper[upper_case(name)] = contents;
  }
  return upper;
}

// The tree with `more` laid over it.
FileTree merged(FileTree tree, const FileTree& more) {
  for (const auto& [name, contents] : more) {
    tree[name] = contents;
  }
  return tree;
}

// What a run left beyond the game it started from.
FileTree outputs_of(const FileTree& tree, const FileTree& game) {
  FileTree outputs;
  for (const auto& [name, contents] : tree) {
    if (game.count(name) == 0) {
      outputs[name] = contents;
    }
  }
  return outputs;
}

// A file of this name holding one logic resource 0 whose data is the file's own label.
FileTree volume_named(const std::string& name) {
  return {{name, volume_record(bytes_of(name))}};
}

bool posix_only() {
  return running_windows_binary();
}

}  // namespace

TEST(ForeignGame, UpperCaseNamesExtractAsTheirLowerCaseCopy) {
  const FileTree lower = small_game();
  const FileTree upper = with_upper_case_names(lower);
  const std::vector<std::vector<std::string>> commands = {
      {"-a"}, {"-l", "2"}, {"-v", "ALL"}, {"-o"},
      {"-w"}, {"--png"},   {"--text"},    {"--midi", "--wav"}};
  for (const std::vector<std::string>& args : commands) {
    ScratchRun expected = run_in_scratch(lower, args);
    ScratchRun run = run_in_scratch(upper, args);
    EXPECT_EQ(run.result.out, expected.result.out) << args[0];
    EXPECT_EQ(run.result.status, 0) << args[0];
    EXPECT_EQ(run.result.err, "") << args[0];
    EXPECT_EQ(run.tree, merged(upper, outputs_of(expected.tree, lower))) << args[0];
  }
  ScratchRun everything = run_in_scratch(upper, {"-a"});
  EXPECT_EQ(everything.result.out,
            kBanner +
                "Please wait while extracting...\n"
                "Extracting logic files... Done.\nExtracting picture files... Done.\n"
                "Extracting view files... Done.\nExtracting sound files... Done.\n"
                "Converting decrypted object file to object.new... Done.\n"
                "Converting words.tok to words.txt... Done.\n\nAll done!\n");
  EXPECT_EQ(everything.tree["logic/logic.2"], pattern_bytes(300, 2));
  EXPECT_EQ(everything.tree["object.new"], bytes_of("lamp, brass key, rope"));

  // Messages keep the lower-case names.
  FileTree missing_volume = upper;
  missing_volume.erase("VOL.1");
  ScratchRun missing = run_in_scratch(missing_volume, {"-l", "2"});
  EXPECT_EQ(missing.result.out, kBanner + "Extracting logic.2... Error!\nCannot open vol.1.");
  EXPECT_EQ(missing.result.status, 1);
  EXPECT_EQ(missing.tree, missing_volume);
}

TEST(ForeignGame, TakesTheExactNameFirstThenTheFirstSpellingInByteOrder) {
  if (posix_only()) {
    GTEST_SKIP() << "Windows file names ignore letter case";
  }
  const Bytes entry = directory_entry(0, 0);
  struct Case {
    FileTree game;
    std::string out;
    int status;
    std::string extracted;  // the label of the volume read, if any
  };
  const std::string done = "Extracting logic.0... Done.\n";
  const Case cases[] = {
      {merged(volume_named("vol.0"), volume_named("VOL.0")), done, 0, "vol.0"},
      {merged(merged(volume_named("Vol.0"), volume_named("vOL.0")), volume_named("VOL.0")), done, 0,
       "VOL.0"},
      // The exact name is there but is no file: no other spelling is tried.
      {merged(volume_named("VOL.0"), {{"vol.0/", {}}}),
       "Extracting logic.0... Error!\nCannot open vol.0.", 1, ""},
      // The first spelling is no file: nor are the later ones tried.
      {merged(volume_named("Vol.0"), {{"VOL.0/", {}}}),
       "Extracting logic.0... Error!\nCannot open vol.0.", 1, ""},
  };
  for (const Case& c : cases) {
    for (const char* directory_name : {"LOGDIR", "LogDir"}) {
      FileTree game = merged(c.game, {{directory_name, entry}});
      ScratchRun run = run_in_scratch(game, {"-l", "0"});
      FileTree left = game;
      if (!c.extracted.empty()) {
        left["logic.0"] = bytes_of(c.extracted);
      }
      EXPECT_EQ(run.result.out, kBanner + c.out) << c.extracted << directory_name;
      EXPECT_EQ(run.result.status, c.status) << c.extracted << directory_name;
      EXPECT_EQ(run.tree, left) << c.extracted << directory_name;
    }
  }
  // Of two directory files, "LOGDIR" comes first and names resource 0 in vol.1.
  FileTree two = merged(volume_named("vol.0"), volume_named("vol.1"));
  two["LOGDIR"] = directory_entry(1, 0);
  two["LogDir"] = directory_entry(0, 0);
  ScratchRun run = run_in_scratch(two, {"-l", "0"});
  EXPECT_EQ(run.result.out, kBanner + "Extracting logic.0... Done.\n");
  EXPECT_EQ(run.tree["logic.0"], bytes_of("vol.1"));

  // A link of the exact name that leads nowhere is no file.
  FileTree dangling = merged(volume_named("VOL.0"), {{"logdir", entry}});
  run = run_in_scratch(dangling, {"-l", "0"}, {{SpecialFile::kSymbolicLink, "vol.0", "nowhere"}});
  EXPECT_EQ(run.result.out, kBanner + "Extracting logic.0... Done.\n");
  EXPECT_EQ(run.tree["logic.0"], bytes_of("VOL.0"));
}

TEST(ForeignGame, ReplacesLinksAtOutputNamesAndTouchesNothingOutside) {
  if (posix_only()) {
    GTEST_SKIP() << "links are POSIX only here";
  }
  const std::string outside = make_scratch_directory();
  const FileTree outside_files = {{"kept", bytes_of("not for kesk")}, {"room/", {}}};
  write_tree(outside, outside_files);
  const std::string kept = outside + "/kept";
  FileTree game = small_game();
  game["logic/"] = {};
  game["view/"] = {};
  struct Case {
    std::vector<std::string> args;
    SpecialFile link;
  };
  const Case cases[] = {
      {{"-l", "0"}, {SpecialFile::kSymbolicLink, "logic.0", kept}},
      {{"-l", "0"}, {SpecialFile::kSymbolicLink, "logic.0", outside + "/made"}},
      {{"-l", "ALL"}, {SpecialFile::kSymbolicLink, "logic/logic.0", kept}},
      {{"-o"}, {SpecialFile::kSymbolicLink, "object.new", kept}},
      {{"-o"}, {SpecialFile::kSymbolicLink, "object.new", "object"}},
      {{"-o"}, {SpecialFile::kHardLink, "object.new", "object"}},
      {{"-w"}, {SpecialFile::kSymbolicLink, "words.txt", kept}},
      {{"-w"}, {SpecialFile::kHardLink, "words.txt", "words.tok"}},
      {{"--png", "-p", "0"}, {SpecialFile::kSymbolicLink, "picture.0.priority.png", kept}},
      {{"--png"}, {SpecialFile::kSymbolicLink, "view/view.1.png", kept}},
      {{"--text"}, {SpecialFile::kSymbolicLink, "objects.txt", kept}},
      {{"--text", "-l", "0"}, {SpecialFile::kSymbolicLink, "logic.0.txt", kept}},
      {{"--midi", "--wav", "-s", "0"}, {SpecialFile::kSymbolicLink, "sound.0.wav", kept}},
  };
  for (const Case& c : cases) {
    ScratchRun expected = run_in_scratch(game, c.args);
    ScratchRun run = run_in_scratch(game, c.args, {c.link});
    EXPECT_EQ(run.result.out, expected.result.out) << c.link.name << " " << c.link.target;
    EXPECT_EQ(run.result.status, 0) << c.link.name;
    EXPECT_EQ(run.tree, expected.tree) << c.link.name << " " << c.link.target;
    EXPECT_EQ(read_tree(outside), outside_files) << c.link.name << " " << c.link.target;
  }

  // A type directory that is a link is not followed.
  FileTree linked = small_game();
  ScratchRun run =
      run_in_scratch(linked, {"-a"}, {{SpecialFile::kSymbolicLink, "logic", outside + "/room"}});
  EXPECT_EQ(run.result.out, kBanner +
                                "Please wait while extracting...\nExtracting logic files... "
                                "Error!\nCannot open logic/logic.0.\n");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.tree, merged(linked, {{"logic", bytes_of("-> " + outside + "/room")}}));
  EXPECT_EQ(read_tree(outside), outside_files);
  run = run_in_scratch(linked, {"--png"},
                       {{SpecialFile::kSymbolicLink, "picture", outside + "/room"}});
  EXPECT_EQ(run.result.out,
            kBanner + "Drawing picture files... Error!\nCannot open picture/picture.0.png.\n");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(read_tree(outside), outside_files);
  run = run_in_scratch(linked, {"--wav", "--text"},
                       {{SpecialFile::kSymbolicLink, "sound", outside + "/room"}});
  EXPECT_EQ(run.result.out, kBanner +
                                "Converting sound files to WAV... Error!\nCannot open "
                                "sound/sound.0.wav.\n");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(read_tree(outside), outside_files);
  // With nothing to extract, the walk ends as usual.
  run = run_in_scratch({{"logdir", {}}}, {"-l", "ALL"},
                       {{SpecialFile::kSymbolicLink, "logic", outside + "/room"}});
  EXPECT_EQ(run.result.out, kBanner + "Extracting logic files... Done.\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(read_tree(outside), outside_files);
  remove_tree(outside);
}

TEST(ForeignGame, NeverWaitsOnFifosNorOpensDirectoriesInPlaceOfFiles) {
  if (posix_only()) {
    GTEST_SKIP() << "FIFOs are POSIX only";
  }
  const FileTree game = small_game();
  auto without = [&](const std::string& name) {
    FileTree less = game;
    less.erase(name);
    return less;
  };
  auto fifo = [](const std::string& name) {
    return std::vector<SpecialFile>{{SpecialFile::kFifo, name, ""}};
  };
  struct Case {
    FileTree game;
    std::vector<SpecialFile> specials;
    std::vector<std::string> args;
    std::string out;
    int status;
  };
  const std::string volume_error = "Extracting logic.0... Error!\nCannot open vol.0.";
  const Case cases[] = {
      {without("logdir"), fifo("logdir"), {"-l", "ALL"}, "Cannot open logdir.", 1},
      {without("logdir"), fifo("logdir"), {"-l", "0"}, "Cannot open logdir\n", 1},
      {without("logdir"),
       {{SpecialFile::kSymbolicLink, "logdir", "/dev/null"}},
       {"-a"},
       "Please wait while extracting...\nCannot open logdir.",
       1},
      {without("vol.0"), fifo("vol.0"), {"-l", "0"}, volume_error, 1},
      {merged(without("vol.0"), {{"vol.0/", {}}}), {}, {"-l", "0"}, volume_error, 1},
      {without("object"), fifo("object"), {"-o"}, "Couldn't open file: object\n", 0},
      {merged(without("words.tok"), {{"words.tok/", {}}}),
       {},
       {"-w"},
       "Couldn't open file: words.tok\n",
       0},
      {game,
       fifo("logic.0"),
       {"-l", "0"},
       "Extracting logic.0... Error!\nCannot open logic.0.\n",
       1},
      {merged(game, {{"logic/", {}}}),
       fifo("logic/logic.0"),
       {"-l", "ALL"},
       "Extracting logic files... Error!\nCannot open logic/logic.0.\n",
       1},
      {game, fifo("object.new"), {"-o"}, "Couldn't create outfile!\n", 0},
      {game, fifo("words.txt"), {"-w"}, "Couldn't create outfile!\n", 0},
      {without("picdir"), fifo("picdir"), {"--png"}, "Cannot open picdir.", 1},
      {game,
       fifo("picture.0.png"),
       {"--png", "-p", "0"},
       "Drawing picture.0... Error!\nCannot open picture.0.png.\n",
       1},
      {without("object"),
       fifo("object"),
       {"--text", "-l", "7"},
       "Decoding logic.7... Error!\nFile doesn't exist.\n",
       1},
      {game,
       fifo("sound.0.mid"),
       {"--midi", "-s", "0"},
       "Converting sound.0 to MIDI... Error!\nCannot open sound.0.mid.\n",
       1},
  };
  RunOptions options;
  options.time_limit_seconds = 20;
  for (const Case& c : cases) {
    ScratchRun run = run_in_scratch(c.game, c.args, c.specials, options);
    FileTree left = c.game;
    for (const SpecialFile& special : c.specials) {
      left[special.name] =
          bytes_of(special.kind == SpecialFile::kFifo ? "<fifo>" : "-> " + special.target);
    }
    EXPECT_EQ(run.result.out, kBanner + c.out);
    EXPECT_EQ(run.result.status, c.status) << c.out;
    EXPECT_EQ(run.result.err, "") << c.out;
    EXPECT_EQ(run.tree, left) << c.out;
  }
}

// Side files that are FIFOs or directories count as missing: the texts show numbers.
TEST(ForeignGame, TextsNeverWaitOnSideFiles) {
  if (posix_only()) {
    GTEST_SKIP() << "FIFOs are POSIX only";
  }
  FileTree game;
  add_resource(game, 0, 0, 0,
               logic_data({0xFF, 0x0E, 0x01, 0x07, 0x00, 0xFF, 0x02, 0x00, 0x5C, 0x00, 0x00}, {}));
  game["words.tok/"] = {};
  RunOptions options;
  options.time_limit_seconds = 20;
  ScratchRun run = run_in_scratch(game, {"--text"}, {{SpecialFile::kFifo, "object", ""}}, options);
  EXPECT_EQ(run.result.out,
            kBanner + "Decoding logic files... Done.\nCouldn't open file: object\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(text_of(run.tree["logic/logic.0.txt"]), "if (said(7)) {\n  get(i0);\n}\nreturn();\n");
}
