#include "bench/bench_game.h"

#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "resources/resources.h"

namespace {

constexpr int kVolumeCount = 16;
constexpr int kObjectItems = 400;
constexpr int kGameWords = 4000;

// xorshift32: a fixed sequence, so every run builds the same game.
uint32_t next_random(uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

struct StoredResource {
  unsigned volume;
  uint32_t offset;
};

// An inventory list: a 3-byte header, one 3-byte row per item (name offset, starting room),
// then the names, each ending in a 0 byte.
Bytes plain_object_file() {
  Bytes header = {0, 0, 0};
  Bytes rows;
  Bytes names;
  size_t names_start = 3 + 3 * kObjectItems;
  header[0] = static_cast<unsigned char>(names_start & 0xFF);
  header[1] = static_cast<unsigned char>(names_start >> 8);
  for (int item = 0; item < kObjectItems; ++item) {
    size_t name_offset = names_start + names.size();
    rows.push_back(static_cast<unsigned char>(name_offset & 0xFF));
    rows.push_back(static_cast<unsigned char>(name_offset >> 8));
    rows.push_back(static_cast<unsigned char>(item % 120));
    std::string name = "item " + std::to_string(item);
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(0);
  }
  Bytes file = header;
  file.insert(file.end(), rows.begin(), rows.end());
  file.insert(file.end(), names.begin(), names.end());
  return file;
}

// A word of the letter: the letter, then 1 to 9 more lower-case letters.
std::string random_word(int letter, uint32_t& state) {
  std::string word(1, static_cast<char>('a' + letter));
  int extra = 1 + static_cast<int>(next_random(state) % 9);
  for (int i = 0; i < extra; ++i) {
    word.push_back(static_cast<char>('a' + next_random(state) % 26));
  }
  return word;
}

// The records of a letter's sorted words. Every word starts with the letter, so every record
// after the first keeps at least one character and no prefix count of 0 ends a list early.
std::vector<WordRecord> letter_records(const std::set<std::string>& words, uint32_t& state) {
  std::vector<std::pair<std::string, int>> grouped;
  for (const std::string& word : words) {
    grouped.emplace_back(word, 1 + static_cast<int>(next_random(state) % 2000));
  }
  return compress_words(grouped);
}

size_t encoded_size(const std::vector<WordRecord>& records) {
  size_t size = 0;
  for (const WordRecord& record : records) {
    size += encode_word_record(record).size();
  }
  return size;
}

}  // namespace

Bytes bench_vocabulary(int words, size_t last_letter_bytes) {
  uint32_t state = 0x5EED1234u;
  std::vector<std::set<std::string>> letters(26);
  for (int i = 0; i < words; ++i) {
    int letter = static_cast<int>(next_random(state) % 26);
    letters[letter].insert(random_word(letter, state));
  }
  std::vector<std::vector<WordRecord>> records(26);
  for (int letter = 0; letter < 26; ++letter) {
    records[letter] = letter_records(letters[letter], state);
  }
  // Roughly eight bytes a record: grow Z in rounds until its list is long enough.
  while (encoded_size(records[25]) < last_letter_bytes) {
    size_t missing = (last_letter_bytes - encoded_size(records[25])) / 8 + 1;
    for (size_t i = 0; i < missing; ++i) {
      letters[25].insert(random_word(25, state));
    }
    records[25] = letter_records(letters[25], state);
  }
  Bytes file = vocabulary_file(records);
  size_t letter_index_reach = file.size() - encoded_size(records[25]);
  if (letter_index_reach > 0xFFFF) {
    throw std::runtime_error("the words before Z do not fit the 16-bit letter offsets");
  }
  return file;
}

size_t bench_object_size() {
  return plain_object_file().size();
}

FileTree make_bench_game(int entries) {
  FileTree game;
  for (int volume = 0; volume < kVolumeCount; ++volume) {
    game["vol." + std::to_string(volume)] = Bytes();
  }
  std::vector<StoredResource> stored;
  uint32_t state = 20240611u;
  unsigned volume = 0;
  for (int number = 0; number < entries; ++number) {
    for (int type = 0; type < kResourceTypeCount; ++type) {
      size_t length = 1 + next_random(state) % kBenchLongestResource;
      while (volume < kVolumeCount &&
             game["vol." + std::to_string(volume)].size() + 5 + length >= kBenchVolumeLimit) {
        ++volume;
      }
      if (volume < kVolumeCount) {
        uint32_t seed = static_cast<uint32_t>(number * kResourceTypeCount + type);
        uint32_t offset = add_resource(game, type, number, volume, pattern_bytes(length, seed));
        stored.push_back({volume, offset});
      } else {
        const StoredResource& shared = stored[next_random(state) % stored.size()];
        set_entry(game, type, number, directory_entry(shared.volume, shared.offset));
      }
    }
  }
  game["object"] = object_cipher(plain_object_file());
  game["words.tok"] = bench_vocabulary(kGameWords, 0);
  return game;
}
