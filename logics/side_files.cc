// The side files a logic's text names things from: the words of words.tok, by group, and the
// item names of the object file. Also the object file's own listing, objects.txt.
#include <cstring>

#include "logics/logics.h"
#include "logics/side_files.h"

namespace {

// words.tok starts with a two-byte offset for each letter.
constexpr size_t kLetterOffsetsSize = 2 * 26;
// A word record is at least a prefix count, one character and a group number.
constexpr size_t kSmallestRecord = 4;
// Names are cut here in the listing.
constexpr size_t kMaxListedName = 255;
// The longest listing line: two numbers of up to 5 digits, and a name of escaped bytes.
constexpr size_t kMaxListingLine = 5 + 1 + 3 + 1 + 2 + 4 * kMaxListedName + 1;
// Marks a hash slot's entry as a word or name the text may quote.
constexpr uint32_t kQuotable = 0x80000000u;
// The length stored for a word or name too long to quote, and for an item without a name.
constexpr uint8_t kTooLong = kMaxQuotedName + 1;
constexpr uint8_t kNoName = 0xFF;
// An item argument is one byte.
constexpr int kNamedItems = 256;
// A quoted name: the quotes and four characters at most for each byte.
constexpr size_t kMaxQuotedText = 2 + 4 * kMaxQuotedName;

// One record of words.tok. Its word is `shared` characters of the previous record's word and
// then its own characters; `link` is the last record before it that shares fewer, which lets
// a word be spelt back without walking every record between.
struct WordRecord {
  uint32_t own;  // the position of its first own character in the file
  uint32_t link;
  uint32_t hash;
  uint16_t group;
  uint8_t shared;
  uint8_t length;  // the word's length, kTooLong for anything longer than can be quoted
};

struct ItemName {
  uint32_t position;
  uint32_t hash;
  uint8_t length;  // kNoName, kTooLong, or the name's length
  bool quotable;
};

}  // namespace

struct LogicSideFiles {
  const uint8_t* words;
  size_t words_length;
  WordRecord* records;
  uint32_t record_count;
  // Open hash tables of record numbers plus 1 (0: empty): one holding the first record of
  // each distinct word, one the first record of each group.
  uint32_t* word_slots;
  uint32_t* group_slots;
  uint32_t word_mask;

  const uint8_t* object;
  size_t object_length;
  bool enciphered;
  ItemName* items;
  uint32_t item_count;
  uint32_t* name_slots;  // item numbers plus 1 of distinct names
  uint32_t name_mask;
  // The items a logic can name (0-255) as their texts write them, quoted and escaped, so
  // that every mention is one copy; a length of 0 for an item written `iN`.
  uint16_t item_text_length[kNamedItems];
  char item_text[kNamedItems][kMaxQuotedText];
};

namespace {

size_t round_up(size_t size) {
  return (size + 7) & ~static_cast<size_t>(7);
}

// A power of two with a third of its slots or more left empty once `count` are taken, so
// that probing stays short and always meets an empty slot.
size_t slot_count(size_t count) {
  size_t slots = 16;
  while (slots < count + count / 2 + 1) {
    slots <<= 1;
  }
  return slots;
}

size_t most_records(size_t words_length) {
  return words_length < kLetterOffsetsSize ? 0 : words_length / kSmallestRecord + 1;
}

size_t most_items(size_t object_length) {
  return object_length / 3 + 1;
}

uint32_t hash_bytes(const uint8_t* bytes, size_t length) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < length; ++i) {
    hash = (hash ^ bytes[i]) * 16777619u;
  }
  return hash ^ static_cast<uint32_t>(length);
}

// --- words.tok -------------------------------------------------------------------------------

uint8_t word_character(uint8_t stored) {
  return (stored ^ 0x7F) & 0x7F;
}

// Spells record `record`'s word (at most kMaxQuotedName characters) into `word`.
void spell_word(const LogicSideFiles* side, uint32_t record, uint8_t* word) {
  const WordRecord* records = side->records;
  uint32_t needed = records[record].length;
  uint32_t at = record;
  while (needed > 0) {
    // Records sharing at least `needed` characters take them all from before them.
    while (records[at].shared >= needed) {
      at = records[at].link;
    }
    const WordRecord* holder = &records[at];
    for (uint32_t d = holder->shared; d < needed; ++d) {
      word[d] = word_character(side->words[holder->own + d - holder->shared]);
    }
    needed = holder->shared;
    at = holder->link;
  }
}

// The record, earlier than those now being read, that holds this word; -1 when none does.
// Every distinct word has its first record in the table.
int64_t find_word(const LogicSideFiles* side, const uint8_t* word, uint32_t length, uint32_t hash,
                  uint32_t** free_slot) {
  uint8_t spelt[kMaxQuotedName];
  for (uint32_t slot = hash & side->word_mask;; slot = (slot + 1) & side->word_mask) {
    uint32_t entry = side->word_slots[slot];
    if (entry == 0) {
      *free_slot = &side->word_slots[slot];
      return -1;
    }
    const WordRecord* record = &side->records[entry - 1];
    if (record->hash == hash && record->length == length) {
      spell_word(side, entry - 1, spelt);
      if (memcmp(spelt, word, length) == 0) {
        return entry - 1;
      }
    }
  }
}

uint32_t* group_slot(const LogicSideFiles* side, unsigned group) {
  for (uint32_t slot = (group * 2654435761u) & side->word_mask;;
       slot = (slot + 1) & side->word_mask) {
    uint32_t entry = side->group_slots[slot];
    if (entry == 0 || side->records[(entry & ~kQuotable) - 1].group == group) {
      return &side->group_slots[slot];
    }
  }
}

// Where the word records start: the smallest letter offset that is not 0, or 0 for none.
size_t first_record(const uint8_t* words, size_t length) {
  if (length < kLetterOffsetsSize) {
    return 0;
  }
  size_t first = 0;
  for (size_t letter = 0; letter < 26; ++letter) {
    size_t offset = static_cast<size_t>(words[2 * letter]) << 8 | words[2 * letter + 1];
    if (offset != 0 && (first == 0 || offset < first)) {
      first = offset;
    }
  }
  return first;
}

void read_words(LogicSideFiles* side) {
  const uint8_t* words = side->words;
  size_t length = side->words_length;
  size_t position = first_record(words, length);
  if (position == 0) {
    return;
  }
  uint8_t word[kMaxQuotedName];  // the current word's first characters
  size_t word_length = 0;
  // Records sharing ever more characters, for the links: at most one for each count 0-255.
  uint32_t sharing[256];
  int sharing_count = 0;
  while (position < length) {
    size_t last = position + 1;
    while (last < length && (words[last] & 0x80) == 0) {
      ++last;
    }
    if (last + 2 >= length) {
      break;  // the record is not whole
    }
    size_t shared = words[position] < word_length ? words[position] : word_length;
    size_t full = shared + (last - position);
    for (size_t d = shared; d < full && d < kMaxQuotedName; ++d) {
      word[d] = word_character(words[position + 1 + d - shared]);
    }
    uint32_t number = side->record_count++;
    WordRecord* record = &side->records[number];
    record->own = static_cast<uint32_t>(position + 1);
    record->shared = static_cast<uint8_t>(shared);
    record->length = static_cast<uint8_t>(full > kMaxQuotedName ? kTooLong : full);
    record->group = static_cast<uint16_t>(words[last + 1] << 8 | words[last + 2]);
    while (sharing_count > 0 && side->records[sharing[sharing_count - 1]].shared >= shared) {
      --sharing_count;
    }
    record->link = sharing_count > 0 ? sharing[sharing_count - 1] : 0;
    sharing[sharing_count++] = number;

    // A word can be quoted for its group only where no earlier record spells it too.
    bool quotable = false;
    if (full <= kMaxQuotedName) {
      record->hash = hash_bytes(word, full);
      uint32_t* free_slot = nullptr;
      if (find_word(side, word, static_cast<uint32_t>(full), record->hash, &free_slot) < 0) {
        *free_slot = number + 1;
        quotable = true;
      }
    }
    uint32_t* slot = group_slot(side, record->group);
    if (*slot == 0) {
      *slot = (number + 1) | (quotable ? kQuotable : 0);
    }
    word_length = full;
    position = last + 3;
  }
}

// --- The object file -------------------------------------------------------------------------

uint8_t object_byte(const uint8_t* object, size_t at, bool enciphered) {
  return enciphered ? object[at] ^ kObjectKey[at % kObjectKeyLength] : object[at];
}

size_t object_word(const uint8_t* object, size_t at, bool enciphered) {
  return object_byte(object, at, enciphered) |
         static_cast<size_t>(object_byte(object, at + 1, enciphered)) << 8;
}

bool table_fits(const uint8_t* object, size_t length, bool enciphered) {
  if (length < 3) {
    return false;
  }
  size_t table = object_word(object, 0, enciphered);
  return table >= 3 && table % 3 == 0 && 3 + table <= length;
}

// How many items the file lists, and whether it is read deciphered.
size_t object_items(const uint8_t* object, size_t length, bool* enciphered) {
  *enciphered = true;
  if (!table_fits(object, length, true)) {
    *enciphered = false;
    if (!table_fits(object, length, false)) {
      return 0;
    }
  }
  return object_word(object, 0, *enciphered) / 3;
}

size_t name_position(const uint8_t* object, size_t item, bool enciphered) {
  return object_word(object, 3 + 3 * item, enciphered) + 3;
}

bool same_name(const LogicSideFiles* side, const ItemName* a, const ItemName* b) {
  for (size_t i = 0; i < a->length; ++i) {
    if (object_byte(side->object, a->position + i, side->enciphered) !=
        object_byte(side->object, b->position + i, side->enciphered)) {
      return false;
    }
  }
  return true;
}

// The quoted texts of the items a logic can name, written once for every mention.
void write_item_texts(LogicSideFiles* side) {
  for (uint32_t item = 0; item < kNamedItems; ++item) {
    side->item_text_length[item] = 0;
    if (item >= side->item_count || !side->items[item].quotable) {
      continue;
    }
    const ItemName* name = &side->items[item];
    uint8_t bytes[kMaxQuotedName];
    for (size_t i = 0; i < name->length; ++i) {
      bytes[i] = object_byte(side->object, name->position + i, side->enciphered);
    }
    char* end = write_quoted(side->item_text[item], bytes, name->length);
    side->item_text_length[item] = static_cast<uint16_t>(end - side->item_text[item]);
  }
}

void read_items(LogicSideFiles* side) {
  side->item_count =
      static_cast<uint32_t>(object_items(side->object, side->object_length, &side->enciphered));
  for (uint32_t item = 0; item < side->item_count; ++item) {
    ItemName* name = &side->items[item];
    size_t position = name_position(side->object, item, side->enciphered);
    name->position = static_cast<uint32_t>(position);
    name->quotable = false;
    if (position >= side->object_length) {
      name->length = kNoName;
      continue;
    }
    uint8_t bytes[kMaxQuotedName + 1];
    size_t length = 0;
    while (position + length < side->object_length && length <= kMaxQuotedName) {
      bytes[length] = object_byte(side->object, position + length, side->enciphered);
      if (bytes[length] == 0) {
        break;
      }
      ++length;
    }
    name->length = static_cast<uint8_t>(length > kMaxQuotedName ? kTooLong : length);
    if (length > kMaxQuotedName) {
      continue;
    }
    // A name shared by two items names neither.
    name->hash = hash_bytes(bytes, length);
    name->quotable = true;
    for (uint32_t slot = name->hash & side->name_mask;; slot = (slot + 1) & side->name_mask) {
      uint32_t entry = side->name_slots[slot];
      if (entry == 0) {
        side->name_slots[slot] = item + 1;
        break;
      }
      ItemName* other = &side->items[entry - 1];
      if (other->hash == name->hash && other->length == name->length &&
          same_name(side, name, other)) {
        other->quotable = false;
        name->quotable = false;
        break;
      }
    }
  }
  write_item_texts(side);
}

}  // namespace

size_t logic_side_files_size(size_t words_length, size_t object_length) {
  size_t records = most_records(words_length);
  size_t items = most_items(object_length);
  return round_up(sizeof(LogicSideFiles)) + round_up(records * sizeof(WordRecord)) +
         2 * slot_count(records) * sizeof(uint32_t) + round_up(items * sizeof(ItemName)) +
         slot_count(items) * sizeof(uint32_t);
}

const LogicSideFiles* read_logic_side_files(const uint8_t* words, size_t words_length,
                                            const uint8_t* object, size_t object_length,
                                            void* memory) {
  if (words == nullptr) {
    words_length = 0;
  }
  if (object == nullptr) {
    object_length = 0;
  }
  size_t records = most_records(words_length);
  size_t items = most_items(object_length);
  size_t word_slots = slot_count(records);
  size_t name_slots = slot_count(items);
  char* next = static_cast<char*>(memory);
  LogicSideFiles* side = reinterpret_cast<LogicSideFiles*>(next);
  next += round_up(sizeof(LogicSideFiles));
  side->records = reinterpret_cast<WordRecord*>(next);
  next += round_up(records * sizeof(WordRecord));
  side->word_slots = reinterpret_cast<uint32_t*>(next);
  side->group_slots = side->word_slots + word_slots;
  next += 2 * word_slots * sizeof(uint32_t);
  side->items = reinterpret_cast<ItemName*>(next);
  next += round_up(items * sizeof(ItemName));
  side->name_slots = reinterpret_cast<uint32_t*>(next);
  memset(side->word_slots, 0, 2 * word_slots * sizeof(uint32_t));
  memset(side->name_slots, 0, name_slots * sizeof(uint32_t));
  side->word_mask = static_cast<uint32_t>(word_slots - 1);
  side->name_mask = static_cast<uint32_t>(name_slots - 1);

  side->words = words;
  side->words_length = words_length;
  side->record_count = 0;
  read_words(side);
  side->object = object;
  side->object_length = object_length;
  read_items(side);
  return side;
}

int quoted_word(const LogicSideFiles* side, unsigned group, uint8_t* word) {
  if (side == nullptr || side->record_count == 0) {
    return -1;
  }
  uint32_t entry = *group_slot(side, group);
  if ((entry & kQuotable) == 0) {
    return -1;
  }
  uint32_t record = (entry & ~kQuotable) - 1;
  spell_word(side, record, word);
  return side->records[record].length;
}

const char* quoted_item(const LogicSideFiles* side, unsigned item, size_t* length) {
  if (side == nullptr || item >= kNamedItems || side->item_text_length[item] == 0) {
    return nullptr;
  }
  *length = side->item_text_length[item];
  return side->item_text[item];
}

// --- Strings ---------------------------------------------------------------------------------

char* write_quoted(char* out, const uint8_t* bytes, size_t length) {
  *out++ = '"';
  for (size_t i = 0; i < length; ++i) {
    out = write_string_byte(out, bytes[i]);
  }
  *out++ = '"';
  return out;
}

// --- objects.txt -----------------------------------------------------------------------------

void start_object_listing(const uint8_t* object, size_t length, ObjectListing* listing) {
  listing->data = object;
  listing->length = object == nullptr ? 0 : length;
  listing->item_count = object_items(object, listing->length, &listing->enciphered);
  listing->next_item = 0;
}

namespace {

// A number with at least three digits.
char* write_padded(char* out, size_t number) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0 || count < 3);
  while (count > 0) {
    *out++ = digits[--count];
  }
  return out;
}

}  // namespace

size_t next_object_listing(ObjectListing* listing, char* buffer, size_t capacity) {
  char* out = buffer;
  const uint8_t* object = listing->data;
  bool enciphered = listing->enciphered;
  while (listing->next_item < listing->item_count &&
         static_cast<size_t>(out - buffer) + kMaxListingLine <= capacity) {
    size_t item = listing->next_item++;
    out = write_padded(out, item);
    *out++ = ' ';
    out = write_padded(out, object_byte(object, 3 + 3 * item + 2, enciphered));
    *out++ = ' ';
    *out++ = '"';
    size_t position = name_position(object, item, enciphered);
    for (size_t i = 0; i < kMaxListedName && position + i < listing->length; ++i) {
      uint8_t byte = object_byte(object, position + i, enciphered);
      if (byte == 0) {
        break;
      }
      out = write_string_byte(out, byte);
    }
    *out++ = '"';
    *out++ = '\n';
  }
  return static_cast<size_t>(out - buffer);
}
