// The command line: every argument form, the option messages and how the number is read.
#include <gtest/gtest.h>

#include <climits>

#include "cli/commands.h"
#include "tests/game_builder.h"

static const std::string kBanner = "KESK - AGI system extractor\n\n";

TEST(ReadNumberArgument, FollowsAtoiPrefixRulesAndSaturates) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},
      {"42", 42},
      {" \t\n\v\f\r7", 7},
      {"12abc", 12},
      {"+3", 3},
      {"-3", -3},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"1e5", 1},
      {"00012", 12},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"4294967296", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-99999999999", INT_MIN},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(read_number_argument(text), value) << '"' << text << '"';
  }
}

TEST(CommandLine, ChoosesTheCommandOrTheMessageForEveryArgumentForm) {
  FileTree game;
  add_resource(game, 0, 0, 0, bytes_of("zero"));
  add_resource(game, 0, 3, 0, bytes_of("three"));
  add_resource(game, 0, 12, 0, bytes_of("twelve"));
  const std::string invalid = "Invalid option : ";
  const std::string postive = "File number must be a postive number\n";
  const std::string missing = "Extracting logic.2147483647... Error!\nFile doesn't exist.\n";
  const FileTree zero = {{"logic.0", bytes_of("zero")}};
  const FileTree twelve = {{"logic.12", bytes_of("twelve")}};
  struct Case {
    std::vector<std::string> args;
    std::string out;  // after the banner
    int status;
    FileTree added;
  };
  const Case cases[] = {
      {{},
       "Usage: kesk -l logicnumber\n       kesk -s soundnumber\n       kesk -v viewnumber\n"
       "       kesk -p picturenumber\n       kesk -o\n       kesk -w\n       kesk -a\n\n"
       "You can use \"ALL\" instead of number to extract all files..\n",
       0,
       {}},
      // More than two arguments do nothing at all.
      {{"-l", "5", "6"}, "", 0, {}},
      {{"-l", "ALL", "x"}, "", 0, {}},
      // One argument: only the second character counts; no line end after the message.
      {{"-x"}, "Unknown option: -x", 0, {}},
      {{"-l"}, "Unknown option: -l", 0, {}},
      {{"-"}, "Unknown option: -", 0, {}},
      {{""}, "Unknown option: ", 0, {}},
      {{"/o"}, "Couldn't open file: object\n", 0, {}},
      {{"xwz"}, "Couldn't open file: words.tok\n", 0, {}},
      // The leading '-' is tested first, then the sign of the number, then the letter.
      {{"x", "5"}, invalid + "x\n", 0, {}},
      {{"x", "-5"}, invalid + "x\n", 0, {}},
      {{"", "ALL"}, invalid + "\n", 0, {}},
      {{"-x", "5"}, invalid + "-x\n", 0, {}},
      {{"-x", "ALL"}, invalid + "-x\n", 0, {}},
      {{"-", "5"}, invalid + "-\n", 0, {}},
      {{"-", "ALL"}, invalid + "-\n", 0, {}},
      {{"-L", "5"}, invalid + "-L\n", 0, {}},
      {{"-x", "-5"}, postive, 0, {}},
      {{"-l", "-3"}, postive, 0, {}},
      {{"-l", "-99999999999"}, postive, 0, {}},
      // Numbers by the atoi prefix rules; "ALL" only as the whole argument.
      {{"-l", "abc"}, "Extracting logic.0... Done.\n", 0, zero},
      {{"-l", "all"}, "Extracting logic.0... Done.\n", 0, zero},
      {{"-l", "ALLx"}, "Extracting logic.0... Done.\n", 0, zero},
      {{"-l", " 12abc"}, "Extracting logic.12... Done.\n", 0, twelve},
      {{"-logic", "+3"}, "Extracting logic.3... Done.\n", 0, {{"logic.3", bytes_of("three")}}},
      {{"-l", "99999999999"}, missing, 1, {}},
      {{"-l", "4294967296"}, missing, 1, {}},
      {{"-l", "ALL"},
       "Extracting logic files... Done.\n",
       0,
       {{"logic/", {}},
        {"logic/logic.0", bytes_of("zero")},
        {"logic/logic.3", bytes_of("three")},
        {"logic/logic.12", bytes_of("twelve")}}},
      {{"-sound", "ALL"}, "Cannot open snddir.", 1, {}},
  };
  for (const Case& c : cases) {
    std::string shown = "kesk";
    for (const std::string& arg : c.args) {
      shown += " [" + arg + "]";
    }
    // The one-argument commands run on an empty directory.
    const FileTree& input = c.args.size() == 1 ? FileTree() : game;
    ScratchRun run = run_in_scratch(input, c.args);
    FileTree left = input;
    left.insert(c.added.begin(), c.added.end());
    EXPECT_EQ(run.result.out, kBanner + c.out) << shown;
    EXPECT_EQ(run.result.status, c.status) << shown;
    EXPECT_EQ(run.result.err, "") << shown;
    EXPECT_EQ(run.tree, left) << shown;
  }
}
