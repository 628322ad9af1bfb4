// Logics: a logic's bytes turned into the source text its author would type, and the object
// file's item list. Nothing here opens a file or allocates: the bytes come in, and the text
// goes out a block at a time into memory the caller owns.
#ifndef KESK_LOGICS_LOGICS_H
#define KESK_LOGICS_LOGICS_H

#include <cstddef>
#include <cstdint>

// Messages are enciphered with the object file's key, kObjectKey.
#include "converters/converters.h"

// The longest logic a resource holds.
constexpr size_t kMaxLogicLength = 65535;

// The smallest buffer next_logic_text and next_object_listing accept: every piece of text
// they write at once (a test, a statement, a quoted message) fits in it.
constexpr size_t kLogicTextBlockSize = 128 * 1024;

// --- The side files ------------------------------------------------------------------------

// What the logic texts need of "words.tok" and "object": the word of each said group and the
// name of each item. Built once per run from the files' bytes, which must outlive it; the
// tables live in working memory the caller allocates (logic_side_files_size bytes).
struct LogicSideFiles;

// The bytes of working memory read_logic_side_files needs for side files of these lengths.
size_t logic_side_files_size(size_t words_length, size_t object_length);

// Reads the side files (either may be absent: null and 0) into `memory`, which holds
// logic_side_files_size(words_length, object_length) bytes aligned for any type, and returns
// the tables, which point into it.
const LogicSideFiles* read_logic_side_files(const uint8_t* words, size_t words_length,
                                            const uint8_t* object, size_t object_length,
                                            void* memory);

// --- The text of a logic -------------------------------------------------------------------

// Everything the text of one logic is made from, in fixed tables; large, so a caller keeps
// one, not one on the stack.
struct LogicText;

// The size of a LogicText, for a caller that allocates one.
size_t logic_text_size();

// Reads the logic's bytes (at most kMaxLogicLength of them) and prepares its text. The data
// and the side files must outlive the text; `side` may be null (numbers stand in).
void start_logic_text(const uint8_t* data, size_t length, const LogicSideFiles* side,
                      LogicText* text);

// Writes the next bytes of the text into `buffer` (at least kLogicTextBlockSize bytes) and
// returns how many; 0 once the whole text has been given.
size_t next_logic_text(LogicText* text, char* buffer, size_t capacity);

// --- The item list ---------------------------------------------------------------------------

// objects.txt, given a block at a time.
struct ObjectListing {
  const uint8_t* data;
  size_t length;
  bool enciphered;  // the table is read in its deciphered form
  size_t item_count;
  size_t next_item;
};

void start_object_listing(const uint8_t* object, size_t length, ObjectListing* listing);

// Writes the next lines of the listing into `buffer` (at least kLogicTextBlockSize bytes) and
// returns how many bytes; 0 once every line has been given.
size_t next_object_listing(ObjectListing* listing, char* buffer, size_t capacity);

#endif  // KESK_LOGICS_LOGICS_H
