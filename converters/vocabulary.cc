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
void read_word_characters(FILE* input, int position, char* word) {
  int byte;
  do {
    byte = fgetc(input);
    if (position < kLongestWord) {
      word[position] = static_cast<char>((byte ^ 0x7F) & 0x7F);
    }
    ++position;
    // Bit 7 marks the word's last byte; -1 at end of file has it set as well.
  } while ((byte & 0x80) == 0 && !feof(input));
  word[position < kLongestWord ? position : kLongestWord] = '\0';
}

// Writes the lines of one letter's word list, which starts at `offset`. The word buffer
// keeps the previous word's characters, as the prefix counts expect.
bool write_letter_words(FILE* input, FILE* output, int offset, char* word) {
  if (seek_file(input, offset, SEEK_SET) != 0) {
    return true;
  }
  int prefix = fgetc(input);
  bool written = true;
  // Offsets at or beyond the end of the file give a letter without words.
  while (!feof(input)) {
    read_word_characters(input, prefix, word);
    int group = read_big_endian_pair(input);
    written = fprintf(output, "%03d %s\n", group, word) >= 0 && written;
    prefix = fgetc(input);
    if (prefix == 0) {
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
      written = write_letter_words(input, output, offsets[letter], word) && written;
    }
  }
  written = close_output_file(output) == 0 && written;
  fclose(input);
  printf(written ? "Done.\n" : "Error!\nWrite error!\n");
}
