// "kesk -w" run on vocabularies built byte by byte, with the whole listing checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/game_builder.h"

static const std::string kBanner = "KESK - AGI system extractor\n\n";
static const std::string kConverting = "Converting words.tok to words.txt... ";

// Every heading from A to Z, each followed by that letter's lines.
static std::string listing(const std::map<char, std::string>& lines) {
  std::string text;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    text += std::string("*** ") + letter + "\n";
    auto found = lines.find(letter);
    if (found != lines.end()) {
      text += found->second;
    }
  }
  return text;
}

// An index holding the given offsets (all others 0), then `body` from byte 52 on.
static Bytes indexed_file(const std::map<char, int>& offsets, const Bytes& body) {
  Bytes file(52, 0);
  for (const auto& [letter, offset] : offsets) {
    file[(letter - 'A') * 2] = static_cast<unsigned char>(offset >> 8);
    file[(letter - 'A') * 2 + 1] = static_cast<unsigned char>(offset);
  }
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

static Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

static Bytes record(int prefix, const std::string& characters, int group) {
  return encode_word_record({prefix, characters, group});
}

static Bytes cut(Bytes bytes, size_t count) {
  bytes.resize(bytes.size() - count);
  return bytes;
}

static void expect_listing(const Bytes& tok, const std::string& expected, const char* name) {
  // An old, longer listing is replaced whole.
  ScratchRun run = run_in_scratch({{"words.tok", tok}, {"words.txt", Bytes(5000, 'x')}}, {"-w"});
  EXPECT_EQ(run.result.out, kBanner + kConverting + "Done.\n") << name;
  EXPECT_EQ(run.result.status, 0) << name;
  EXPECT_EQ(run.result.err, "") << name;
  EXPECT_EQ(run.tree, (FileTree{{"words.tok", tok}, {"words.txt", bytes_of(expected)}})) << name;
}

TEST(ConvertVocabulary, DecodesWordListsWithPrefixesAndGroups) {
  const std::string w60 = "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh";
  const std::string w50 = "01234567890123456789012345678901234567890123456789";
  const std::string long_word = w60.substr(0, 40) + w50.substr(0, 11);
  const struct {
    const char* name;
    Bytes tok;
    std::map<char, std::string> lines;
  } cases[] = {
      {"listed example",
       indexed_file({{'L', 52}},
                    {0x00, 0x13, 0x10, 0x10, 0x94, 0x00, 0x0C, 0x03, 0x8C, 0x01, 0x2C, 0x00}),
       {{'L', "012 look\n300 loos\n"}}},
      {"no words", vocabulary_file({}), {}},
      // A prefix count of 0 ends the list: "box" is never shown.
      {"only B, padded and long groups",
       vocabulary_file({{}, {{0, "ball", 5}, {1, "e", 1234}, {2, "d", 65535}, {0, "box", 7}}}),
       {{'B', "005 ball\n1234 be\n65535 bed\n"}}},
      {"buffer starts empty", vocabulary_file({{{2, "x", 9}}}), {{'A', "009 \n"}}},
      // "at" leaves "ly" behind its terminator; prefix 5 keeps that terminator. C's first
      // record does not start afresh, so A's list reads on into it, and the buffer carries
      // "at" into C.
      {"shared prefixes",
       vocabulary_file(
           {{{0, "apple", 1}, {3, "ly", 2}, {1, "t", 3}, {5, "s", 4}}, {}, {{2, "e", 5}}}),
       {{'A', "001 apple\n002 apply\n003 at\n004 at\n005 ate\n"}, {'C', "005 ate\n"}}},
      // Names sorted ahead of "a" under A's offset each start afresh: a prefix count of 0
      // ends A's list only where B's starts.
      {"names before a",
       vocabulary_file({{{0, "Jeff", 2000},
                         {1, "oe", 2001},
                         {0, "Tobias", 2002},
                         {0, "a", 0},
                         {1, "ll", 1},
                         {1, "nyword", 1}},
                        {{0, "ball", 5}}}),
       {{'A', "2000 Jeff\n2001 Joe\n2002 Tobias\n000 a\n001 all\n001 anyword\n"},
        {'B', "005 ball\n"}}},
      {"long words",
       vocabulary_file({{{0, w60, 1}, {40, w50, 2}, {200, "z", 3}, {5, "q", 4}}}),
       {{'A', "001 " + w60.substr(0, 51) + "\n002 " + long_word + "\n003 " + long_word +
                  "\n004 abcdeq\n"}}},
      // A's list, after B's in the file, runs into the end; B's ends where A's starts.
      {"cut inside a word",
       indexed_file({{'A', 58}, {'B', 52}},
                    join({record(0, "dog", 7), record(0, "cat", 10), {1, 'o' ^ 0x7F}})),
       {{'A', "010 cat\n-257 co\n"}, {'B', "007 dog\n"}}},
      {"cut after the characters",
       indexed_file({{'A', 52}}, cut(record(0, "hat", 3), 2)),
       {{'A', "-257 hat\n"}}},
      {"cut inside the group",
       indexed_file({{'A', 52}}, cut(record(0, "hat", 0x0203), 1)),
       {{'A', "511 hat\n"}}},
      {"cut before the closing 0",
       indexed_file({{'A', 52}}, record(0, "hat", 3)),
       {{'A', "003 hat\n"}}},
      {"offsets at and beyond the end",
       indexed_file({{'A', 1000}, {'B', 52}, {'C', 58}}, record(0, "dog", 7)),
       {{'B', "007 dog\n"}}},
      {"index cut short", {0x00, 0x34, 0x00}, {}},
      {"empty file", {}, {}},
  };
  for (const auto& c : cases) {
    expect_listing(c.tok, listing(c.lines), c.name);
  }
}

// A few hundred sorted words of 2 to 30 characters over several letters (a one-character
// word after the first would get prefix count 0 and end its list): the listing is the words.
TEST(ConvertVocabulary, ListsAGeneratedVocabulary) {
  std::vector<std::vector<WordRecord>> letters(26);
  std::map<char, std::string> lines;
  Bytes random = pattern_bytes(20000, 11);
  size_t next = 0;
  for (int letter : {0, 3, 4, 18, 25}) {
    std::vector<std::pair<std::string, int>> words;
    for (int i = 0; i < 80; ++i) {
      std::string word(1, static_cast<char>('a' + letter));
      for (int length = 2 + random[next++] % 29; length > 1; --length) {
        word += static_cast<char>('a' + random[next++] % 4);
      }
      words.push_back({word, (random[next] << 8 | random[next + 1])});
      next += 2;
    }
    std::sort(words.begin(), words.end());
    for (const auto& [word, group] : words) {
      char line[64];
      snprintf(line, sizeof line, "%03d %s\n", group, word.c_str());
      lines[static_cast<char>('A' + letter)] += line;
    }
    letters[letter] = compress_words(words);
  }
  expect_listing(vocabulary_file(letters), listing(lines), "generated");
}

TEST(ConvertVocabulary, FailuresReturnWithStatusZero) {
  const Bytes tok = vocabulary_file({{{0, "a", 1}}});
  // 2000 words of A make a listing of over 20000 bytes.
  std::vector<std::pair<std::string, int>> many;
  std::string lines;
  for (int i = 100; i < 2100; ++i) {
    many.push_back({"a" + std::to_string(i), i});
    lines += std::to_string(i) + " a" + std::to_string(i) + "\n";
  }
  const Bytes many_tok = vocabulary_file({compress_words(many)});
  const struct {
    FileTree game;
    long file_size_limit;
    std::string out;
    FileTree left;
  } cases[] = {
      // A missing input leaves an old listing alone.
      {{{"words.txt", bytes_of("old\n")}},
       0,
       "Couldn't open file: words.tok\n",
       {{"words.txt", bytes_of("old\n")}}},
      {{{"words.tok", tok}, {"words.txt/", {}}},
       0,
       "Couldn't create outfile!\n",
       {{"words.tok", tok}, {"words.txt/", {}}}},
      // A write refused by the file system past its first kWriteLimit bytes.
      {{{"words.tok", many_tok}},
       kWriteLimit,
       kConverting + "Error!\nWrite error!\n",
       {{"words.tok", many_tok},
        {"words.txt", bytes_of(listing({{'A', lines}}).substr(0, kWriteLimit))}}},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.file_size_limit = c.file_size_limit;
    ScratchRun run = run_in_scratch(c.game, {"-w"}, {}, options);
    EXPECT_EQ(run.result.out, kBanner + c.out);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.tree, c.left) << c.out;
  }
}
