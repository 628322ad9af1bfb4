// Fuzz target: the text of a logic and the item listing. The input's first two bytes give
// the lengths of a words.tok (8 bytes a unit) and an object file (4 bytes a unit) that
// follow them; the rest is the logic. Every text must be lines of printable ASCII, none
// ending in a space, and no longer than the bound a logic of its length allows.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "logics/logics.h"

namespace {

std::vector<char> buffer(kLogicTextBlockSize);
std::vector<unsigned char> text_memory(logic_text_size());

void check(bool good, const char* what) {
  if (!good) {
    fprintf(stderr, "%s\n", what);
    abort();
  }
}

// Checks one block; `last` is the byte before it (0A at the start of a text).
void check_block(const char* block, size_t size, char* last) {
  for (size_t i = 0; i < size; ++i) {
    char c = block[i];
    check((c >= 0x20 && c <= 0x7E) || c == '\n', "a byte that is neither printable nor 0A");
    check(!(c == '\n' && *last == ' '), "a line ending in a space");
    *last = c;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) {
    return 0;
  }
  size_t words_length = data[0] * size_t{8};
  size_t object_length = data[1] * size_t{4};
  data += 2;
  size -= 2;
  words_length = words_length < size ? words_length : size;
  const uint8_t* words = data;
  data += words_length;
  size -= words_length;
  object_length = object_length < size ? object_length : size;
  const uint8_t* object = data;
  data += object_length;
  size -= object_length;
  if (size > kMaxLogicLength) {
    return 0;
  }

  std::vector<unsigned char> side_memory(logic_side_files_size(words_length, object_length));
  const LogicSideFiles* side =
      read_logic_side_files(words, words_length, object, object_length, side_memory.data());
  LogicText* text = reinterpret_cast<LogicText*>(text_memory.data());
  start_logic_text(data, size, side, text);
  size_t total = 0;
  char last = '\n';
  while (size_t block = next_logic_text(text, buffer.data(), buffer.size())) {
    check(block <= buffer.size(), "a block larger than the buffer");
    check_block(buffer.data(), block, &last);
    total += block;
  }
  check(last == '\n', "a last line without its 0A");
  check(total <= 170 * size + 5 * 1024 * 1024, "a text longer than its bound");

  ObjectListing listing;
  start_object_listing(object, object_length, &listing);
  last = '\n';
  while (size_t block = next_object_listing(&listing, buffer.data(), buffer.size())) {
    check_block(buffer.data(), block, &last);
  }
  check(last == '\n', "a listing line without its 0A");
  return 0;
}
