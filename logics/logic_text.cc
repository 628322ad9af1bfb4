// A logic's bytes read as code and messages, and written as the source text its author would
// type. start_logic_text reads everything once: where every unit starts, which ifs hold
// blocks, which jumps are elses and which gotos, and which messages may be quoted. The text
// is then written a piece at a time from those tables, so that it can stop anywhere between
// two pieces and go on at the next call.
#include <cstring>

#include "logics/commands.h"
#include "logics/logics.h"
#include "logics/side_files.h"

namespace {

// The code starts after its two length bytes.
constexpr uint32_t kMaxCode = kMaxLogicLength - 2;
// Every if is at least 4 bytes (FF FF and its length), so blocks nest at most this deep.
constexpr int kMaxDepth = kMaxCode / 4 + 2;
constexpr int kMaxMessages = 256;
// Beyond this many levels items are not indented further.
constexpr int kMaxIndent = 32;
// A message quoted this many times over costs more text than naming it by number.
constexpr uint64_t kMaxQuotedMessageText = 4096;
// A message section that is not laid out as the compilers lay it out has its texts cut.
constexpr uint32_t kMaxDamagedText = 1024;
// The most text one piece can write: a said test of 255 quoted words, each of 64 bytes
// that all need \x, and the separator before it.
constexpr size_t kLargestPiece = 68 * 1024;
// Long runs (not signs, message texts) are written in slices of this many bytes.
constexpr uint32_t kSlice = 4096;
// Escaped message texts are kept in a store of this size; real logics' texts fill a fraction.
constexpr uint32_t kEscapedStore = 64 * 1024;
constexpr int kRawBytesPerLine = 16;
constexpr uint16_t kNoJump = 0xFFFF;

constexpr uint8_t kIf = 0xFF;
constexpr uint8_t kJump = 0xFE;
constexpr uint8_t kNot = 0xFD;
constexpr uint8_t kOr = 0xFC;

// What is known of each code address.
enum : uint8_t {
  kUnitStart = 1,
  kRaw = 2,        // the unit is written as bytes
  kNests = 4,      // an if that holds a block
  kElse = 8,       // a jump that is the else of the if whose body it ends
  kLabelled = 16,  // a goto leads here
};

enum BlockKind : uint8_t { kCodeBlock, kBody, kElseBlock };
// Set on a block's kind once it has an item.
constexpr uint8_t kHasItem = 0x10;

enum Part : uint8_t { kCodePart, kMessagePart, kLayoutPart, kDone };
enum Mode : uint8_t { kUnits, kCondition, kRawRun };

struct Message {
  uint32_t start;   // data position of its first byte
  uint32_t length;  // as written (cut in a damaged section)
  uint32_t uses;    // message arguments naming it among the code's actions
  uint32_t hash;
  bool present;
  bool quoted;  // the code writes it as its text
  // Where its text stands escaped in the message store, written once for every mention;
  // `escaped_length` is 0 when it does not (an empty text, or no room).
  uint32_t escaped_at;
  uint32_t escaped_length;
};

}  // namespace

struct LogicText {
  const uint8_t* data;
  uint32_t length;
  const LogicSideFiles* side;
  const uint8_t* code;
  uint32_t code_length;
  bool short_data;   // the data ends before its code does: the length bytes are written
  uint32_t section;  // where the message section starts
  uint32_t texts;    // where its texts start, for the cipher
  bool canonical;    // the section is exactly what a compiler writes for its messages
  Message messages[kMaxMessages];
  // The messages' texts escaped, as the code and the message table write them.
  char escaped[kEscapedStore];
  uint32_t escaped_used;
  uint8_t flags[kMaxCode + 1];
  // A bit for each address where a unit starts, and one for each labelled address, 64 to a
  // word, so that the next unit and a label's number are found a word at a time.
  uint64_t unit_bits[kMaxCode / 64 + 2];
  uint64_t label_bits[kMaxCode / 64 + 2];
  uint16_t labels_before[kMaxCode / 64 + 2];  // labelled addresses below each 64
  // The open blocks, outermost first.
  uint16_t block_end[kMaxDepth];
  uint16_t block_last_jump[kMaxDepth];  // its last item, when that is a jump that may be an else
  uint8_t block_kind[kMaxDepth];
  int depth;

  // Where the writing stands.
  Part part;
  Mode mode;
  bool wrote_lines;  // a part has been written, so the next one starts after an empty line
  bool part_started;
  uint32_t at;
  // Inside a condition.
  uint32_t condition;
  uint32_t nots_left;
  bool test_next;  // the nots are written, the test or or-group they stand before comes next
  bool in_group;
  bool first_item;
  bool first_in_group;
  // Inside a run of raw units.
  uint32_t raw;
  uint32_t raw_end;
  // The message table and the layout lines.
  int message;
  uint32_t message_written;
  bool in_message;
  bool header_written;
  uint32_t section_written;
};

namespace {

uint32_t read_word(const uint8_t* bytes, uint32_t at) {
  return bytes[at] | static_cast<uint32_t>(bytes[at + 1]) << 8;
}

// --- Units -------------------------------------------------------------------------------------

uint32_t test_length(const uint8_t* code, uint32_t at) {
  if (code[at] == kSaidTest) {
    return 2 + 2 * static_cast<uint32_t>(code[at + 1]);
  }
  return 1 + static_cast<uint32_t>(kTests[code[at]].argument_count);
}

// The end of the if at `at` (after its block length), or 0 when its condition breaks the
// grammar: tests and or-groups, each after any number of nots, up to the closing FF.
uint32_t if_end(const uint8_t* code, uint32_t code_length, uint32_t at) {
  uint32_t position = at + 1;
  bool in_group = false;
  bool after_not = false;
  while (position < code_length) {
    uint8_t byte = code[position];
    if (byte == kIf) {
      if (in_group || after_not || position + 3 > code_length) {
        return 0;
      }
      return position + 3;
    }
    if (byte == kNot) {
      after_not = true;
      ++position;
      continue;
    }
    if (byte == kOr) {
      if (in_group && after_not) {
        return 0;
      }
      in_group = !in_group;
      after_not = false;
      ++position;
      continue;
    }
    if (byte == 0 || byte > kLastTest) {
      return 0;
    }
    if (byte == kSaidTest && position + 1 >= code_length) {
      return 0;
    }
    uint32_t length = test_length(code, position);
    if (position + length > code_length) {
      return 0;
    }
    after_not = false;
    position += length;
  }
  return 0;
}

// The length of the unit at `at`, or 0 when it cannot be decoded.
uint32_t unit_length(const uint8_t* code, uint32_t code_length, uint32_t at) {
  uint8_t byte = code[at];
  uint32_t length = 0;
  if (byte <= kLastAction) {
    length = 1 + static_cast<uint32_t>(kActions[byte].argument_count);
  } else if (byte == kIf) {
    uint32_t end = if_end(code, code_length, at);
    length = end == 0 ? 0 : end - at;
  } else if (byte == kJump) {
    length = 3;
  }
  return at + length <= code_length ? length : 0;
}

// Where the jump at `at` leads, which may lie outside the code.
int64_t jump_target(const LogicText* text, uint32_t at) {
  return at + 3 + static_cast<int64_t>(static_cast<int16_t>(read_word(text->code, at + 1)));
}

bool is_unit_start(const LogicText* text, int64_t address) {
  return address >= 0 && address <= text->code_length && (text->flags[address] & kUnitStart) != 0;
}

// The next unit boundary after `at`; the code's end is one, so there always is one.
uint32_t next_unit(const LogicText* text, uint32_t at) {
  ++at;
  uint32_t word = at / 64;
  uint64_t bits = text->unit_bits[word] >> (at % 64);
  if (bits != 0) {
    return at + static_cast<uint32_t>(__builtin_ctzll(bits));
  }
  do {
    ++word;
  } while (text->unit_bits[word] == 0);
  return word * 64 + static_cast<uint32_t>(__builtin_ctzll(text->unit_bits[word]));
}

void mark_unit_start(LogicText* text, uint32_t at) {
  text->flags[at] |= kUnitStart;
  text->unit_bits[at / 64] |= uint64_t{1} << (at % 64);
}

// Marks where every unit starts and which cannot be decoded, and counts the message
// arguments of the actions.
void find_units(LogicText* text) {
  const uint8_t* code = text->code;
  uint32_t at = 0;
  while (at < text->code_length) {
    mark_unit_start(text, at);
    uint32_t length = unit_length(code, text->code_length, at);
    if (length == 0) {
      text->flags[at] |= kRaw;
      ++at;
      continue;
    }
    if (code[at] <= kLastAction) {
      const Command& action = kActions[code[at]];
      const char* kinds = action.arguments;
      for (uint32_t i = 0; i < action.argument_count; ++i) {
        if (kinds[i] == 'm') {
          ++text->messages[code[at + 1 + i]].uses;
        }
      }
    }
    at += length;
  }
  mark_unit_start(text, at);
}

// --- Blocks ------------------------------------------------------------------------------------

void open_block(LogicText* text, BlockKind kind, uint32_t end) {
  text->block_end[text->depth] = static_cast<uint16_t>(end);
  text->block_last_jump[text->depth] = kNoJump;
  text->block_kind[text->depth] = kind;
  ++text->depth;
}

// Closes the innermost block, which ends here; a body whose last item is a jump just past
// the if's block, not beyond the block around it, and not its only item, gets an else.
void close_block(LogicText* text) {
  int closing = --text->depth;
  uint16_t jump = text->block_last_jump[closing];
  if ((text->block_kind[closing] & 0x0F) != kBody || jump == kNoJump) {
    return;
  }
  int64_t target = jump_target(text, jump);
  if (target > text->at && target <= text->block_end[text->depth - 1]) {
    text->flags[jump] |= kElse;
    open_block(text, kElseBlock, static_cast<uint32_t>(target));
  }
}

// Reads the code as blocks: which ifs nest, which jumps are elses, which units are raw.
void find_blocks(LogicText* text) {
  text->depth = 0;
  open_block(text, kCodeBlock, text->code_length);
  text->at = 0;
  for (;;) {
    int top = text->depth - 1;
    if (text->at == text->block_end[top]) {
      if (top == 0) {
        break;
      }
      close_block(text);
      continue;
    }
    uint32_t at = text->at;
    uint8_t* flags = &text->flags[at];
    uint32_t next = next_unit(text, at);
    uint16_t last_jump = kNoJump;
    if ((*flags & kRaw) == 0 && text->code[at] == kJump) {
      if (!is_unit_start(text, jump_target(text, at))) {
        *flags |= kRaw;
      } else if (text->block_kind[top] & kHasItem) {
        last_jump = static_cast<uint16_t>(at);
      }
    } else if ((*flags & kRaw) == 0 && text->code[at] == kIf) {
      uint32_t end = next + read_word(text->code, next - 2);
      if (end <= text->block_end[top] && is_unit_start(text, end)) {
        *flags |= kNests;
      } else {
        *flags |= kRaw;
      }
    }
    text->block_last_jump[top] = last_jump;
    text->block_kind[top] |= kHasItem;
    text->at = next;
    if (*flags & kNests) {
      open_block(text, kBody, next + read_word(text->code, next - 2));
    }
  }
}

// Every jump written as a goto gives its target a label.
void find_labels(LogicText* text) {
  for (uint32_t at = 0; at < text->code_length; at = next_unit(text, at)) {
    uint8_t flags = text->flags[at];
    if (text->code[at] == kJump && (flags & (kRaw | kElse)) == 0) {
      uint32_t target = static_cast<uint32_t>(jump_target(text, at));
      text->flags[target] |= kLabelled;
      text->label_bits[target / 64] |= uint64_t{1} << (target % 64);
    }
  }
  uint16_t count = 0;
  for (uint32_t word = 0; word <= text->code_length / 64; ++word) {
    text->labels_before[word] = count;
    count = static_cast<uint16_t>(count + __builtin_popcountll(text->label_bits[word]));
  }
}

uint32_t label_number(const LogicText* text, uint32_t address) {
  uint64_t below = text->label_bits[address / 64] & ((uint64_t{1} << (address % 64)) - 1);
  return text->labels_before[address / 64] + 1 + static_cast<uint32_t>(__builtin_popcountll(below));
}

// --- Messages ----------------------------------------------------------------------------------

// Which key byte enciphers the byte at `position`: the key runs on from the first text.
uint32_t key_index(const LogicText* text, uint32_t position) {
  int64_t index = (static_cast<int64_t>(position) - text->texts) % kObjectKeyLength;
  return static_cast<uint32_t>(index < 0 ? index + kObjectKeyLength : index);
}

uint8_t message_byte(const LogicText* text, uint32_t position) {
  return text->data[position] ^ kObjectKey[key_index(text, position)];
}

uint32_t next_key_index(uint32_t index) {
  return index + 1 == kObjectKeyLength ? 0 : index + 1;
}

// The length of the text starting at `start`: up to its 00, the end of the data or `limit`.
uint32_t text_length(const LogicText* text, uint32_t start, uint32_t limit) {
  uint32_t length = 0;
  uint32_t key = key_index(text, start);
  while (start + length < text->length && length < limit &&
         (text->data[start + length] ^ kObjectKey[key]) != 0) {
    ++length;
    key = next_key_index(key);
  }
  return length;
}

// Whether the section is exactly the one a compiler writes for the messages it holds: the
// slot count is the highest message, the texts are packed in order, each ends with 00, and
// the end offset and the data end just after the last.
bool section_canonical(LogicText* text, int count) {
  uint32_t section = text->section;
  if (section >= text->length || section + 3 + 2 * count > text->length ||
      (count > 0 && !text->messages[count].present)) {
    return false;
  }
  uint32_t expected = 2 + 2 * count;
  for (int number = 1; number <= count; ++number) {
    Message* message = &text->messages[number];
    if (!message->present) {
      continue;
    }
    if (message->start != section + 1 + expected) {
      return false;
    }
    message->length = text_length(text, message->start, text->length);
    if (message->start + message->length >= text->length) {
      return false;  // no 00 after it
    }
    expected += message->length + 1;
  }
  return read_word(text->data, section + 1) == expected && section + 1 + expected == text->length;
}

bool same_text(const LogicText* text, const Message* a, const Message* b) {
  for (uint32_t i = 0; i < a->length; ++i) {
    if (message_byte(text, a->start + i) != message_byte(text, b->start + i)) {
      return false;
    }
  }
  return true;
}

void read_messages(LogicText* text) {
  int count = 0;
  if (!text->short_data && text->section < text->length) {
    count = text->data[text->section];
  }
  text->texts = text->section + 3 + 2 * count;
  for (int number = 1; number <= count; ++number) {
    uint32_t slot = text->section + 3 + 2 * (number - 1);
    if (slot + 1 < text->length && read_word(text->data, slot) != 0) {
      text->messages[number].present = true;
      text->messages[number].start = text->section + 1 + read_word(text->data, slot);
    }
  }
  text->canonical = !text->short_data && section_canonical(text, count);
  for (int number = 1; number <= count; ++number) {
    Message* message = &text->messages[number];
    if (!message->present) {
      continue;
    }
    if (!text->canonical) {
      message->length = text_length(text, message->start, kMaxDamagedText);
    }
    uint32_t hash = 2166136261u;
    uint32_t key = key_index(text, message->start);
    for (uint32_t i = 0; i < message->length; ++i) {
      hash = (hash ^ (text->data[message->start + i] ^ kObjectKey[key])) * 16777619u;
      key = next_key_index(key);
    }
    message->hash = hash;
    message->quoted =
        static_cast<uint64_t>(message->length) * message->uses <= kMaxQuotedMessageText;
  }
  // A text two messages share names neither.
  for (int number = 2; number <= count; ++number) {
    Message* message = &text->messages[number];
    for (int other = 1; other < number && message->present; ++other) {
      Message* earlier = &text->messages[other];
      if (earlier->present && earlier->hash == message->hash &&
          earlier->length == message->length && same_text(text, earlier, message)) {
        earlier->quoted = false;
        message->quoted = false;
        break;
      }
    }
  }
}

// --- Writing -----------------------------------------------------------------------------------

char* write_bytes(char* out, const char* bytes, size_t length) {
  memcpy(out, bytes, length);
  return out + length;
}

char* write_text(char* out, const char* words) {
  return write_bytes(out, words, strlen(words));
}

// A string constant, whose length is known when it is compiled.
template <size_t kSize>
char* write_literal(char* out, const char (&words)[kSize]) {
  memcpy(out, words, kSize - 1);
  return out + kSize - 1;
}

// The numbers a byte holds, as written, four characters apiece (the unused ones spaces).
struct ByteNumbers {
  char text[256][4];
  uint8_t length[256];
};

constexpr ByteNumbers make_byte_numbers() {
  ByteNumbers numbers = {};
  for (int value = 0; value < 256; ++value) {
    int length = value >= 100 ? 3 : value >= 10 ? 2 : 1;
    numbers.length[value] = static_cast<uint8_t>(length);
    for (int i = 0; i < 4; ++i) {
      numbers.text[value][i] = ' ';
    }
    for (int i = length - 1, rest = value; i >= 0; --i, rest /= 10) {
      numbers.text[value][i] = static_cast<char>('0' + rest % 10);
    }
  }
  return numbers;
}

constexpr ByteNumbers kByteNumbers = make_byte_numbers();

char* write_number(char* out, uint32_t number) {
  if (number < 256) {
    // Every piece leaves room behind it, so the whole four characters may be copied.
    memcpy(out, kByteNumbers.text[number], 4);
    return out + kByteNumbers.length[number];
  }
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (count > 0) {
    *out++ = digits[--count];
  }
  return out;
}

char* write_hex_byte(char* out, uint8_t byte) {
  static const char kHex[] = "0123456789ABCDEF";
  *out++ = ' ';
  *out++ = kHex[byte >> 4];
  *out++ = kHex[byte & 0x0F];
  return out;
}

// The indentation of the items inside the innermost open block.
char* write_indent(const LogicText* text, char* out) {
  static const char kSpaces[2 * kMaxIndent + 1] =
      "                                                                ";
  int levels = text->depth - 1 < kMaxIndent ? text->depth - 1 : kMaxIndent;
  // All of them are copied, fewer kept: every piece leaves room behind it.
  memcpy(out, kSpaces, 2 * kMaxIndent);
  return out + 2 * levels;
}

char* write_label(const LogicText* text, char* out, uint32_t address) {
  out = write_literal(out, "Label");
  return write_number(out, label_number(text, address));
}

char* write_message_text(const LogicText* text, char* out, const Message* message, uint32_t from,
                         uint32_t to) {
  uint32_t key = key_index(text, message->start + from);
  for (uint32_t i = from; i < to; ++i) {
    out = write_string_byte(out, text->data[message->start + i] ^ kObjectKey[key]);
    key = next_key_index(key);
  }
  return out;
}

// A whole message text, from the store when it is there.
char* write_escaped_message(const LogicText* text, char* out, const Message* message) {
  if (message->escaped_length > 0) {
    return write_bytes(out, text->escaped + message->escaped_at, message->escaped_length);
  }
  return write_message_text(text, out, message, 0, message->length);
}

// Escapes the texts that fit into the store, so that each is escaped once however often it
// is written. A text of more than one slice is left out: the table writes it a slice at a
// time.
void store_escaped_messages(LogicText* text) {
  text->escaped_used = 0;
  for (int number = 1; number < kMaxMessages; ++number) {
    Message* message = &text->messages[number];
    message->escaped_length = 0;
    if (!message->present || message->length == 0 || message->length > kSlice ||
        text->escaped_used + 4 * message->length > kEscapedStore) {
      continue;
    }
    char* start = text->escaped + text->escaped_used;
    char* end = write_message_text(text, start, message, 0, message->length);
    message->escaped_at = text->escaped_used;
    message->escaped_length = static_cast<uint32_t>(end - start);
    text->escaped_used += message->escaped_length;
  }
}

char* write_argument(const LogicText* text, char* out, char kind, uint8_t value) {
  if (kind == 'n') {
    return write_number(out, value);
  }
  if (kind == 'm' && text->messages[value].quoted) {
    const Message* message = &text->messages[value];
    *out++ = '"';
    out = write_escaped_message(text, out, message);
    *out++ = '"';
    return out;
  }
  if (kind == 'i') {
    size_t length;
    const char* quoted = quoted_item(text->side, value, &length);
    if (quoted != nullptr) {
      return write_bytes(out, quoted, length);
    }
  }
  *out++ = kind;
  return write_number(out, value);
}

// The actions written as operators: what stands before the first argument, between the two
// and after the last.
struct Operator {
  uint8_t action;
  const char* before;
  const char* between;
  const char* after;
};

constexpr Operator kOperators[] = {
    {0x01, "", "", "++;"},   {0x02, "", "", "--;"},   {0x03, "", " = ", ";"},
    {0x04, "", " = ", ";"},  {0x05, "", " += ", ";"}, {0x06, "", " += ", ";"},
    {0x07, "", " -= ", ";"}, {0x08, "", " -= ", ";"}, {0x09, "*", " = ", ";"},
    {0x0A, "", " = *", ";"}, {0x0B, "*", " = ", ";"}, {0xA5, "", " *= ", ";"},
    {0xA6, "", " *= ", ";"}, {0xA7, "", " /= ", ";"}, {0xA8, "", " /= ", ";"},
};

constexpr int kOperatorCount = sizeof kOperators / sizeof kOperators[0];

// For each action byte, its row of kOperators, or -1.
struct OperatorRows {
  int8_t row[256];
};

constexpr OperatorRows make_operator_rows() {
  OperatorRows rows = {};
  for (int byte = 0; byte < 256; ++byte) {
    rows.row[byte] = -1;
  }
  for (int row = 0; row < kOperatorCount; ++row) {
    rows.row[kOperators[row].action] = static_cast<int8_t>(row);
  }
  return rows;
}

constexpr OperatorRows kOperatorRows = make_operator_rows();

char* write_statement(const LogicText* text, char* out, uint32_t at) {
  const uint8_t* code = text->code;
  const Command* action = &kActions[code[at]];
  int row = kOperatorRows.row[code[at]];
  if (row >= 0) {
    const Operator& written = kOperators[row];
    out = write_text(out, written.before);
    out = write_argument(text, out, action->arguments[0], code[at + 1]);
    out = write_text(out, written.between);
    if (action->argument_count > 1) {
      out = write_argument(text, out, action->arguments[1], code[at + 2]);
    }
    return write_text(out, written.after);
  }
  out = write_bytes(out, action->name, action->name_length);
  *out++ = '(';
  for (uint32_t i = 0; i < action->argument_count; ++i) {
    if (i > 0) {
      out = write_literal(out, ", ");
    }
    out = write_argument(text, out, action->arguments[i], code[at + 1 + i]);
  }
  return write_literal(out, ");");
}

char* write_said(const LogicText* text, char* out, uint32_t at) {
  uint8_t word[kMaxQuotedName];
  out = write_literal(out, "said(");
  for (uint32_t i = 0; i < text->code[at + 1]; ++i) {
    if (i > 0) {
      out = write_literal(out, ", ");
    }
    uint32_t group = read_word(text->code, at + 2 + 2 * i);
    int length = quoted_word(text->side, group, word);
    out = length >= 0 ? write_quoted(out, word, length) : write_number(out, group);
  }
  *out++ = ')';
  return out;
}

char* write_test(const LogicText* text, char* out, uint32_t at) {
  const uint8_t* code = text->code;
  if (code[at] == kSaidTest) {
    return write_said(text, out, at);
  }
  const Command* test = &kTests[code[at]];
  out = write_bytes(out, test->name, test->name_length);
  *out++ = '(';
  for (uint32_t i = 0; i < test->argument_count; ++i) {
    if (i > 0) {
      out = write_literal(out, ", ");
    }
    out = write_argument(text, out, test->arguments[i], code[at + 1 + i]);
  }
  *out++ = ')';
  return out;
}

// equaln to greaterv, with no not or one, as a comparison of the two arguments.
char* write_comparison(const LogicText* text, char* out, uint32_t at, bool inverted) {
  static const char* const kSigns[3][2] = {{" == ", " != "}, {" < ", " >= "}, {" > ", " <= "}};
  const uint8_t* code = text->code;
  const Command* test = &kTests[code[at]];
  out = write_argument(text, out, test->arguments[0], code[at + 1]);
  out = write_text(out, kSigns[(code[at] - 1) / 2][inverted ? 1 : 0]);
  return write_argument(text, out, test->arguments[1], code[at + 2]);
}

// One piece of a condition: the closing of the condition or of an or-group, a slice of
// nots, or a test or group opening with the separator before it.
char* write_condition_piece(LogicText* text, char* out) {
  const uint8_t* code = text->code;
  uint32_t at = text->condition;
  if (text->nots_left > 0) {
    uint32_t count = text->nots_left < kSlice ? text->nots_left : kSlice;
    memset(out, '!', count);
    text->nots_left -= count;
    return out + count;
  }
  if (text->test_next) {
    text->test_next = false;
    if (code[at] == kOr) {
      text->in_group = true;
      text->first_in_group = true;
      text->condition = at + 1;
      *out++ = '(';
      return out;
    }
    text->condition = at + test_length(code, at);
    return write_test(text, out, at);
  }
  if (code[at] == kIf) {
    // The block follows the closing FF and its two length bytes.
    uint32_t body = at + 3;
    text->mode = kUnits;
    text->at = body;
    open_block(text, kBody, body + read_word(code, at + 1));
    return write_literal(out, ") {\n");
  }
  if (code[at] == kOr && text->in_group) {
    text->in_group = false;
    text->condition = at + 1;
    *out++ = ')';
    return out;
  }
  uint32_t nots = 0;
  while (code[at + nots] == kNot) {
    ++nots;
  }
  if (text->in_group) {
    if (!text->first_in_group) {
      out = write_literal(out, " || ");
    }
    text->first_in_group = false;
  } else {
    if (!text->first_item) {
      out = write_literal(out, " && ");
    }
    text->first_item = false;
  }
  uint8_t test = code[at + nots];
  if (test >= 0x01 && test <= 0x06 && nots <= 1) {
    text->condition = at + nots + 3;
    return write_comparison(text, out, at + nots, nots == 1);
  }
  text->condition = at + nots;
  text->nots_left = nots;
  text->test_next = true;
  return out;
}

// Whether the run of raw bytes goes on: inside the current unit, or into the next unit of
// the same block when that is raw too and carries no label.
bool raw_run_goes_on(LogicText* text) {
  if (text->raw < text->raw_end) {
    return true;
  }
  uint32_t at = text->raw;
  if (at < text->block_end[text->depth - 1] && (text->flags[at] & kRaw) &&
      (text->flags[at] & kLabelled) == 0) {
    text->raw_end = next_unit(text, at);
    return true;
  }
  return false;
}

char* write_raw_line(LogicText* text, char* out) {
  out = write_indent(text, out);
  out = write_literal(out, "#bytes");
  for (int count = 0; count < kRawBytesPerLine && raw_run_goes_on(text); ++count) {
    out = write_hex_byte(out, text->code[text->raw++]);
  }
  *out++ = '\n';
  if (!raw_run_goes_on(text)) {
    text->mode = kUnits;
    text->at = text->raw;
  }
  return out;
}

// The `}` of the innermost block; a body ended by its else goes on with `else {` and the
// else block, and the else's label stands before the `}`.
char* write_block_end(LogicText* text, char* out) {
  bool body = (text->block_kind[text->depth - 1] & 0x0F) == kBody;
  --text->depth;
  uint32_t jump = text->at - 3;
  bool has_else = body && text->at >= 3 && (text->flags[jump] & kElse);
  if (has_else && (text->flags[jump] & kLabelled)) {
    out = write_label(text, out, jump);
    out = write_literal(out, ":\n");
  }
  out = write_indent(text, out);
  out = write_literal(out, "}\n");
  if (has_else) {
    out = write_indent(text, out);
    out = write_literal(out, "else {\n");
    open_block(text, kElseBlock, static_cast<uint32_t>(jump_target(text, jump)));
  }
  return out;
}

char* write_code_piece(LogicText* text, char* out) {
  if (text->mode == kCondition) {
    return write_condition_piece(text, out);
  }
  if (text->mode == kRawRun) {
    return write_raw_line(text, out);
  }
  uint32_t at = text->at;
  if (text->depth > 1 && at == text->block_end[text->depth - 1]) {
    return write_block_end(text, out);
  }
  uint8_t flags = text->flags[at];
  if (flags & kElse) {
    text->at = at + 3;  // the else is written where its body closes
    return out;
  }
  if (at == text->code_length) {
    text->part = kMessagePart;
    text->part_started = false;
  }
  if (flags & kLabelled) {
    out = write_label(text, out, at);
    out = write_literal(out, ":\n");
  }
  if (at == text->code_length) {
    return out;
  }
  if (flags & kRaw) {
    text->mode = kRawRun;
    text->raw = at;
    text->raw_end = next_unit(text, at);
    return out;
  }
  out = write_indent(text, out);
  uint8_t byte = text->code[at];
  if (byte <= kLastAction) {
    text->at = next_unit(text, at);
    out = write_statement(text, out, at);
    *out++ = '\n';
    return out;
  }
  if (byte == kIf) {
    text->mode = kCondition;
    text->condition = at + 1;
    text->nots_left = 0;
    text->test_next = false;
    text->in_group = false;
    text->first_item = true;
    return write_literal(out, "if (");
  }
  text->at = at + 3;
  out = write_literal(out, "goto(");
  out = write_label(text, out, static_cast<uint32_t>(jump_target(text, at)));
  return write_literal(out, ");\n");
}

char* write_message_piece(LogicText* text, char* out) {
  if (!text->in_message) {
    while (text->message < kMaxMessages && !text->messages[text->message].present) {
      ++text->message;
    }
    if (text->message == kMaxMessages) {
      text->part = kLayoutPart;
      text->part_started = false;
      return out;
    }
    out = write_literal(out, "#message ");
    out = write_number(out, static_cast<uint32_t>(text->message));
    out = write_literal(out, " \"");
    text->in_message = true;
    text->message_written = 0;
  }
  const Message* message = &text->messages[text->message];
  if (message->escaped_length > 0) {
    out = write_escaped_message(text, out, message);
    text->message_written = message->length;
  }
  uint32_t left = message->length - text->message_written;
  uint32_t slice = left < kSlice ? left : kSlice;
  out =
      write_message_text(text, out, message, text->message_written, text->message_written + slice);
  text->message_written += slice;
  if (text->message_written == message->length) {
    out = write_literal(out, "\"\n");
    text->in_message = false;
    ++text->message;
  }
  return out;
}

char* write_layout_piece(LogicText* text, char* out) {
  if (text->short_data && !text->header_written) {
    text->header_written = true;
    out = write_literal(out, "#header");
    for (uint32_t i = 0; i < 2 && i < text->length; ++i) {
      out = write_hex_byte(out, text->data[i]);
    }
    *out++ = '\n';
    return out;
  }
  uint32_t start = text->short_data ? text->length : text->section;
  uint32_t total = text->length > start ? text->length - start : 0;
  out = write_literal(out, "#section");
  for (int count = 0; count < kRawBytesPerLine && text->section_written < total; ++count) {
    out = write_hex_byte(out, text->data[start + text->section_written++]);
  }
  *out++ = '\n';
  if (text->section_written == total) {
    text->part = kDone;
  }
  return out;
}

// Whether the part about to start has lines.
bool part_has_lines(const LogicText* text) {
  switch (text->part) {
    case kCodePart:
      return text->code_length > 0;
    case kMessagePart:
      for (int number = 1; number < kMaxMessages; ++number) {
        if (text->messages[number].present) {
          return true;
        }
      }
      return false;
    case kLayoutPart:
      return text->short_data || !text->canonical;
    case kDone:
      break;
  }
  return false;
}

char* write_piece(LogicText* text, char* out) {
  if (!text->part_started) {
    text->part_started = true;
    if (!part_has_lines(text)) {
      text->part = text->part == kLayoutPart ? kDone : static_cast<Part>(text->part + 1);
      text->part_started = false;
      return out;
    }
    if (text->wrote_lines) {
      *out++ = '\n';
    }
    text->wrote_lines = true;
  }
  switch (text->part) {
    case kCodePart:
      return write_code_piece(text, out);
    case kMessagePart:
      return write_message_piece(text, out);
    case kLayoutPart:
      return write_layout_piece(text, out);
    case kDone:
      break;
  }
  return out;
}

}  // namespace

size_t logic_text_size() {
  return sizeof(LogicText);
}

void start_logic_text(const uint8_t* data, size_t length, const LogicSideFiles* side,
                      LogicText* text) {
  text->data = data;
  text->length = static_cast<uint32_t>(length < kMaxLogicLength ? length : kMaxLogicLength);
  text->side = side;
  uint32_t declared = text->length >= 2 ? read_word(data, 0) : 0;
  text->short_data = text->length < 2 || text->length < 2 + declared;
  text->code = text->length >= 2 ? data + 2 : data;
  text->code_length = text->short_data ? (text->length > 2 ? text->length - 2 : 0) : declared;
  text->section = 2 + text->code_length;
  memset(text->messages, 0, sizeof text->messages);
  memset(text->flags, 0, text->code_length + 1);
  size_t words = text->code_length / 64 + 2;
  memset(text->unit_bits, 0, words * sizeof text->unit_bits[0]);
  memset(text->label_bits, 0, words * sizeof text->label_bits[0]);

  find_units(text);
  read_messages(text);
  store_escaped_messages(text);
  find_blocks(text);
  find_labels(text);

  text->depth = 0;
  open_block(text, kCodeBlock, text->code_length);
  text->part = kCodePart;
  text->mode = kUnits;
  text->wrote_lines = false;
  text->part_started = false;
  text->at = 0;
  text->message = 1;
  text->in_message = false;
  text->header_written = false;
  text->section_written = 0;
}

size_t next_logic_text(LogicText* text, char* buffer, size_t capacity) {
  char* out = buffer;
  while (text->part != kDone && capacity - static_cast<size_t>(out - buffer) >= kLargestPiece) {
    out = write_piece(text, out);
  }
  return static_cast<size_t>(out - buffer);
}
