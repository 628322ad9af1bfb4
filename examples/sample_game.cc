#include "examples/sample_game.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// Readable resource bodies, so an extracted file shows at a glance what it is.
Bytes resource_body(const std::string& label, size_t filler, uint32_t seed) {
  Bytes body = bytes_of("Sample " + label + " resource\n");
  Bytes tail = pattern_bytes(filler, seed);
  body.insert(body.end(), tail.begin(), tail.end());
  return body;
}

// A house on a meadow under the sun, drawn with every drawing command: lines of each kind
// for the outlines, fills for the areas, a solid, a splatter and a square pen, and a
// priority screen of its own.
Bytes scene_picture() {
  // clang-format off
  return {
      0xF0, 0x00,                                                    // black outlines
      0xF6, 0, 99, 40, 99, 0xF6, 80, 99, 159, 99,                    // the horizon
      0xF5, 40, 70, 80, 110, 40, 70,                                 // walls: across first
      0xF7, 40, 70, 0x5C, 0x5C, 0x5C, 0x5C, 0x54, 0x54, 0x54, 0x54,  // roof: relative steps
      0xF4, 55, 110, 95, 65, 110,                                    // door: down first
      0xF6, 45, 78, 52, 78, 52, 85, 45, 85, 45, 78,                  // window
      0xF6, 120, 99, 120, 78,                                        // tree trunk
      0xF0, 0x0B, 0xF8, 10, 10,                                      // sky
      0xF0, 0x02, 0xF8, 10, 130,                                     // meadow
      0xF0, 0x0C, 0xF8, 42, 90,                                      // walls
      0xF0, 0x04, 0xF8, 60, 65,                                      // roof
      0xF0, 0x06, 0xF8, 60, 100,                                     // door
      0xF0, 0x0E, 0xF8, 48, 81,                                      // window
      0xF9, 0x07, 0xFA, 135, 18,                                     // the sun: a solid circle
      0xF0, 0x0A, 0xF9, 0x25, 0xFA, 0x10, 117, 72, 0x44, 124, 70,    // leaves: a splatter pen
      0x82, 121, 65, 0x2A, 116, 66, 0x66, 126, 64, 0x18, 120, 60,
      0xF0, 0x08, 0xF9, 0x12, 0xFA, 66, 118, 70, 126, 74, 134, 78, 142,  // stones: square pen
      0xF1, 0xF2, 0x00, 0xF6, 0, 99, 40, 99, 0xF6, 80, 99, 159, 99,  // priority only
      0xF6, 40, 70, 80, 70, 80, 110, 40, 110, 40, 70,
      0xF2, 0x0B, 0xF8, 10, 140, 0xF2, 0x09, 0xF8, 60, 90, 0xF3, 0xFF,
  };
  // clang-format on
}

// A figure walking right in loop 0; loop 1 shares its cels, which are marked as drawn for
// loop 0 and so face left there.
Bytes walking_view() {
  // clang-format off
  return {
      1, 1, 2, 0, 0, 9, 0, 9, 0,  // two loops, both at offset 9
      2, 5, 0, 56, 0,             // two cels, at 9 + 5 and 9 + 56
      // Standing: 7 x 12, mirrored outside loop 0, colour 15 transparent.
      7, 12, 0x8F, 0xF2, 0x63, 0x00, 0xF1, 0x61, 0xC3, 0x01, 0x00, 0xF1, 0x61, 0xC4, 0x00, 0xF2,
      0xC3, 0x00, 0xF2, 0x13, 0x00, 0xF1, 0x15, 0x00, 0xC1, 0x15, 0xC1, 0x00, 0xF2, 0x13, 0x00,
      0xF2, 0x11, 0xF1, 0x11, 0x00, 0xF2, 0x11, 0xF1, 0x11, 0x00, 0xF2, 0x11, 0xF1, 0x11, 0x00,
      0xF1, 0x02, 0xF1, 0x02, 0x00,
      // Striding.
      7, 12, 0x8F, 0xF2, 0x63, 0x00, 0xF1, 0x61, 0xC3, 0x01, 0x00, 0xF1, 0x61, 0xC4, 0x00, 0xF2,
      0xC3, 0x00, 0xF2, 0x13, 0x00, 0xF1, 0x15, 0x00, 0xC1, 0x15, 0xC1, 0x00, 0xF2, 0x13, 0x00,
      0xF1, 0x11, 0xF3, 0x11, 0x00, 0xF1, 0x11, 0xF3, 0x11, 0x00, 0x11, 0xF5, 0x11, 0x00, 0x02,
      0xF3, 0x02, 0x00,
  };
  // clang-format on
}

void add_resources(FileTree& game) {
  // Logic: 0 to 2 in vol.0, 3 absent, 4 missing from the numbering altogether (its entry is
  // 0xFF padding), 5 in vol.1.
  add_resource(game, 0, 0, 0, resource_body("logic 0", 40, 1));
  add_resource(game, 0, 1, 0, resource_body("logic 1", 120, 2));
  add_resource(game, 0, 2, 1, resource_body("logic 2", 16, 3));
  set_entry(game, 0, 3, {0xFF, 0xFF, 0xFF});
  add_resource(game, 0, 5, 1, resource_body("logic 5", 300, 5));

  // Pictures 0 and 1, one in each volume: a drawn scene, and text that draws as damaged data.
  add_resource(game, 1, 0, 1, scene_picture());
  add_resource(game, 1, 1, 0, resource_body("picture 1", 2500, 11));

  // Views: 0 a walking figure, 1 declares a length of 0 and is reported, not extracted.
  add_resource(game, 2, 0, 0, walking_view());
  add_resource(game, 2, 1, 1, resource_body("view 1", 8, 21), 0);
  add_resource(game, 2, 2, 1, resource_body("view 2", 640, 22));

  // Sounds 0 and 2, with entry 1 absent. Sound 2 lies at offset 0x0FFF of vol.0: its entry
  // 00 0F FF holds a 0xFF byte and is a location like any other.
  add_resource(game, 3, 0, 1, resource_body("sound 0", 64, 30));
  set_entry(game, 3, 1, {0xFF, 0xFF, 0xFF});
  add_resource_at(game, 3, 2, 0, 0x0FFF, resource_body("sound 2", 96, 32));
}

// The plain inventory list: a 3-byte header (offset of the name table, then a 0 byte),
// one 3-byte row per item (name offset, starting room), then the names, each ending in 0.
Bytes plain_object_file() {
  const std::vector<std::pair<std::string, int>> items = {
      {"?", 0},
      {"brass key", 3},
      {"oil lamp", 5},
      {"coil of rope", 7},
      {"silver coin", 12},
      {"old map", 2},
      {"loaf of bread", 9},
  };
  size_t names_offset = 3 + items.size() * 3;
  Bytes file = {static_cast<unsigned char>(names_offset & 0xFF),
                static_cast<unsigned char>(names_offset >> 8), 0};
  Bytes names;
  for (const auto& [name, room] : items) {
    size_t offset = names_offset + names.size();
    file.push_back(static_cast<unsigned char>(offset & 0xFF));
    file.push_back(static_cast<unsigned char>(offset >> 8));
    file.push_back(static_cast<unsigned char>(room));
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(0);
  }
  file.insert(file.end(), names.begin(), names.end());
  return file;
}

using WordList = std::vector<std::pair<std::string, int>>;

Bytes sample_vocabulary() {
  std::vector<WordList> letters(26);
  letters['a' - 'a'] = {{"a", 0}, {"all", 1}, {"an", 0}, {"and", 1}, {"anyword", 1}};
  letters['b' - 'a'] = {{"bag", 12}, {"ball", 13}, {"barrel", 14}, {"bread", 15}, {"bridge", 16}};
  letters['c' - 'a'] = {{"climb", 20}, {"close", 21}, {"coin", 22}, {"coins", 22}};
  letters['d' - 'a'] = {{"door", 30}, {"down", 31}, {"drink", 32}, {"drop", 33}};
  letters['g' - 'a'] = {{"get", 40}, {"give", 41}, {"go", 42}};
  letters['k' - 'a'] = {{"key", 50}};
  letters['l' - 'a'] = {{"lamp", 60}, {"lantern", 60}, {"light", 61}, {"look", 62}, {"loose", 63}};
  letters['o' - 'a'] = {{"open", 70}};
  letters['r' - 'a'] = {{"read", 80}, {"rope", 81}};
  letters['t' - 'a'] = {{"take", 90}, {"talk", 91}, {"the", 0}, {"throw", 92}};
  letters['u' - 'a'] = {{"unlock", 100}, {"up", 101}};
  letters['w' - 'a'] = {{"walk", 110}, {"wear", 111}, {"west", 112}};
  std::vector<std::vector<WordRecord>> records;
  for (const WordList& words : letters) {
    records.push_back(compress_words(words));
  }
  return vocabulary_file(records);
}

}  // namespace

FileTree sample_game() {
  FileTree game;
  add_resources(game);
  game["object"] = object_cipher(plain_object_file());
  game["words.tok"] = sample_vocabulary();
  return game;
}
