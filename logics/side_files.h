// What the text of a logic asks of the side files, and the string escaping the texts and the
// item listing share. Internal to the library.
#ifndef KESK_LOGICS_SIDE_FILES_H
#define KESK_LOGICS_SIDE_FILES_H

#include <cstddef>
#include <cstdint>

#include "logics/logics.h"

// Words and item names longer than this are written as numbers.
constexpr int kMaxQuotedName = 64;

// The word said group `group` is written as, into `word` (kMaxQuotedName bytes); -1 when the
// group is written as its number. `side` may be null.
int quoted_word(const LogicSideFiles* side, unsigned group, uint8_t* word);

// The quoted, escaped name item `item` (0-255) is written as, and its length in `length`;
// null when it is written `iN`. `side` may be null.
const char* quoted_item(const LogicSideFiles* side, unsigned item, size_t* length);

// Writes the bytes as a string in double quotes at `out` (at most 4 bytes for each byte, and
// the quotes) and returns the end.
char* write_quoted(char* out, const uint8_t* bytes, size_t length);

// Writes one byte of a string as it stands between the quotes (1, 2 or 4 characters). Most
// bytes of a text stand for themselves, so that case is tried first.
inline char* write_string_byte(char* out, uint8_t byte) {
  if (byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\') {
    *out++ = static_cast<char>(byte);
    return out;
  }
  static const char kHex[] = "0123456789ABCDEF";
  *out++ = '\\';
  if (byte == '"' || byte == '\\') {
    *out++ = static_cast<char>(byte);
  } else if (byte == '\n') {
    *out++ = 'n';
  } else {
    *out++ = 'x';
    *out++ = kHex[byte >> 4];
    *out++ = kHex[byte & 0x0F];
  }
  return out;
}

#endif  // KESK_LOGICS_SIDE_FILES_H
