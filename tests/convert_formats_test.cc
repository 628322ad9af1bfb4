// "kesk --text", "--midi" and "--wav" run on games built byte by byte: logics as source
// text, the item list, and sounds as MIDI and WAV files, with every file left checked.
#include <gtest/gtest.h>

#include "tests/game_builder.h"

namespace {

const std::string kBanner = "KESK - AGI system extractor\n\n";

// An if/else whose condition holds an or-group with a not, said words and an item; a goto
// over a print; messages with a quote, a byte above 7E, and two texts alike.
Bytes scripted_logic() {
  Bytes code = {0xFF, 0xFC, 0x0E, 0x01, 0x14, 0x00, 0xFD, 0x07, 0x03,
                0xFC, 0x09, 0x01, 0xFF, 0x07, 0x00,        // if, its block 7 bytes long
                0x65, 0x01, 0x5C, 0x01, 0xFE, 0x02, 0x00,  // print, get, the jump over the else
                0x65, 0x02,                                // the else block
                0xFF, 0x07, 0x05, 0xFF, 0x03, 0x00, 0xFE, 0x02, 0x00,  // if (isset(f5)) goto
                0x65, 0x03, 0x00};
  return logic_data(code, {"He said \"hi\"\x82", "Again.", "Again."});
}

const char kScriptedText[] =
    "if ((said(\"look\") || !isset(f3)) && has(\"brass key\")) {\n"
    "  print(\"He said \\\"hi\\\"\\x82\");\n"
    "  get(\"brass key\");\n"
    "}\n"
    "else {\n"
    "  print(m2);\n"
    "}\n"
    "if (isset(f5)) {\n"
    "  goto(Label1);\n"
    "}\n"
    "print(m3);\n"
    "Label1:\n"
    "return();\n"
    "\n"
    "#message 1 \"He said \\\"hi\\\"\\x82\"\n"
    "#message 2 \"Again.\"\n"
    "#message 3 \"Again.\"\n";

// Cut short: the code's length says 10 bytes and 8 are there, an undecodable byte, and an if
// whose block runs past the code.
const Bytes kCutLogic = {0x0A, 0x00, 0xB6, 0xFF, 0x07, 0x05, 0xFF, 0x09, 0x00, 0x00};
const char kCutText[] =
    "#bytes B6 FF 07 05 FF 09 00\n"
    "return();\n"
    "\n"
    "#header 0A 00\n"
    "#section\n";

// A message section whose text lacks its 0 and whose end offset is wrong.
const Bytes kOddSection = {0x01, 0x00, 0x00, 0x01, 0x04, 0x00, 0x04, 0x00, 'H' ^ 0x41, 'i' ^ 0x76};
const char kOddSectionText[] =
    "return();\n"
    "\n"
    "#message 1 \"Hi\"\n"
    "\n"
    "#section 01 04 00 04 00 09 1F\n";

FileTree scripted_game() {
  FileTree game;
  add_resource(game, 0, 0, 0, scripted_logic());
  add_resource(game, 0, 1, 0, kCutLogic);
  add_resource(game, 0, 3, 0, kOddSection);
  game["words.tok"] =
      vocabulary_file({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {{0, "look", 20}}});
  game["object"] = object_cipher(object_table({{"?", 0}, {"brass key", 255}, {"lamp", 2}}));
  return game;
}

TEST(ConvertFormats, WritesLogicsAsTextAndListsTheItems) {
  FileTree game = scripted_game();
  ScratchRun run = run_in_scratch(game, {"--text"});
  EXPECT_EQ(run.result.out, kBanner +
                                "Decoding logic files... Done.\n"
                                "Listing object in objects.txt... Done.\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.result.err, "");
  FileTree expected = game;
  expected["logic/"] = {};
  expected["logic/logic.0.txt"] = bytes_of(kScriptedText);
  expected["logic/logic.1.txt"] = bytes_of(kCutText);
  expected["logic/logic.3.txt"] = bytes_of(kOddSectionText);
  expected["objects.txt"] = bytes_of("000 000 \"?\"\n001 255 \"brass key\"\n002 002 \"lamp\"\n");
  EXPECT_EQ(run.tree, expected);

  // Without the side files numbers stand in, with no message; -l N never lists the items.
  game.erase("words.tok");
  game.erase("object");
  ScratchRun single = run_in_scratch(game, {"--text", "-l", "0"});
  EXPECT_EQ(single.result.out, kBanner + "Decoding logic.0... Done.\n");
  std::string text = text_of(single.tree["logic.0.txt"]);
  EXPECT_EQ(text.rfind("if ((said(20) || !isset(f3)) && has(i1)) {\n  print(", 0), 0u) << text;
  EXPECT_NE(text.find("\n  get(i1);\n"), std::string::npos) << text;
  EXPECT_EQ(single.tree.size(), game.size() + 1);

  // A missing object file is reported in place of the listing, and the run goes on.
  ScratchRun missing = run_in_scratch(game, {"--text"});
  EXPECT_EQ(missing.result.out,
            kBanner + "Decoding logic files... Done.\nCouldn't open file: object\n");
  EXPECT_EQ(missing.result.status, 0);
  EXPECT_EQ(missing.tree.count("objects.txt"), 0u);
}

TEST(ConvertFormats, FailuresEndTheRunBeforeLaterFormats) {
  FileTree game = scripted_game();
  // An item list that cannot be created ends the run with status 1.
  game["objects.txt/"] = {};
  ScratchRun blocked = run_in_scratch(game, {"--text", "--midi"});
  EXPECT_EQ(blocked.result.out, kBanner +
                                    "Decoding logic files... Done.\n"
                                    "Listing object in objects.txt... Error!\n"
                                    "Cannot open objects.txt.\n");
  EXPECT_EQ(blocked.result.status, 1);
  // A logic text that cannot be created ends the run.
  game.erase("objects.txt/");
  game["logic.1.txt/"] = {};
  ScratchRun text_first = run_in_scratch(game, {"--text", "-l", "1"});
  EXPECT_EQ(text_first.result.out,
            kBanner + "Decoding logic.1... Error!\nCannot open logic.1.txt.\n");
  EXPECT_EQ(text_first.result.status, 1);
  // No snddir: the sounds' walk ends the run, and the text never starts.
  ScratchRun no_sounds = run_in_scratch(game, {"--wav", "--text"});
  EXPECT_EQ(no_sounds.result.out, kBanner + "Cannot open snddir.");
  EXPECT_EQ(no_sounds.result.status, 1);
  EXPECT_EQ(no_sounds.tree, game);
}

// A short tune: voice 0 plays two notes and a rest, voice 3 a burst of white noise.
const Bytes kTune = {0x08, 0x00, 0x1E, 0x00, 0x20, 0x00, 0x22, 0x00, 0x0A, 0x00, 0x0F,
                     0x8E, 0x90, 0x05, 0x00, 0x0F, 0x8E, 0x90, 0x06, 0x00, 0x0B, 0x8E,
                     0x94, 0x04, 0x00, 0x00, 0x80, 0x9F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                     0xFF, 0x08, 0x00, 0x00, 0xE4, 0xF2, 0xFF, 0xFF};

TEST(ConvertFormats, WritesSoundsAsMidiAndWav) {
  FileTree game;
  add_resource(game, 3, 3, 0, kTune);
  ScratchRun run = run_in_scratch(game, {"--midi", "--wav", "-s", "3"});
  EXPECT_EQ(run.result.out, kBanner +
                                "Converting sound.3 to MIDI... Done.\n"
                                "Converting sound.3 to WAV... Done.\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.tree.size(), game.size() + 2);
  const Bytes midi = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x05, 0x00,
                      0x1E, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x0B, 0x00, 0xFF, 0x51, 0x03,
                      0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00,
                      0x00, 0x1B, 0x00, 0xC0, 0x50, 0x00, 0xE0, 0x52, 0x40, 0x00, 0x90, 0x45, 0x7F,
                      0x0F, 0x80, 0x45, 0x00, 0x00, 0x90, 0x4A, 0x50, 0x06, 0x80, 0x4A, 0x00, 0x04,
                      0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x0B, 0x00, 0xC1,
                      0x50, 0x00, 0xE1, 0x52, 0x40, 0x00, 0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B,
                      0x00, 0x00, 0x00, 0x0B, 0x00, 0xC2, 0x50, 0x00, 0xE2, 0x52, 0x40, 0x00, 0xFF,
                      0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x99, 0x2A,
                      0x65, 0x08, 0x89, 0x2A, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(run.tree["sound.3.mid"], midi);
  const Bytes& wav = run.tree["sound.3.wav"];
  ASSERT_EQ(wav.size(), 36794u);
  const Bytes header = {0x52, 0x49, 0x46, 0x46, 0xB2, 0x8F, 0x00, 0x00, 0x57, 0x41, 0x56,
                        0x45, 0x66, 0x6D, 0x74, 0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                        0x01, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x02,
                        0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0x8E, 0x8F, 0x00, 0x00};
  EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 44), header);
  auto sample = [&wav](size_t i) {
    return static_cast<int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
  };
  EXPECT_EQ(sample(0), 3023);
  EXPECT_EQ(sample(88), -11292);

  // The whole type goes into sound/; an empty sound is refused by the walk, as extraction
  // refuses it, and a damaged one still gives both files.
  add_resource(game, 3, 4, 0, {0x01, 0x02, 0x03});
  add_resource(game, 3, 5, 0, {}, 0);
  ScratchRun all = run_in_scratch(game, {"--wav", "--midi"});
  EXPECT_EQ(all.result.out,
            kBanner +
                "Converting sound files to WAV... \nError! sound.5 - extreme filesize (0 "
                "bytes)!\nDone.\nConverting sound files to MIDI... \nError! sound.5 - "
                "extreme filesize (0 bytes)!\nDone.\n");
  EXPECT_EQ(all.tree["sound/sound.3.mid"], midi);
  EXPECT_EQ(all.tree["sound/sound.3.wav"], wav);
  EXPECT_EQ(all.tree["sound/sound.4.wav"].size(), 44u);
  EXPECT_EQ(all.tree["sound/sound.4.mid"].size(), 14u + 19u + 3 * 19u + 12u);
  EXPECT_EQ(all.tree.size(), game.size() + 5);
}

}  // namespace
