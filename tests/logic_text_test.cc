// Logic texts and the item listing, made in process from logics and side files built byte by
// byte, against texts written out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "logics/logics.h"
#include "tests/game_builder.h"

namespace {

struct Freer {
  void operator()(void* memory) const { free(memory); }
};

std::string logic_text(const Bytes& logic, const Bytes& words = {}, const Bytes& object = {}) {
  std::unique_ptr<void, Freer> memory(malloc(logic_side_files_size(words.size(), object.size())));
  const LogicSideFiles* side =
      read_logic_side_files(words.empty() ? nullptr : words.data(), words.size(),
                            object.empty() ? nullptr : object.data(), object.size(), memory.get());
  std::unique_ptr<void, Freer> text(malloc(logic_text_size()));
  LogicText* state = static_cast<LogicText*>(text.get());
  start_logic_text(logic.data(), logic.size(), side, state);
  std::string result;
  std::vector<char> buffer(kLogicTextBlockSize);
  while (size_t size = next_logic_text(state, buffer.data(), buffer.size())) {
    result.append(buffer.data(), size);
  }
  return result;
}

const Bytes kWorkedExample = {
    0x2D, 0x00, 0xFF, 0x07, 0x05, 0xFF, 0x05, 0x00, 0x18, 0x00, 0x19, 0x00, 0x1A, 0xFF, 0xFC,
    0x0E, 0x01, 0x14, 0x00, 0x0E, 0x02, 0x14, 0x00, 0x2D, 0x00, 0xFC, 0xFD, 0x01, 0x1E, 0x02,
    0xFF, 0x07, 0x00, 0x65, 0x01, 0x01, 0x1E, 0xFE, 0x03, 0x00, 0xFE, 0x03, 0x00, 0x03, 0x1F,
    0x05, 0x00, 0x01, 0x0C, 0x00, 0x04, 0x00, 0x00, 0x56, 0x1D, 0x01, 0x45, 0x21, 0x5B, 0x72};

const char kPictureLines[] =
    "if (isset(f5)) {\n  load.pic(v0);\n  draw.pic(v0);\n  show.pic();\n}\n";

}  // namespace

TEST(LogicText, WritesTheWorkedExampleWholeAndCut) {
  std::string tail =
      "  print(\"A tree.\");\n  v30++;\n}\nelse {\n  goto(Label1);\n}\n"
      "v31 = 5;\nLabel1:\nreturn();\n\n#message 1 \"A tree.\"\n";
  EXPECT_EQ(logic_text(kWorkedExample),
            kPictureLines + std::string("if ((said(20) || said(20, 45)) && v30 != 2) {\n") + tail);
  // A said group is written as the first word the list spells for it, but not "looks", which
  // comes after, nor a word another group already spelt.
  Bytes words = vocabulary_file({{},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {{0, "look", 20}, {4, "s", 20}, {0, "tree", 45}},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {},
                                 {{0, "tree", 3}}});
  EXPECT_EQ(logic_text(kWorkedExample, words),
            kPictureLines +
                std::string("if ((said(\"look\") || said(\"look\", \"tree\")) && v30 != 2) {\n") +
                tail);

  Bytes cut(kWorkedExample.begin(), kWorkedExample.begin() + 38);
  EXPECT_EQ(logic_text(cut),
            kPictureLines + std::string("#bytes FF FC 0E 01 14 00 0E 02 14 00 2D 00 FC FD 01 1E\n"
                                        "#bytes 02 FF 07 00\nprint(m1);\nv30++;\n#bytes FE\n\n"
                                        "#header 2D 00\n#section\n"));
}

TEST(LogicText, WritesNotsGroupsAndComparisons) {
  // !(isset || !said) && !!equaln && lessv; a group with one test; an empty group and body.
  Bytes code = {0xFF, 0xFD, 0xFC, 0x07, 0x01, 0xFD, 0x0E, 0x00, 0xFC, 0xFD, 0xFD, 0x01, 0x02,
                0x03, 0x04, 0x05, 0x06, 0xFD, 0x06, 0x07, 0x08, 0xFF, 0x00, 0x00, 0xFF, 0xFC,
                0x0D, 0xFC, 0xFC, 0xFC, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(logic_text(logic_data(code, {})),
            "if (!(isset(f1) || !said()) && !!equaln(v2, 3) && v5 < v6 && v7 <= v8) {\n}\n"
            "if ((have.key()) && ()) {\n}\nif () {\n}\n");
}

TEST(LogicText, QuotesMessagesThatNameOneNumberOnly) {
  // Message 1 has a quote, a backslash, a line feed and a byte above 7E; 2 and 3 share a
  // text; 4 is named too often for its length.
  Bytes code = {0x65, 0x01, 0x65, 0x02, 0x72, 0x01, 0x03};
  for (int i = 0; i < 2; ++i) {
    code.insert(code.end(), {0x65, 0x04});
  }
  std::string long_text(2049, 'a');
  EXPECT_EQ(logic_text(logic_data(code, {"Say \"hi\"\\\n\x82", "same", "same", long_text})),
            "print(\"Say \\\"hi\\\"\\\\\\n\\x82\");\nprint(m2);\nset.string(s1, m3);\n"
            "print(m4);\nprint(m4);\n\n#message 1 \"Say \\\"hi\\\"\\\\\\n\\x82\"\n"
            "#message 2 \"same\"\n#message 3 \"same\"\n#message 4 \"" +
                long_text + "\"\n");
}

TEST(LogicText, KeepsTheBytesOfADamagedSection) {
  // One byte past the texts: the section is listed byte by byte and the text still quoted.
  Bytes data = logic_data({0x65, 0x01}, {"Hi"});
  data.push_back(0x7A);
  EXPECT_EQ(logic_text(data),
            "print(\"Hi\");\n\n#message 1 \"Hi\"\n\n#section 01 07 00 04 00 09 1F 69 7A\n");
  // A message running to the end of the data with no 00 is cut after 1,024 bytes.
  Bytes unended = {0x00, 0x00, 0x01, 0x04, 0x00, 0x04, 0x00};
  Bytes texts = object_cipher(Bytes(1030, 0x21));
  unended.insert(unended.end(), texts.begin(), texts.end());
  std::string text = logic_text(unended);
  EXPECT_EQ(text.substr(0, 1024 + 14), "#message 1 \"" + std::string(1024, '!') + "\"\n");
  EXPECT_EQ(text.substr(1024 + 14, 36), "\n#section 01 04 00 04 00 60 57 48 52");
}

TEST(LogicText, WritesRawRunsSixteenToALineAndStartsOneAtALabel) {
  // 17 undecodable bytes, a jump outside the code, then a label target that starts a new run.
  Bytes code(17, 0xC0);
  code.insert(code.end(), {0xFE, 0x40, 0x00, 0xFE, 0x00, 0x00, 0xB6, 0xB7, 0x00});
  EXPECT_EQ(logic_text(logic_data(code, {})),
            "#bytes C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0 C0\n#bytes C0 FE 40 00\n"
            "goto(Label1);\nLabel1:\n#bytes B6 B7\nreturn();\n");
}

TEST(ObjectListing, ListsItemsOfAnEncipheredFileAndNamesThemInLogics) {
  // Items 0 and 3 share a name; item 4's runs to the end of the file.
  Bytes plain = object_table({{"?", 0}, {"Pocket Lint", 255}, {"Car Key", 2}, {"?", 3}, {"", 4}});
  plain.push_back(0x82);
  plain[3 + 12] = static_cast<unsigned char>(plain.size() - 4);
  Bytes object = object_cipher(plain);
  ObjectListing listing;
  start_object_listing(object.data(), object.size(), &listing);
  std::vector<char> buffer(kLogicTextBlockSize);
  size_t size = next_object_listing(&listing, buffer.data(), buffer.size());
  EXPECT_EQ(std::string(buffer.data(), size),
            "000 000 \"?\"\n001 255 \"Pocket Lint\"\n002 002 \"Car Key\"\n003 003 \"?\"\n"
            "004 004 \"\\x82\"\n");
  EXPECT_EQ(next_object_listing(&listing, buffer.data(), buffer.size()), 0u);

  Bytes code = {0x5C, 0x02, 0x5E, 0x00, 0x5F, 0x04, 0x04, 0x5C, 0x09};
  EXPECT_EQ(logic_text(logic_data(code, {}), {}, object),
            "get(\"Car Key\");\ndrop(i0);\nput(\"\\x82\", v4);\nget(i9);\n");
}

// Bytes that decode to nothing keep their place as raw bytes, and reading goes on at the next
// byte; ifs and jumps that do not fit their block are raw too.
TEST(LogicText, WritesWhatCannotBeDecodedAsBytes) {
  const struct {
    Bytes code;
    const char* text;
  } cases[] = {
      {{0x01, 0x05, 0xB6, 0xFD, 0x03, 0x1E}, "v5++;\n#bytes B6 FD 03 1E\n"},
      // An FF inside a group, a not before the group's end, a not before the FF, no test.
      {{0xFF, 0xFC, 0x07, 0x01, 0xFF, 0x00, 0x00, 0xFF, 0xFC, 0x07, 0x01, 0xFD, 0xFC, 0xFF,
        0x00, 0x00, 0xFF, 0xFD, 0xFF, 0x00, 0x00, 0xFF, 0x13, 0xFF, 0x00, 0x00, 0x00},
       "#bytes FF FC\nv1 -= 255;\nreturn();\nreturn();\n#bytes FF FC\nv1 -= 253;\n#bytes FC "
       "FF\nreturn();\nreturn();\n#bytes FF FD FF\nreturn();\nreturn();\n#bytes "
       "FF\nnew.room.v(v255);\nreturn();\nreturn();\nreturn();\n"},
      {{0x00, 0xFF, 0x0E, 0x02, 0x01, 0x00}, "return();\n#bytes FF\ntoggle(f2);\nv0++;\n"},
      {{0x00, 0xFF, 0x07, 0x01, 0xFF, 0x00}, "return();\n#bytes FF\nv1 -= 255;\nreturn();\n"},
      // Jumps before the code, past it, into a unit, and one cut short.
      {{0xFE, 0xF0, 0xFF, 0xFE, 0x10, 0x00, 0x03, 0x01, 0x02, 0xFE, 0xFC, 0xFF, 0x00, 0xFE, 0x01},
       "#bytes FE F0 FF FE 10 00\nv1 = 2;\n#bytes FE FC FF\nreturn();\n#bytes FE 01\n"},
      // An if whose block runs past the block around it.
      {{0xFF, 0x07, 0x01, 0xFF, 0x06, 0x00, 0xFF, 0x07, 0x02, 0xFF, 0x04, 0x00, 0x0C, 0x01, 0x0C,
        0x02, 0x0C, 0x03, 0x00},
       "if (isset(f1)) {\n  #bytes FF 07 02 FF 04 "
       "00\n}\nset(f1);\nset(f2);\nset(f3);\nreturn();\n"},
      // A label starts a new run of bytes.
      {{0xFE, 0x01, 0x00, 0xB6, 0xB7, 0xB8, 0x00},
       "goto(Label1);\n#bytes B6\nLabel1:\n#bytes B7 B8\nreturn();\n"},
      {{0xFF, 0xFD, 0xFD, 0x01, 0x1E, 0x05, 0xFD, 0xFC, 0x07, 0x01, 0xFC,
        0xFC, 0xFC, 0xFF, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00},
       "if (!!equaln(v30, 5) && !(isset(f1)) && ()) {\n  return();\n}\nif () {\n  return();\n}\n"},
      {{0xFF, 0x02, 0x01, 0x02, 0xFD, 0x03, 0x01, 0x09, 0xFD, 0x04, 0x01, 0x02, 0x05, 0x01,
        0x07, 0xFD, 0x06, 0x03, 0x04, 0xFD, 0x0D, 0x0F, 0x01, 0x02, 0xFF, 0x01, 0x00, 0x00},
       "if (v1 == v2 && v1 >= 9 && v1 >= v2 && v1 > 7 && v3 <= v4 && !have.key() && "
       "compare.strings(s1, s2)) {\n  return();\n}\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(logic_text(logic_data(c.code, {})), c.text);
  }
}

// Words longer than 64 characters and words a group before spelt stay numbers; a plain
// object file is read as stored, and names two items share stay numbers.
TEST(LogicText, QuotesOnlyWordsAndNamesThatReadBack) {
  Bytes words =
      vocabulary_file({{{0, std::string(65, 'a'), 1}, {0, "and", 2}, {3, "y", 3}, {1, "nd", 4}}});
  Bytes object = object_table({{"lamp", 1}, {"lamp", 2}, {"key", 3}});
  Bytes code = {0xFF, 0x0E, 0x04, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04,
                0x00, 0xFF, 0x06, 0x00, 0x5C, 0x00, 0x5C, 0x01, 0x5C, 0x02};
  EXPECT_EQ(logic_text(logic_data(code, {}), words, object),
            "if (said(1, \"and\", \"andy\", 4)) {\n  get(i0);\n  get(i1);\n  get(\"key\");\n}\n");
}
