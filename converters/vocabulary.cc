#include <cstdio>

#include "converters/converters.h"
#include "platform/platform.h"

namespace {

constexpr int kLetterCount = 26;
// 51 characters and the terminator.
constexpr int kWordBufferSize = 52;
constexpr int kLongestWord = kWordBufferSize - 1;

// Two single-byte reads combined high byte first. A read at end of file gives -1 and
// takes part unmasked, so a cut-short pair comes out negative.
int read_big_endian_pair(FILE* input) {
  int high = fgetc(input);
  int low = fgetc(input);
  return high * 256 + low;
}

// Reads one record's characters into the word buffer from position `position` on, and
// terminates the word. Characters past the buffer's last character are read and dropped.
// Returns how many bytes were read.
int read_word_characters(FILE* input, int position, char* word) {
  int count = 0;
  int byte;
  do {
    byte = fgetc(input);
    ++count;
    if (position < kLongestWord) {
      word[position] = static_cast<char>((byte ^ 0x7F) & 0x7F);
    }
    ++position;
    // Bit 7 marks the word's last byte; -1 at end of file has it set as well.
  } while ((byte & 0x80) == 0 && !feof(input));
  word[position < kLongestWord ? position : kLongestWord] = '\0';
  return count;
}

// The smallest letter offset above `offset`, or -1 when there is none: where the next
// letter's list starts.
int next_letter_offset(const int* offsets, int offset) {
  int next = -1;
  for (int letter = 0; letter < kLetterCount; ++letter) {
    if (offsets[letter] > offset && (next < 0 || offsets[letter] < next)) {
      next = offsets[letter];
    }
  }
  return next;
}

// Writes the lines of one letter's word list, which starts at `offset` and runs up to the
// next letter's offset `list_end` (-1: to the end of the file). The word buffer keeps the
// previous word's characters, as the prefix counts expect. A prefix count of 0 ends the
// list only from `list_end` on: before it, the record is a word of its own (some games sort
// capitalised names ahead of "a" under one offset, each starting afresh).
bool write_letter_words(FILE* input, FILE* output, int offset, int list_end, char* word) {
  if (seek_file(input, offset, SEEK_SET) != 0) {
    return true;
  }
  int position = offset;
  int prefix = fgetc(input);
  ++position;
  bool written = true;
  // Offsets at or beyond the end of the file give a letter without words.
  while (!feof(input)) {
    position += read_word_characters(input, prefix, word);
    int group = read_big_endian_pair(input);
    position += 2;
    written = fprintf(output, "%03d %s\n", group, word) >= 0 && written;
    int prefix_position = position;
    prefix = fgetc(input);
    ++position;
    if (prefix == 0 && (list_end < 0 || prefix_position >= list_end)) {
      break;
    }
  }
  return written;
}

}  // namespace

void convert_vocabulary() {
  // The input is opened first, so a missing "words.tok" leaves an old listing untouched.
  FILE* input = open_input_file("words.tok");
  if (input == nullptr) {
    printf("Couldn't open file: words.tok\n");
    return;
  }
  FILE* output = create_output_file(working_directory(), "words.txt");
  if (output == nullptr) {
    printf("Couldn't create outfile!\n");
    fclose(input);
    return;
  }
  printf("Converting words.tok to words.txt... ");

  int offsets[kLetterCount];
  for (int& offset : offsets) {
    offset = read_big_endian_pair(input);
  }
  char word[kWordBufferSize] = {};
  bool written = true;
  for (int letter = 0; letter < kLetterCount; ++letter) {
    written = fprintf(output, "*** %c\n", 'A' + letter) >= 0 && written;
    // 0 marks a letter without words; a negative offset comes from a cut-short index.
    if (offsets[letter] > 0) {
      int list_end = next_letter_offset(offsets, offsets[letter]);
      written = write_letter_words(input, output, offsets[letter], list_end, word) && written;
    }
  }
  written = close_output_file(output) == 0 && written;
  fclose(input);
  printf(written ? "Done.\n" : "Error!\nWrite error!\n");
}
