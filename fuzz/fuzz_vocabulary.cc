// Fuzz target: the vocabulary converter (convert_vocabulary). The input is a leading setup
// byte (fuzz_support.h: the spelling and an obstacle at "words.tok" or "words.txt"), then the
// whole "words.tok" file. The converter must never end the process; unless the obstacle
// keeps it from opening its input or creating its output, it must report success and
// write a "words.txt" made of the 26 headings "*** A" to "*** Z" in order, each
// followed by word lines: a group number (-257 to 65535, as "%03d" prints it), a blank and
// at most 51 characters, none of them 0 or above 0x7F. Nothing else may change, in the game
// directory or beside it.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

constexpr int kLetterCount = 26;
constexpr size_t kLongestWord = 51;

// The group number at `position` up to its blank, printed the way "%03d" prints it.
// Returns the position after the blank, or 0 when there is no such number.
size_t skip_group_number(const std::string& text, size_t position) {
  size_t blank = text.find(' ', position);
  if (blank == std::string::npos || blank == position || blank - position > 6) {
    return 0;
  }
  std::string token = text.substr(position, blank - position);
  int value = 0;
  char rest = 0;
  if (sscanf(token.c_str(), "%d%c", &value, &rest) != 1 || value < -257 || value > 65535) {
    return 0;
  }
  char canonical[16];
  snprintf(canonical, sizeof canonical, "%03d", value);
  return token == canonical ? blank + 1 : 0;
}

// A word may itself hold a line feed, so the listing is parsed as a search over
// (position, headings seen) rather than line by line.
bool is_valid_listing(const std::string& text) {
  struct State {
    size_t position;
    int headings;
  };
  std::vector<uint32_t> seen(text.size() + 1, 0);
  std::vector<State> pending = {{0, 0}};
  while (!pending.empty()) {
    State state = pending.back();
    pending.pop_back();
    if ((seen[state.position] >> state.headings) & 1) {
      continue;
    }
    seen[state.position] |= 1u << state.headings;
    if (state.position == text.size() && state.headings == kLetterCount) {
      return true;
    }
    if (state.headings < kLetterCount) {
      std::string heading = std::string("*** ") + static_cast<char>('A' + state.headings) + "\n";
      if (text.compare(state.position, heading.size(), heading) == 0) {
        pending.push_back({state.position + heading.size(), state.headings + 1});
      }
    }
    size_t word = state.headings > 0 ? skip_group_number(text, state.position) : 0;
    if (word == 0) {
      continue;
    }
    for (size_t length = 0; length <= kLongestWord && word + length < text.size(); ++length) {
      unsigned char c = static_cast<unsigned char>(text[word + length]);
      if (c == '\n') {
        pending.push_back({word + length + 1, state.headings});
      }
      if (c == 0 || c > 0x7F) {
        break;
      }
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SideSetup setup = decode_side_setup(size > 0 ? data[0] : 0);
  Bytes words(data + (size > 0 ? 1 : 0), data + size);
  Scene scene = side_scene("words.tok", words, "words.txt", setup);
  Outcome outcome = run_operation(scene, Operation::kConvertVocabulary, 0, 0);
  ExpectedOutcome expected = unchanged_scene(scene);
  expected.out = expected_side_refusal(setup, "words.tok");
  auto listing = outcome.tree.find("words.txt");
  if (expected.out.empty()) {
    expected.out = "Converting words.tok to words.txt... Done.\n";
    // Whatever the listing says, it must be one: a link left in place or a file written
    // through is no listing.
    if (listing != outcome.tree.end()) {
      if (!is_valid_listing(text_of(listing->second))) {
        fprintf(stderr, "words.txt:\n%s\n", text_of(listing->second).c_str());
        fuzz_failure("words.txt is not a listing of headings and word lines", outcome,
                     expected.out);
      }
      expected.tree["words.txt"] = listing->second;
    }
  }
  expect_outcome(outcome, expected);
  return 0;
}
